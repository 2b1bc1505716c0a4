#!/bin/bash
# The portable Windows zip as a user gets it: unpacked into a folder whose name has a space
# and non-ASCII letters, QELAutoClicker.exe and transl.dt side by side, started from there
# under Wine + Xvfb with German chosen in the registry: the main window appears, and the
# caption during a run is the German running text, so the table beside the program was
# found through that path. Alt+F4 then ends the program cleanly.
#
#   tests/e2e/windows_release.sh      (takes dist/QELAutoClicker-2.4-win64.zip, built by
#                                      scripts/build-release.sh windows when missing)
# Environment: see tests/e2e/win/lib.sh (display 104 and prefix /tmp/wine-rel by default
# here).
set -euo pipefail
export QEL_E2E_DISPLAY=${QEL_E2E_DISPLAY:-104}
export WINEPREFIX=${WINEPREFIX:-/tmp/wine-rel}
source "$(dirname "$0")/win/lib.sh"
trap win_cleanup EXIT
VERSION=$QEL_VERSION
NAME=QELAutoClicker-${VERSION}-win64
ZIP=$WIN_ROOT/dist/$NAME.zip
[ -f "$ZIP" ] || "$WIN_ROOT/scripts/build-release.sh" windows
[ -f "$ZIP" ] || win_fail "no $ZIP"

# ---- the archive's contents
listing=$(unzip -Z1 "$ZIP" | grep -v '/$' | sort | tr '\n' ' ')
[ "$listing" = "$NAME/QELAutoClicker.exe $NAME/transl.dt " ] || win_fail "the zip holds: $listing"
DIR="$WIN_WORK/Mäuse Klicker ü"
mkdir -p "$DIR"
unzip -q "$ZIP" -d "$DIR"
APP_DIR=$DIR/$NAME
WIN_TRANSL=$APP_DIR/transl.dt
cmp -s "$WIN_TRANSL" "$WIN_ROOT/data/transl.dt" || win_fail "transl.dt in the zip differs from data/transl.dt"
echo "zip: $(stat -c %s "$ZIP") bytes, unpacked into \"$APP_DIR\""

# The German running text from the table: row groups of (count of languages) lines, the
# English text first; German is column 4.
RUN_EN="Running... Press %s to stop"
RUN_DE=$(tr -d '\r' <"$WIN_TRANSL" | sed '1s/^\xEF\xBB\xBF//' | awk -v key="$RUN_EN" '
  NR == 1 {n = $0; next}
  ((NR - 2) % n) == 0 {hit = ($0 == key); start = NR}
  hit && NR - start == 4 && !found {print; found = 1}')
[ -n "$RUN_DE" ] || win_fail "the table has no German running text"
RUN_DE="  ${RUN_DE/\%s/Shift+Ctrl+X}"

win_start_display
win_start_wine
KEY='HKCU\Software\QEL Auto Clicker'
wine reg add "$KEY" /v CurrentLanguage /t REG_SZ /d de /f >/dev/null 2>&1 || win_fail "reg add"

# Coordinates 20,20 (bare screen), 100 ms, 3 clicks after a 1 s start delay.
WIN_APPDATA=$WIN_WORK/appdata
mkdir -p "$WIN_APPDATA/QEL Auto Clicker"
printf '%s\r\n' "[Target]" "mode=1" "[Interval]" "ms=100" "[Repeat]" "untilStopped=0" "count=3" \
  "[Delay]" "startDelayS=1" "[Coords]" "x=20" "y=20" >"$WIN_APPDATA/QEL Auto Clicker/settings.ini"

# Started in its own folder, as a double click in the file manager does (cmd sets APPDATA:
# see win_start_app).
(cd "$APP_DIR" && QEL_UPDATE_URL=http://127.0.0.1:9/ exec wine cmd /c \
  "set APPDATA=$(win_path "$WIN_APPDATA")&& start /wait QELAutoClicker.exe" >"$WIN_WORK/app.log" 2>&1) &
WIN_APP_PID=$!
t0=$(date +%s)
WIN=$(win_find_window "$WIN_TITLE" 60) || { cat "$WIN_WORK/app.log"; win_fail "main window did not appear"; }
echo "main window after $(($(date +%s) - t0)) s"
sleep 1
win_geometry "$WIN"
# shellcheck disable=SC2034  # win_click places its clicks from these
OX=$X OY=$Y

# shellcheck disable=SC2086
win_click $WIN_START
seen=""
for _ in $(seq 1 60); do
  seen=$(xdotool getwindowname "$WIN" 2>/dev/null || true)
  [ "$seen" = "$RUN_DE" ] && break
  sleep 0.05
done
[ "$seen" = "$RUN_DE" ] || win_fail "the caption during the run read \"$seen\", expected \"$RUN_DE\""
name=""
for _ in $(seq 1 80); do
  name=$(xdotool getwindowname "$WIN" 2>/dev/null || true)
  [ "$name" = "$WIN_TITLE" ] && break
  sleep 0.1
done
[ "$name" = "$WIN_TITLE" ] || win_fail "the run did not end: caption \"$name\""
echo "German running caption \"$RUN_DE\""
sleep 0.5

win_close_app
win_wait_app_end 20 || win_fail "the program did not end after its window was closed"
wait "$WIN_APP_PID" || win_fail "the program did not end cleanly"
echo "PASS windows_release"
