#!/bin/bash
# The Windows edition's global hotkeys under Wine + Xvfb, sent with xdotool while the
# click target (another program's window) has the focus:
#  1. Ctrl+Shift+S starts a run until stopped at a point in the target, Ctrl+Shift+X stops
#     it: the caption comes back and the clicks stop growing;
#  2. with "Repeat" 1 and a 1 ms interval, Ctrl+Shift+S held down for a second (the X
#     server auto-repeats it) makes exactly one click;
#  3. a settings file moving the start hotkey to F1: F1 starts a run, Ctrl+Shift+S does not.
# Wine delivers a hotkey only while one of its own windows has the X focus, so the focused
# window is the Wine target window. The click settings come from a settings file written
# before each start.
#
#   tests/e2e/windows_hotkeys.sh [build dir]    (default: build/windows)
# Environment: QEL_E2E_DISPLAY (default 98), WINEPREFIX (default /tmp/wine-hk).
set -euo pipefail
export QEL_E2E_DISPLAY=${QEL_E2E_DISPLAY:-98}
export WINEPREFIX=${WINEPREFIX:-/tmp/wine-hk}
source "$(dirname "$0")/win/lib.sh"
trap win_cleanup EXIT
win_exe "${1:-}"
T_START=$(date +%s)

win_start_display
win_start_wine
win_start_target
PX=150 PY=210
TARGET_WIN=$(win_find_window "QEL Target" 10)
INI_DIR=$WIN_WORK/appdata/"QEL Auto Clicker"
INI=$INI_DIR/settings.ini
mkdir -p "$INI_DIR"

clicks() { win_clicks | wc -l; }
title() { xdotool getwindowname "$WIN" 2>/dev/null || true; }
wait_title() { e2e_wait_title "$WIN" "$1" "$2"; }  # TEXT SECONDS

# write_settings UNTIL_STOPPED COUNT MS [extra lines...]: "Coordinates:" at the target point.
write_settings() {
  local until=$1 count=$2 ms=$3
  shift 3
  printf '%s\r\n' "[Target]" "mode=1" "[Coords]" "x=$PX" "y=$PY" \
    "[Interval]" "h=0" "m=0" "s=0" "ms=$ms" "[Repeat]" "untilStopped=$until" "count=$count" \
    "[Click]" "button=0" "type=0" "holdMs=5" "$@" >"$INI"
}

start_app() {
  win_start_app
  # The program goes to the background: the target window takes the focus.
  xdotool windowactivate --sync "$TARGET_WIN" 2>/dev/null || xdotool windowfocus --sync "$TARGET_WIN"
  sleep 0.5
  [ "$(xdotool getwindowfocus 2>/dev/null)" = "$WIN" ] && win_fail "the program still has the focus"
  BASE=$(clicks)
}
stop_app() {
  win_close_app
  win_wait_app_end 15 || win_fail "the program did not end after its window was closed"
}
run_then_stop() {
  wait_title "$WIN_RUNNING" 5 || win_fail "$1 did not start a run (caption \"$(title)\")"
  local before stopped
  before=$(clicks)
  sleep 0.6
  [ "$(clicks)" -gt "$before" ] || win_fail "$1 started a run that sends no clicks"
  xdotool key --clearmodifiers ctrl+shift+x
  wait_title "$WIN_TITLE" 5 || win_fail "Ctrl+Shift+X did not stop the run (caption \"$(title)\")"
  sleep 0.3
  stopped=$(clicks)
  sleep 0.6
  [ "$(clicks)" -eq "$stopped" ] || win_fail "clicks went on after Ctrl+Shift+X"
  echo "$1 started a run, Ctrl+Shift+X stopped it after $((stopped - BASE)) clicks"
}

# ---- 1. start and stop from the background
write_settings 1 100 20
start_app
xdotool key --clearmodifiers ctrl+shift+s
run_then_stop "Ctrl+Shift+S"
stop_app

# ---- 2. a held start hotkey starts one run only
write_settings 0 1 1
start_app
xdotool keydown ctrl+shift+s
sleep 1
xdotool keyup s
xdotool keyup shift+ctrl
sleep 1
[ "$(title)" = "$WIN_TITLE" ] || win_fail "after the held hotkey the caption reads \"$(title)\""
COUNT=$(($(clicks) - BASE))
[ "$COUNT" -eq 1 ] || win_fail "the held start hotkey made $COUNT clicks, expected 1"
echo "held Ctrl+Shift+S for a second: exactly one click"
stop_app

# ---- 3. the start hotkey moved to F1
write_settings 1 100 20 "[HotkeyStart]" "vk=112" "mod=0"
start_app
xdotool key --clearmodifiers ctrl+shift+s
sleep 1
[ "$(title)" = "$WIN_TITLE" ] || win_fail "Ctrl+Shift+S still starts a run (caption \"$(title)\")"
[ "$(clicks)" -eq "$BASE" ] || win_fail "Ctrl+Shift+S still makes clicks"
xdotool key --clearmodifiers F1
run_then_stop "F1"
stop_app
tr -d '\r' <"$INI" | grep -A2 -x '\[HotkeyStart\]' | grep -qx 'vk=112' || { cat "$INI"; win_fail "the moved hotkey was not kept"; }

echo "PASS windows_hotkeys ($(($(date +%s) - T_START)) s)"
