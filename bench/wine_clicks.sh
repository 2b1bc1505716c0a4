#!/usr/bin/env bash
# The Windows edition under Wine: a 1 ms and a 10 ms run, clicks at the cursor, which rests
# on a Win32 target window (tests/e2e/win/win_target.cpp) that stamps each WM_LBUTTONDOWN
# with QueryPerformanceCounter. Wine 8 hands SendInput's buttons to the window inside the
# wine server and never to the X server, so an X client such as press_counter sees none of
# them; the target's stamps are the nearest equivalent. Beside each run of the program, a
# bare Win32 loop that keeps the program's timer rule (bench/win_bare_loop.cpp) clicks the
# same target in the same Wine session: the limit of the platform. Prints table rows in
# bench/run.sh's columns, and the program's rate as a share of the bare loop's.
#   BENCH_BUILD=<linux build with bench/> BENCH_WIN_EXE=<QELAutoClicker.exe> bench/wine_clicks.sh [N1] [N10]
# Environment: BENCH_DISPLAY (default :106), WINEPREFIX (default /tmp/wine-bench).
set -euo pipefail
BENCH_DISPLAY=${BENCH_DISPLAY:-:106}
source "$(dirname "$0")/common.sh"
source "$BENCH_HERE/wine_common.sh"
n1=${1:-2000}
n10=${2:-500}
wine_setup
clicks=$BENCH_WORK/clicks.txt
wine_start_target "$clicks"
wine_copy_bare_loop

# series LABEL MS N BASE: the table row of the presses after line BASE of the target's log;
# sets RATE and P99.
series() {
  local log=$BENCH_WORK/series.txt row
  tail -n +$(($4 + 1)) "$clicks" | tr -d '\r' | awk '{ printf "%d 1\n", $3 * 1000 }' >"$log"
  row=$(python3 "$BENCH_HERE/analyze.py" "$log" "$2" "$1" --last "$3")
  echo "$row"
  RATE=$(awk -F'|' '{ gsub(/ /, "", $4); print $4 }' <<<"$row")
  P99=$(awk -F'|' '{ gsub(/ /, "", $7); print $7 }' <<<"$row")
}

echo "| series | presses | clicks/s | mean interval (ms) | median error (ms) | p99 error (ms) | drift (ms) | longest gap (ms) | lost ticks |"
echo "|---|---|---|---|---|---|---|---|---|"
for spec in "1 $n1" "10 $n10"; do
  set -- $spec
  ms=$1 n=$2 data=$BENCH_WORK/data-$1
  bench_settings "$data" "[Target]" "mode=0" "[Interval]" "h=0" "m=0" "s=0" "ms=$ms" \
    "[Repeat]" "untilStopped=0" "count=$n" "[Delay]" "startDelayS=1"
  wine_start_app "$data"
  sleep 1
  info=$(xwininfo -id "$WIN")
  ox=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
  oy=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
  base=$(wc -l <"$clicks")
  xdotool mousemove $((ox + 60)) $((oy + 26)) click 1      # Start
  xdotool mousemove 1000 800         # inside the target, during the 1 s start delay
  sleep 0.5
  [ -n "${BENCH_DEBUG:-}" ] && echo "title after Start: $(xdotool getwindowname "$WIN")"
  for _ in $(seq $((n * ms / 100 + 300))); do
    [ "$(xdotool getwindowname "$WIN" 2>/dev/null)" = "$BENCH_TITLE" ] && break
    sleep 0.1
  done
  sleep 0.3
  series "QEL Auto Clicker (Windows, Wine 8), $ms ms" "$ms" "$n" "$base"
  app_rate=$RATE app_p99=$P99
  xdotool windowactivate --sync "$WIN" 2>/dev/null || true; xdotool key alt+F4
  for _ in $(seq 50); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
  kill "$APP_PID" 2>/dev/null || true; wait "$APP_PID" 2>/dev/null || true
  sleep 1
  base=$(wc -l <"$clicks")
  xdotool mousemove 1000 800
  (cd "$BENCH_WORK" && exec wine win_bare_loop.exe "$ms" "$n" 1000 >/dev/null 2>&1) &
  bare=$!
  bench_track $bare
  wait "$bare" || true
  sleep 0.3
  series "bare Win32 loop, same rule, $ms ms" "$ms" "$n" "$base"
  awk -v a="$app_rate" -v b="$RATE" -v pa="$app_p99" -v pb="$P99" -v load="$(bench_load)" 'BEGIN {
    printf "  load %s; the program at %.1f %% of the bare loop'"'"'s rate, p99 error %+.3f ms beside it\n",
      load, (b > 0 ? 100 * a / b : 0), pa - pb }'
done
