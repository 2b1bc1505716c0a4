#!/bin/bash
# The Windows edition under Wine + Xvfb: a Stop during a hold click longer than the
# interval is the last word. Hold 2000 ms every 100 ms at a point of the target window;
# the stop hotkey about 1 s into the first hold. The next tick fell due during the hold,
# but the Stop is handled first: the target counts one press, and no press follows.
#
#   tests/e2e/windows_hold_stop.sh [build dir]    (default: build/windows)
# Environment: see tests/e2e/win/lib.sh.
set -euo pipefail
source "$(dirname "$0")/win/lib.sh"
trap win_cleanup EXIT
win_exe "${1:-}"

win_start_display
win_start_wine
win_start_target
mkdir -p "$WIN_WORK/appdata/QEL Auto Clicker"
printf '%s\r\n' "[Target]" "mode=1" "[Coords]" "x=150" "y=210" "[Interval]" "h=0" "m=0" "s=0" \
  "ms=100" "[Repeat]" "untilStopped=1" "[Click]" "button=0" "type=2" "holdMs=2000" \
  >"$WIN_WORK/appdata/QEL Auto Clicker/settings.ini"
win_start_app

: >"$WIN_CLICKS"
# shellcheck disable=SC2086
xdotool mousemove $((OX + ${WIN_START% *})) $((OY + ${WIN_START#* })) click 1
for _ in $(seq 1 100); do
  [ "$(win_clicks | wc -l)" -ge 1 ] && break
  sleep 0.02
done
[ "$(win_clicks | wc -l)" -eq 1 ] || win_fail "no press within 2 s of Start"
sleep 0.9
xdotool key ctrl+shift+x   # during the hold, which ends about 1 s from now
e2e_wait_title "$WIN" "$WIN_TITLE" 10 || win_fail "the run did not stop: caption \"$(xdotool getwindowname "$WIN")\""
sleep 3
PRESSES=$(win_clicks | wc -l)
echo "presses: $PRESSES (the one before the Stop); caption \"$(xdotool getwindowname "$WIN")\""
[ "$PRESSES" -eq 1 ] || win_fail "$PRESSES presses: a click followed the Stop ($(win_clicks | cut -d' ' -f3 | paste -sd' ') ms)"
echo "PASS"
