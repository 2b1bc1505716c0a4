#!/bin/bash
# Measures the Windows edition's click timer under Wine + Xvfb: 1 ms and 10 ms intervals,
# clicks counted and timed by the target window. A plain window timer would give at most
# 64-100 clicks a second; the program's precise timer should come close to the interval.
#
#   tests/e2e/windows_timer_rate.sh [build dir]    (default: build/windows)
# Environment: see tests/e2e/win/lib.sh; QEL_MIN_RATE_1MS (default 300) is the least
# acceptable rate at 1 ms, kept loose because Wine's input path is slower than Windows'.
set -euo pipefail
source "$(dirname "$0")/win/lib.sh"
trap win_cleanup EXIT
win_exe "${1:-}"
MIN_RATE=${QEL_MIN_RATE_1MS:-300}

win_start_display
win_start_wine
win_start_target
win_start_app

# shellcheck disable=SC2086
{
  win_click $WIN_COORDINATES
  win_set_field $WIN_COORD_X 150
  win_set_field $WIN_COORD_Y 210
  win_click $WIN_REPEAT_COUNT
}

# One run: interval $1 ms, $2 clicks; prints "count span_ms rate".
measure() {
  # shellcheck disable=SC2086
  win_set_field $WIN_MILLIS "$1"
  # shellcheck disable=SC2086
  win_set_field $WIN_REPEAT "$2"
  : >"$WIN_CLICKS"
  xdotool mousemove $((OX + ${WIN_START% *})) $((OY + ${WIN_START#* })) click 1
  for _ in $(seq 1 600); do
    sleep 0.1
    [ "$(xdotool getwindowname "$WIN" 2>/dev/null || true)" = "$WIN_TITLE" ] && break
  done
  sleep 0.5
  win_clicks | awk 'NR == 1 {a = $3} {b = $3; n++}
    END {span = b - a; rate = (span > 0) ? (n - 1) * 1000 / span : 0; printf "%d %.1f %.0f\n", n, span, rate}'
}

R1=$(measure 1 1000)
read -r N1 SPAN1 RATE1 <<<"$R1"
echo "1 ms: $N1 clicks in $SPAN1 ms: $RATE1 clicks/s (ideal 1000)"
R10=$(measure 10 200)
read -r N10 SPAN10 RATE10 <<<"$R10"
echo "10 ms: $N10 clicks in $SPAN10 ms: $RATE10 clicks/s (ideal 100)"
[ "$N1" -eq 1000 ] || win_fail "1 ms run: $N1 clicks"
[ "$N10" -eq 200 ] || win_fail "10 ms run: $N10 clicks"
[ "$RATE1" -ge "$MIN_RATE" ] || win_fail "1 ms run: $RATE1 clicks/s, below $MIN_RATE"
[ "$RATE10" -ge 90 ] && [ "$RATE10" -le 101 ] || win_fail "10 ms run: $RATE10 clicks/s"
echo "PASS"
