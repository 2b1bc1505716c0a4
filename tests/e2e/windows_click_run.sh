#!/bin/bash
# End-to-end test of the Windows edition under Wine + Xvfb, driven from outside with
# xdotool only: the target "Coordinates:" at a point inside a target window, a 10 ms
# interval, "Repeat" 25, Start. The target window counts exactly 25 presses at that point;
# the caption tells the stop hotkey during the run and is the program's own again after it;
# the settings are written when the window closes. Screenshots of the main and the compact
# window go to docs/.
#
#   tests/e2e/windows_click_run.sh [build dir]    (default: build/windows)
# Environment: see tests/e2e/win/lib.sh; QEL_E2E_SHOTS=1 writes the screenshots.
set -euo pipefail
source "$(dirname "$0")/win/lib.sh"
trap win_cleanup EXIT
win_exe "${1:-}"
SHOTS=${QEL_E2E_SHOTS:-0}

win_start_display
win_start_wine
win_start_target
PX=150 PY=210
win_start_app

# shellcheck disable=SC2086
{
  win_click $WIN_COORDINATES
  win_set_field $WIN_COORD_X "$PX"
  win_set_field $WIN_COORD_Y "$PY"
  win_set_field $WIN_MILLIS 10
  win_click $WIN_REPEAT_COUNT
  win_set_field $WIN_REPEAT 25
}
xdotool mousemove $((OX + 300)) $((OY + 560))   # off the buttons, for the picture
sleep 0.5

if [ "$SHOTS" = 1 ]; then
  mkdir -p "$WIN_ROOT/docs"
  import -window root "$WIN_WORK/screen-main.png"
  # The whole frame: the client plus the caption above it.
  convert "$WIN_WORK/screen-main.png" -crop "$((WIDTH + 16))x$((HEIGHT + 48))+$((OX - 8))+$((OY - 40))" \
    +repage "$WIN_ROOT/docs/windows-main.png"
fi

# ---- the run ----
: >"$WIN_CLICKS"
T0=$(date +%s.%N)
# shellcheck disable=SC2086
xdotool mousemove $((OX + ${WIN_START% *})) $((OY + ${WIN_START#* })) click 1
SEEN_RUNNING=0
for _ in $(seq 1 400); do
  NAME=$(xdotool getwindowname "$WIN" 2>/dev/null || true)
  [ "$NAME" = "$WIN_RUNNING" ] && SEEN_RUNNING=1
  if [ "$SEEN_RUNNING" = 1 ] && [ "$NAME" = "$WIN_TITLE" ]; then break; fi
  sleep 0.02
done
T1=$(date +%s.%N)
sleep 0.5
NAME=$(xdotool getwindowname "$WIN")
COUNT=$(win_clicks | wc -l)
AT_POINT=$(win_clicks | grep -c "^$PX $PY " || true)
SPAN=$(win_clicks | awk 'NR == 1 {a = $3} {b = $3} END {printf "%.1f", b - a}')
echo "run: $COUNT clicks ($AT_POINT at $PX,$PY), first to last ${SPAN} ms, caption back after" \
  "$(echo "$T1 - $T0" | bc) s; running caption seen: $SEEN_RUNNING"
[ "$SEEN_RUNNING" = 1 ] || win_fail "the caption never read \"$WIN_RUNNING\""
[ "$NAME" = "$WIN_TITLE" ] || win_fail "caption after the run is \"$NAME\""
[ "$COUNT" -eq 25 ] || win_fail "expected 25 clicks, got $COUNT"
[ "$AT_POINT" -eq 25 ] || win_fail "clicks not at $PX,$PY: $(win_clicks | cut -d' ' -f1,2 | sort | uniq -c | head -5)"

# ---- the compact window, held by a start delay of 3 s ----
# shellcheck disable=SC2086
win_set_field $WIN_DELAY 3
xdotool mousemove $((OX + ${WIN_START% *})) $((OY + ${WIN_START#* })) click 1
sleep 1.2
[ "$(xdotool getwindowname "$WIN")" = "$WIN_RUNNING" ] || win_fail "no compact window during the start delay"
win_geometry "$WIN"
echo "compact window: ${WIDTH}x${HEIGHT} client at $X,$Y"
[ "$HEIGHT" -le 8 ] || win_fail "the compact window has a client area ${HEIGHT} pixels high"
if [ "$SHOTS" = 1 ]; then
  import -window root "$WIN_WORK/screen-compact.png"
  convert "$WIN_WORK/screen-compact.png" -crop "$((WIDTH + 40))x$((HEIGHT + 80))+$((X - 20))+$((Y - 60))" \
    +repage "$WIN_ROOT/docs/windows-compact.png"
fi
xdotool key ctrl+shift+x   # the stop hotkey, before the clicks begin
sleep 1
# Wine delivers a hotkey only while one of its windows has the keyboard: shown, not judged.
echo "stop hotkey in the compact window: caption now \"$(xdotool getwindowname "$WIN")\""

# ---- close: the settings are written at exit ----
win_close_app
win_wait_app_end 10 || win_fail "the program did not end after its window was closed"
INI="$WIN_APPDATA/QEL Auto Clicker/settings.ini"
[ -f "$INI" ] || win_fail "no settings file at exit"
tr -d '\r' <"$INI" | grep -qx "count=25" || win_fail "the repeat count was not saved: $(cat "$INI")"
echo "PASS"
