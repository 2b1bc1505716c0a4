#!/bin/bash
# The Windows edition under faults, under Wine + Xvfb. Each case wants the behaviour the
# program promises or a clear message; never a crash, a hang or a damaged file:
#  1. a read-only settings file: its values are used (F1 starts a run at the file's
#     point); at exit one error box, the program ends, the file is unchanged;
#  2. a read-only macro file: Rename and Remove each end in an error box; the file stays;
#     playing it back still works;
#  3. the data folder deleted while the program runs: Remove of a macro whose file went
#     with it, and the settings at exit, simply recreate it;
#  4. Ctrl+Shift+S held by another program: the program starts without a message, its
#     Start button and the stop hotkey work, the held combination reaches the holder only;
#  5. a second copy: both start; the start hotkey runs the first copy only; the second
#     copy's Start button works; closed together, they leave a well-formed settings file;
#  6. a copy hung while it holds the settings file's lock: a new copy still comes up within
#     seconds with the file's values, and writes its settings at exit.
# (A full disk and a lost X server are Linux cases: tests/e2e/linux_faults.sh.)
#
#   tests/e2e/windows_faults.sh [build dir]    (default: build/windows)
# Environment: QEL_E2E_DISPLAY (default 153), WINEPREFIX (default /tmp/wine-hk).
set -euo pipefail
export QEL_E2E_DISPLAY=${QEL_E2E_DISPLAY:-153}
export WINEPREFIX=${WINEPREFIX:-/tmp/wine-hk}
source "$(dirname "$0")/win/lib.sh"
HOLDER_PID="" SECOND_PID=""
IMMUTABLE=()
faults_cleanup() {
  for p in $HOLDER_PID $SECOND_PID; do kill "$p" 2>/dev/null || true; done
  for f in "${IMMUTABLE[@]}"; do chattr -i "$f" 2>/dev/null || true; done
  chmod -R u+w "$WIN_WORK" 2>/dev/null || true
  win_cleanup
}
trap faults_cleanup EXIT
win_exe "${1:-}"
T_START=$(date +%s)

cp "$(win_tool hold_hotkey)" "$(win_tool hold_profile_lock)" "$WIN_WORK/" || win_fail "helper programs not built"

win_start_display
win_start_wine
win_start_target
PX=150 PY=210
TARGET_WIN=$(win_find_window "QEL Target" 10)
INI_DIR=$WIN_WORK/appdata/"QEL Auto Clicker"
INI=$INI_DIR/settings.ini
MACROS=$INI_DIR/Macros
crlf() { printf '%s\r\n' "$@"; }
clicks() { win_clicks | wc -l; }
title() { xdotool getwindowname "$WIN" 2>/dev/null || true; }
wait_title() { e2e_wait_title "$WIN" "$1" "$2"; }  # TEXT SECONDS
# read_only FILE: read-only for Wine. Wine maps missing write rights to the read-only
# attribute, but as root it writes such a file anyway; the immutable flag stops root too.
# Returns 1 (the case is skipped) when running as root where the flag cannot be set.
read_only() {
  chmod 444 "$1"
  [ "$(id -u)" -ne 0 ] && return 0
  chattr +i "$1" 2>/dev/null || return 1
  IMMUTABLE+=("$1")
}
# A fresh data folder with a settings file of these lines.
fresh_data() {
  for f in "${IMMUTABLE[@]}"; do chattr -i "$f" 2>/dev/null || true; done
  IMMUTABLE=()
  chmod -R u+w "$WIN_WORK/appdata" 2>/dev/null || true
  rm -rf "$WIN_WORK/appdata"
  mkdir -p "$MACROS"
  crlf "$@" >"$INI"
}
# put_macro FILE: a macro that clicks the target point twice.
put_macro() {
  { printf '\xef\xbb\xbf'; crlf "Name=two clicks" "DurationMs=60" "E=0|0|$PX|$PY|-1" "E=10|1|$PX|$PY|0" \
      "E=20|2|$PX|$PY|0" "E=40|1|$PX|$PY|0" "E=50|2|$PX|$PY|0"; } >"$1"
}
focus_target() {
  xdotool windowactivate --sync "$TARGET_WIN" 2>/dev/null || xdotool windowfocus --sync "$TARGET_WIN"
  sleep 0.5
}
# A visible top-level window named "QEL Auto Clicker" (a message box; the main window's
# caption starts with blanks) within $1 seconds.
find_box() {
  local id
  for _ in $(seq 1 $(($1 * 10))); do
    id=$(xdotool search --onlyvisible --name "^QEL Auto Clicker\$" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
# expect_box WHAT: a message box appears and Return dismisses it.
expect_box() {
  local box
  box=$(find_box 10) || win_fail "$1: no message box"
  xdotool windowactivate --sync "$box" 2>/dev/null || true
  sleep 0.3
  xdotool key Return
  for _ in $(seq 1 30); do
    xdotool search --onlyvisible --name "^QEL Auto Clicker\$" 2>/dev/null | grep -qx "$box" || break
    sleep 0.1
  done
  echo "$1: a message box, dismissed"
}
no_box() { ! find_box "${2:-1}" >/dev/null || win_fail "$1: an unexpected message box"; }
# Input box of Rename: the new name, OK.
rename_to() {
  # shellcheck disable=SC2086
  win_click $RENAME_BTN
  local box
  box=$(win_find_window "Rename macro" 10) || win_fail "Rename: no input box"
  xdotool windowactivate --sync "$box" 2>/dev/null || true
  sleep 0.3
  xdotool key ctrl+a
  xdotool type --delay 30 "$1"
  xdotool key Return
  sleep 0.5
}
remove_selected() {
  # shellcheck disable=SC2086
  win_click $REMOVE_BTN
  local box
  box=$(find_box 10) || win_fail "Remove: no confirmation box"
  xdotool windowactivate --sync "$box" 2>/dev/null || true
  sleep 0.3
  xdotool key y
  sleep 0.5
}
same_file() { cmp -s "$1" "$2" || win_fail "$3: $(basename "$1") was changed"; }
MACROS_RADIO="$((10 + 11 + 8)) $((58 + 94 + 8))"
REMOVE_BTN=$QEL_AT_REMOVE
RENAME_BTN=$QEL_AT_RENAME

# ================= 1. a read-only settings file
fresh_data "[Target]" "mode=1" "[Coords]" "x=$PX" "y=$PY" "[Interval]" "ms=50" "[Repeat]" "untilStopped=1" \
  "[HotkeyStart]" "vk=112" "mod=0"
cp "$INI" "$WIN_WORK/before.ini"
if read_only "$INI"; then
win_start_app >/dev/null
focus_target
BASE=$(clicks)
xdotool key --clearmodifiers F1
wait_title "$WIN_RUNNING" 5 || win_fail "read-only settings: the file's start hotkey F1 did not start a run"
sleep 0.5
xdotool key --clearmodifiers ctrl+shift+x
wait_title "$WIN_TITLE" 5 || win_fail "read-only settings: the stop hotkey did not stop the run"
[ "$(clicks)" -gt "$BASE" ] || win_fail "read-only settings: no clicks"
[ "$(win_clicks | tail -n +$((BASE + 1)) | cut -d" " -f1,2 | sort -u)" = "$PX $PY" ] ||
  win_fail "read-only settings: the clicks did not go to the file's point: $(win_clicks | tail -n +$((BASE + 1)) | cut -d' ' -f1,2 | sort -u | paste -sd,)"
win_close_app
expect_box "read-only settings at exit"
no_box "read-only settings: a second box" 2
win_wait_app_end 15 || win_fail "read-only settings: the program did not end"
same_file "$INI" "$WIN_WORK/before.ini" "read-only settings"
echo "1. read-only settings: loaded, one error box at exit, file unchanged"
else
  echo "SKIP 1. read-only settings: running as root without the immutable flag"
fi

# ================= 2. a read-only macro file
fresh_data "[Target]" "mode=2" "[Repeat]" "untilStopped=0" "count=1" "[Macros]" "selected=0"
put_macro "$MACROS/ro.qelmac"
cp "$MACROS/ro.qelmac" "$WIN_WORK/ro.qelmac"
if read_only "$MACROS/ro.qelmac"; then
win_start_app >/dev/null
rename_to "x"
expect_box "Rename of a read-only macro"
rename_to "ro"
expect_box "Rename in place of a read-only macro"
remove_selected
expect_box "Remove of a read-only macro"
BASE=$(clicks)
# shellcheck disable=SC2086
win_click $WIN_START
for _ in $(seq 1 30); do [ "$(($(clicks) - BASE))" -ge 2 ] && break; sleep 0.1; done
sleep 0.3
[ "$(($(clicks) - BASE))" -eq 2 ] || win_fail "read-only macro: playback made $(($(clicks) - BASE)) clicks, expected 2"
win_close_app
win_wait_app_end 15 || win_fail "read-only macro: the program did not end"
same_file "$MACROS/ro.qelmac" "$WIN_WORK/ro.qelmac" "read-only macro"
[ "$(ls "$MACROS")" = ro.qelmac ] || win_fail "read-only macro: the folder holds $(ls "$MACROS" | paste -sd' ')"
tr -d '\r' <"$INI" | grep -qx "selected=0" || win_fail "read-only macro: it left the list"
echo "2. read-only macro: Rename and Remove refused with a message, file unchanged, playback works"
else
  echo "SKIP 2. read-only macro: running as root without the immutable flag"
fi

# ================= 3. the data folder deleted while the program runs
fresh_data "[Target]" "mode=2" "[Macros]" "selected=0"
put_macro "$MACROS/gone.qelmac"
win_start_app >/dev/null
rm -rf "$WIN_WORK/appdata"
remove_selected
no_box "Remove after the folder went" 1
win_close_app
win_wait_app_end 15 || win_fail "deleted folder: the program did not end"
[ "$(tr -d '\r' <"$INI" | grep -c '=')" -eq 34 ] || win_fail "deleted folder: the settings were not written again"
echo "3. deleted data folder: Remove and the settings at exit recreate it"

# ================= 4. the start hotkey held by another program
fresh_data "[Target]" "mode=1" "[Coords]" "x=$PX" "y=$PY" "[Interval]" "ms=20" "[Repeat]" "untilStopped=1"
HOLD_LOG=$WIN_WORK/hold.log
(cd "$WIN_WORK" && exec wine hold_hotkey.exe "$(win_path "$HOLD_LOG")" >/dev/null 2>&1) &
HOLDER_PID=$!
for _ in $(seq 1 100); do [ -s "$HOLD_LOG" ] && break; sleep 0.1; done
[ "$(head -n1 "$HOLD_LOG" 2>/dev/null | tr -d "\r")" = ready ] || win_fail "the holder could not register Ctrl+Shift+S: \"$(cat "$HOLD_LOG" 2>/dev/null)\""
win_start_app >/dev/null
no_box "a hotkey held elsewhere" 2
focus_target
BASE=$(clicks)
xdotool key --clearmodifiers ctrl+shift+s
sleep 1
[ "$(title)" = "$WIN_TITLE" ] || win_fail "held hotkey: Ctrl+Shift+S started the program (\"$(title)\")"
[ "$(clicks)" -eq "$BASE" ] || win_fail "held hotkey: Ctrl+Shift+S made clicks"
tr -d "\r" <"$HOLD_LOG" | grep -qx hotkey || win_fail "held hotkey: the holder did not get Ctrl+Shift+S"
# shellcheck disable=SC2086
win_click $WIN_START
wait_title "$WIN_RUNNING" 5 || win_fail "held hotkey: the Start button did not start a run"
sleep 0.5
[ "$(clicks)" -gt "$BASE" ] || win_fail "held hotkey: the run made no clicks"
focus_target
xdotool key --clearmodifiers ctrl+shift+x
wait_title "$WIN_TITLE" 5 || win_fail "held hotkey: the stop hotkey did not stop the run"
win_close_app
win_wait_app_end 15 || win_fail "held hotkey: the program did not end"
kill "$HOLDER_PID" 2>/dev/null || true
wait "$HOLDER_PID" 2>/dev/null || true
HOLDER_PID=""
echo "4. Ctrl+Shift+S held elsewhere: no message, Start button and stop hotkey work, the holder got the key"

# ================= 5. a second copy
fresh_data "[Target]" "mode=1" "[Coords]" "x=$PX" "y=$PY" "[Interval]" "ms=10" "[Repeat]" "untilStopped=0" \
  "count=5" "[Mine]" "keep=me"
win_start_app >/dev/null
FIRST_WIN=$WIN FIRST_PID=$WIN_APP_PID FIRST_OX=$OX FIRST_OY=$OY
(cd "$WIN_WORK" && QEL_UPDATE_URL=http://127.0.0.1:9/ exec wine cmd /c \
  "set APPDATA=$(win_path "$WIN_APPDATA")&& start /wait QELAutoClicker.exe" >"$WIN_WORK/app2.log" 2>&1) &
SECOND_PID=$!
SECOND_WIN=
for _ in $(seq 1 300); do
  SECOND_WIN=$(xdotool search --onlyvisible --name "^${WIN_TITLE}\$" 2>/dev/null | grep -vx "$FIRST_WIN" | head -1 || true)
  [ -n "$SECOND_WIN" ] && break
  sleep 0.1
done
[ -n "$SECOND_WIN" ] || win_fail "two copies: the second main window did not appear"
sleep 1
no_box "the second copy" 1
focus_target
BASE=$(clicks)
xdotool key --clearmodifiers ctrl+shift+s
sleep 1.5
[ "$(($(clicks) - BASE))" -eq 5 ] || win_fail "two copies: the start hotkey made $(($(clicks) - BASE)) clicks, expected one copy's 5"
WIN=$SECOND_WIN
win_geometry "$WIN"
OX=$X OY=$Y
# shellcheck disable=SC2086
win_click $WIN_START
sleep 1.5
[ "$(($(clicks) - BASE))" -eq 10 ] || win_fail "two copies: the second copy's Start made $(($(clicks) - BASE - 5)) clicks, expected 5"
# Both closed, one right after the other.
for w in "$FIRST_WIN" "$SECOND_WIN"; do
  xdotool windowactivate --sync "$w" 2>/dev/null || true
  xdotool key alt+F4
done
for _ in $(seq 1 150); do
  kill -0 "$FIRST_PID" 2>/dev/null || kill -0 "$SECOND_PID" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$FIRST_PID" 2>/dev/null && win_fail "two copies: the first did not end"
kill -0 "$SECOND_PID" 2>/dev/null && win_fail "two copies: the second did not end"
SECOND_PID=""
SETTINGS=$(tr -d '\r' <"$INI")
for s in Target Interval Repeat Click UI Delay HotkeyStart HotkeyStop HotkeyStartMacros Coords Macros Mine; do
  [ "$(grep -cix "\[$s\]" <<<"$SETTINGS")" -eq 1 ] || { echo "$SETTINGS"; win_fail "two copies: section [$s] is not there once"; }
done
[ "$(grep -c '^[A-Za-z]*=-\?[0-9]*$' <<<"$SETTINGS")" -eq 34 ] || { echo "$SETTINGS"; win_fail "two copies: not 34 numeric keys"; }
echo "5. two copies: the hotkey ran the first only, the second's Start worked, the file is well-formed"

# ================= 6. a hung copy holding the settings file's lock
fresh_data "[Target]" "mode=1" "[Coords]" "x=$PX" "y=$PY" "[Interval]" "ms=20" "[Repeat]" "untilStopped=1" \
  "[HotkeyStart]" "vk=112" "mod=0"
HOLD_LOG=$WIN_WORK/lock.log
(cd "$WIN_WORK" && exec wine hold_profile_lock.exe "$(win_path "$HOLD_LOG")" >/dev/null 2>&1) &
HOLDER_PID=$!
for _ in $(seq 1 100); do [ -s "$HOLD_LOG" ] && break; sleep 0.1; done
[ "$(head -n1 "$HOLD_LOG" 2>/dev/null | tr -d "\r")" = ready ] || win_fail "the holder could not take the lock: \"$(cat "$HOLD_LOG" 2>/dev/null)\""
T0=$(date +%s%N)
win_start_app >/dev/null
# The window exists, named, before the settings are read; it is shown after them.
for _ in $(seq 1 600); do
  xdotool search --onlyvisible --name "^${WIN_TITLE}\$" 2>/dev/null | grep -qx "$WIN" && break
  sleep 0.1
done
UP_MS=$((($(date +%s%N) - T0) / 1000000))
[ "$UP_MS" -le 15000 ] || win_fail "held lock: the window was shown after $UP_MS ms"
focus_target
BASE=$(clicks)
xdotool key F1
wait_title "$WIN_RUNNING" 5 || win_fail "held lock: the file's start hotkey F1 did not start a run"
xdotool key --clearmodifiers ctrl+shift+x
wait_title "$WIN_TITLE" 5 || win_fail "held lock: the stop hotkey did not stop the run"
[ "$(clicks)" -gt "$BASE" ] || win_fail "held lock: the run made no clicks"
win_close_app
win_wait_app_end 20 || win_fail "held lock: the program did not end"
[ "$(tr -d '\r' <"$INI" | grep -c '=')" -eq 34 ] || win_fail "held lock: the settings were not written at exit"
kill "$HOLDER_PID" 2>/dev/null || true
wait "$HOLDER_PID" 2>/dev/null || true
HOLDER_PID=""
echo "6. a hung copy holding the lock: the window after $UP_MS ms with the file's values, settings written at exit"

echo "PASS windows_faults ($(($(date +%s) - T_START)) s)"
