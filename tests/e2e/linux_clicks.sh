#!/usr/bin/env bash
# The Linux edition driven from outside, as a user would, under Xvfb + openbox:
# target "Coordinates:" at a point inside a window that records the button presses it
# gets, interval 10 ms, "Repeat" 25 times, Start. The window must get exactly 25 left
# clicks at that point, the caption must tell the stop hotkey during the run and come
# back afterwards, and a close (Alt+F4, then SIGTERM) must end the program with its
# settings saved. Screenshots of the main and the compact window go to docs/.
#
#   tests/e2e/linux_clicks.sh [qel-autoclicker [xtarget]]
# Defaults: build/linux/src/linux/qel-autoclicker, build/linux/tests/e2e/xtarget.
# Environment: E2E_DISPLAY (default 91), E2E_KEEP=1 keeps the temp folder.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/tests/e2e/lib.sh"

e2e_program "${1:-}"
e2e_target "${2:-}"

e2e_tempdir linux

MAIN_TITLE=$QEL_MAIN_TITLE
RUN_TITLE="  Running... Press Shift+Ctrl+X to stop"

mkdir -p "$ROOT/docs"
e2e_start_display "${E2E_DISPLAY:-91}" 1280x1024x24

# ---- the target window: 300x300 at 700,120
CLICKS=$TMP/clicks.txt
"$TARGET" "QEL click target" "$CLICKS" 700 120 300 300 &
e2e_track $!
TARGET_WIN=$(e2e_wait_window "QEL click target" 30) || { xwininfo -root -tree | head -n 30; e2e_fail "the target window did not appear"; }
read -r TX TY < <(e2e_window_origin "$TARGET_WIN")
PX=$((TX + 137))
PY=$((TY + 151))
e2e_log "target window at $TX,$TY; clicking at $PX,$PY"

# ---- the program, with a fresh data folder and an update server that is not there
export APPDATA=$TMP/appdata XDG_CONFIG_HOME=$TMP/config QEL_UPDATE_URL=http://127.0.0.1:9/
mkdir -p "$APPDATA" "$XDG_CONFIG_HOME"
"$APP" >"$TMP/app.log" 2>&1 &
APP_PID=$!
e2e_track $APP_PID
WIN=$(e2e_wait_window "$MAIN_TITLE" 30) || { cat "$TMP/app.log"; e2e_fail "the main window \"$MAIN_TITLE\" did not appear"; }
e2e_log "main window $WIN"
sleep 0.5

# Window-relative clicks; places are those of the main window's layout (96 DPI).
click_at() { xdotool mousemove --window "$WIN" "$1" "$2" click 1; sleep 0.15; }
# Select the whole field and type a value, then leave the field with Tab.
type_into() {
  click_at "$1" "$2"
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 20 "$3"
  xdotool key Tab
  sleep 0.1
}

xdotool windowactivate --sync "$WIN" 2>/dev/null || true
click_at $QEL_AT_COORDINATES                  # "Coordinates:"
type_into 141 126 "$PX"          # X
type_into 208 126 "$PY"          # Y
type_into 497 62 10              # milliseconds
click_at $QEL_AT_REPEAT_COUNT                 # "Repeat" (count)
type_into 410 359 25             # count
sleep 0.3
e2e_screenshot "$ROOT/docs/linux-main.png"

# Every caption change from here on.
xprop -id "$WIN" -spy _NET_WM_NAME >"$TMP/titles.txt" 2>/dev/null &
SPY=$!
e2e_track $SPY
sleep 0.3
click_at $QEL_AT_START                   # Start

for _ in $(seq 1 100); do
  [ "$(wc -l <"$CLICKS")" -ge 25 ] && break
  sleep 0.1
done
sleep 1
COUNT=$(wc -l <"$CLICKS")
[ "$COUNT" -eq 25 ] || e2e_fail "the target got $COUNT clicks, expected 25"
BAD=$(grep -vc "^1 137 151 " "$CLICKS") || true
[ "$BAD" -eq 0 ] || { head -n3 "$CLICKS"; e2e_fail "$BAD of the clicks were not left clicks at 137,151 in the target"; }
e2e_log "25 left clicks at the point"

grep -qF "\"$RUN_TITLE\"" "$TMP/titles.txt" || { cat "$TMP/titles.txt"; e2e_fail "the caption never read \"$RUN_TITLE\""; }
TITLE=$(e2e_window_title "$WIN")
[ "$TITLE" = "$MAIN_TITLE" ] || e2e_fail "after the run the caption reads \"$TITLE\""
e2e_log "captions during and after the run are right"

# ---- the compact window, held by a start delay of 2 s long enough to photograph it
type_into 410 263 2              # "Delay (s)"
click_at $QEL_AT_START                   # Start
sleep 1
e2e_screenshot "$ROOT/docs/linux-compact.png"
eval "$(xdotool getwindowgeometry --shell "$WIN")"
e2e_log "compact window: ${WIDTH}x${HEIGHT} at $X,$Y"
[ "$HEIGHT" -le 4 ] || e2e_fail "the compact window's client area is ${HEIGHT} px high"
xprop -id "$WIN" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || e2e_fail "the compact window is not above the others"
for _ in $(seq 1 60); do
  [ "$(wc -l <"$CLICKS")" -ge 50 ] && [ "$(e2e_window_title "$WIN")" = "$MAIN_TITLE" ] && break
  sleep 0.1
done
COUNT=$(wc -l <"$CLICKS")
[ "$COUNT" -eq 50 ] || e2e_fail "after the delayed run the target has $COUNT clicks, expected 50"
eval "$(xdotool getwindowgeometry --shell "$WIN")"
[ "$WIDTH" -eq 569 ] && [ "$HEIGHT" -eq 585 ] || e2e_fail "the window did not get its size back (${WIDTH}x${HEIGHT})"
xprop -id "$WIN" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE && e2e_fail "the window stayed above the others after the run"

# ---- until stopped, then the stop hotkey (Shift+Ctrl+X) ends the run
type_into 410 263 0              # "Delay (s)"
click_at $QEL_AT_REPEAT_UNTIL_STOPPED                 # "Repeat until stopped"
click_at $QEL_AT_START                   # Start
sleep 0.7
xdotool key --clearmodifiers shift+ctrl+x
for _ in $(seq 1 50); do
  [ "$(e2e_window_title "$WIN")" = "$MAIN_TITLE" ] && break
  sleep 0.1
done
[ "$(e2e_window_title "$WIN")" = "$MAIN_TITLE" ] || e2e_fail "the stop hotkey did not end the run"
sleep 0.3
AFTER_STOP=$(wc -l <"$CLICKS")
sleep 0.5
[ "$AFTER_STOP" -gt 50 ] || e2e_fail "the run until stopped sent no clicks"
[ "$(wc -l <"$CLICKS")" -eq "$AFTER_STOP" ] || e2e_fail "clicks went on after the stop hotkey"
e2e_log "the stop hotkey ended a run after $((AFTER_STOP - 50)) clicks"

# ---- close with Alt+F4: the program ends and saves its settings
xdotool windowactivate --sync "$WIN" 2>/dev/null || true
xdotool key --clearmodifiers alt+F4
for _ in $(seq 1 100); do
  kill -0 $APP_PID 2>/dev/null || break
  sleep 0.1
done
kill -0 $APP_PID 2>/dev/null && e2e_fail "the program did not end after Alt+F4"
RC=0
wait $APP_PID || RC=$?
[ $RC -eq 0 ] || { cat "$TMP/app.log"; e2e_fail "the program exited with $RC after Alt+F4"; }
SETTINGS="$APPDATA/QEL Auto Clicker/settings.ini"
[ -s "$SETTINGS" ] || e2e_fail "no settings file after closing: $SETTINGS"
e2e_log "closed by Alt+F4, settings saved"

# ---- SIGTERM ends it the same way
rm -f "$SETTINGS"
"$APP" >"$TMP/app2.log" 2>&1 &
APP_PID=$!
e2e_track $APP_PID
e2e_wait_window "$MAIN_TITLE" 30 >/dev/null || e2e_fail "the program did not start again"
sleep 0.3
kill -TERM $APP_PID
for _ in $(seq 1 100); do
  kill -0 $APP_PID 2>/dev/null || break
  sleep 0.1
done
kill -0 $APP_PID 2>/dev/null && e2e_fail "the program did not end on SIGTERM"
RC=0
wait $APP_PID || RC=$?
[ $RC -eq 0 ] || e2e_fail "the program exited with $RC on SIGTERM"
[ -s "$SETTINGS" ] || e2e_fail "no settings file after SIGTERM"
e2e_log "SIGTERM closes the window and saves the settings"

echo "PASS linux_clicks"
