#!/bin/bash
# The Windows installer under Wine + Xvfb: a silent install for the current user (files in
# %LOCALAPPDATA%\Programs\QEL Auto Clicker, the Start menu link, the uninstall key with its
# values); the program it starts clicks; an upgrade over the running copy waits for the
# program to end, then replaces it and starts the new version, keeping the data folder;
# the silent uninstall removes the program files, the link and the key and leaves the data.
#
#   tests/e2e/windows_installer.sh [build dir]    (default: build/windows)
# Environment: see tests/e2e/win/lib.sh.
set -euo pipefail
source "$(dirname "$0")/win/lib.sh"
trap win_cleanup EXIT
win_exe "${1:-}"
command -v makensis >/dev/null || win_fail "makensis is missing (scripts/install-deps.sh)"

# Two builds of the installer around the same program: the second one announces 2.5, so
# the uninstall key tells which of them installed last.
build_setup() {  # build_setup VERSION FILEVERSION OUT
  makensis -V2 -WX -DVERSION="$1" -DFILEVERSION="$2" -DEXE="$(realpath "$WIN_EXE")" -DTRANSL="$WIN_ROOT/data/transl.dt" \
    -DOUTFILE="$3" "$WIN_ROOT/installer/QELAutoClicker.nsi" >"$WIN_WORK/nsis.log" 2>&1 ||
    { cat "$WIN_WORK/nsis.log"; win_fail "makensis failed"; }
}
build_setup 2.4 2.4.0.0 "$WIN_WORK/QELAutoClicker-2.4-setup.exe"
build_setup 2.5 2.5.0.0 "$WIN_WORK/QELAutoClicker-2.5-setup.exe"

win_start_display
win_start_wine
USER_DIR=$(dirname "$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData 2>/dev/null | grep -v /Public/ | head -1)")
INSTDIR="$USER_DIR/AppData/Local/Programs/QEL Auto Clicker"
LINK="$USER_DIR/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/QEL Auto Clicker.lnk"
DATA="$USER_DIR/AppData/Roaming/QEL Auto Clicker"
KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\QELAutoClicker'
# A fresh start: nothing of an earlier run in this prefix.
rm -rf "$INSTDIR" "$DATA" "$LINK"
wine reg delete "$KEY" /f >/dev/null 2>&1 || true

reg_value() { wine reg query "$KEY" /v "$1" 2>/dev/null | tr -d '\r' | awk -v n="$1" '$1 == n {$1 = ""; $2 = ""; sub(/^ +/, ""); print}'; }
# The installed program asks no real update server.
export QEL_UPDATE_URL=http://127.0.0.1:9/

echo "silent install"
t0=$(date +%s)
timeout 120 wine "$WIN_WORK/QELAutoClicker-2.4-setup.exe" /S >"$WIN_WORK/setup1.log" 2>&1 || win_fail "the installer failed"
echo "installed after $(($(date +%s) - t0)) s"
for f in QELAutoClicker.exe transl.dt uninstall.exe; do
  [ -f "$INSTDIR/$f" ] || win_fail "no $f in $INSTDIR"
done
cmp -s "$INSTDIR/QELAutoClicker.exe" "$WIN_EXE" || win_fail "the installed program differs from the build"
[ -f "$LINK" ] || win_fail "no Start menu link"
[ "$(reg_value DisplayName)" = "QEL Auto Clicker" ] || win_fail "uninstall key: DisplayName '$(reg_value DisplayName)'"
[ "$(reg_value DisplayVersion)" = "2.4" ] || win_fail "uninstall key: DisplayVersion '$(reg_value DisplayVersion)'"
[ "$(reg_value Publisher)" = "QEL Auto Clicker" ] || win_fail "uninstall key: no Publisher"
reg_value DisplayIcon | grep -q 'QELAutoClicker.exe,0$' || win_fail "uninstall key: DisplayIcon '$(reg_value DisplayIcon)'"
reg_value UninstallString | grep -q 'uninstall.exe' || win_fail "uninstall key: no UninstallString"
size=$(reg_value EstimatedSize)
[ -n "$size" ] && [ $((size)) -gt 100 ] || win_fail "uninstall key: EstimatedSize '$size'"
echo "uninstall key: $(reg_value DisplayName) $(reg_value DisplayVersion), $((size)) KB"

echo "the program the installer started clicks"
WIN=$(win_find_window "$WIN_TITLE" 60) || { win_diagnose; win_fail "the installer did not start the program"; }
win_start_target
sleep 1
win_geometry "$WIN"
OX=$X OY=$Y
# shellcheck disable=SC2086
{
  win_click $WIN_COORDINATES
  win_set_field $WIN_COORD_X 150
  win_set_field $WIN_COORD_Y 210
  win_set_field $WIN_MILLIS 10
  win_click $WIN_REPEAT_COUNT
  win_set_field $WIN_REPEAT 5
}
: >"$WIN_CLICKS"
xdotool mousemove $((OX + ${WIN_START% *})) $((OY + ${WIN_START#* })) click 1
for _ in $(seq 1 100); do [ "$(win_clicks | wc -l)" -ge 5 ] && break; sleep 0.1; done
sleep 0.5
[ "$(win_clicks | grep -c '^150 210 ')" -eq 5 ] || win_fail "expected 5 clicks at 150,210: $(win_clicks | head -3)"
echo "5 clicks at 150,210"
mkdir -p "$DATA/Macros"
echo "E=0|0|1|1|-1" >"$DATA/Macros/kept.qelmac"

echo "upgrade over the running program"
timeout 180 wine "$WIN_WORK/QELAutoClicker-2.5-setup.exe" /S >"$WIN_WORK/setup2.log" 2>&1 &
SETUP_PID=$!
sleep 5
kill -0 "$SETUP_PID" 2>/dev/null || win_fail "the upgrade did not wait for the running program"
[ "$(reg_value DisplayVersion)" = "2.4" ] || win_fail "the upgrade went ahead while the program ran"
win_close_app
wait "$SETUP_PID" || win_fail "the upgrade failed after the program ended"
[ "$(reg_value DisplayVersion)" = "2.5" ] || win_fail "after the upgrade: DisplayVersion '$(reg_value DisplayVersion)'"
WIN=$(win_find_window "$WIN_TITLE" 60) || { win_diagnose; win_fail "the upgrade did not start the new version"; }
[ -f "$DATA/Macros/kept.qelmac" ] || win_fail "the upgrade lost the macros"
[ -f "$DATA/settings.ini" ] || win_fail "no settings.ini after the first program closed"
echo "upgraded to $(reg_value DisplayVersion), new version running, data kept"
win_close_app
for _ in $(seq 1 100); do win_find_window "$WIN_TITLE" 1 >/dev/null || break; done

echo "silent uninstall"
timeout 60 wine "$INSTDIR/uninstall.exe" /S >"$WIN_WORK/uninstall.log" 2>&1 || win_fail "the uninstaller failed"
# The uninstaller runs on from a copy of itself in the temporary folder.
for _ in $(seq 1 300); do [ -e "$INSTDIR" ] || break; sleep 0.1; done
[ -e "$INSTDIR" ] && win_fail "the program folder is still there: $(ls "$INSTDIR")"
[ -e "$LINK" ] && win_fail "the Start menu link is still there"
wine reg query "$KEY" >/dev/null 2>&1 && win_fail "the uninstall key is still there"
[ -f "$DATA/Macros/kept.qelmac" ] && [ -f "$DATA/settings.ini" ] || win_fail "the uninstall removed the data folder"
echo "windows installer: all cases passed"
