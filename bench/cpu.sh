#!/usr/bin/env bash
# CPU use of the Linux program over 10 s each: idle with the window shown, a 100 ms-interval
# run and a 1 ms-interval run (clicks at the cursor, repeat until stopped), from utime+stime
# in /proc/<pid>/stat. Prints one Markdown row per case, with the load average.
#   BENCH_BUILD=... bench/cpu.sh [SECONDS]
set -euo pipefail
source "$(dirname "$0")/common.sh"
secs=${1:-10}
bench_start_display
hz=$(bench_hz)

# cpu_over LABEL: CPU share of the program over $secs from now, and the presses the X server
# delivered meanwhile.
cpu_over() {
  local t0 c0 t1 c1 cp presses
  "$BENCH_TOOLS/press_counter" "$BENCH_WORK/presses.txt" >"$BENCH_WORK/counter.out" &
  cp=$!
  bench_track $cp
  for _ in $(seq 50); do grep -q ready "$BENCH_WORK/counter.out" 2>/dev/null && break; sleep 0.05; done
  t0=$(date +%s%N); c0=$(bench_ticks "$APP_PID")
  sleep "$secs"
  t1=$(date +%s%N); c1=$(bench_ticks "$APP_PID")
  kill "$cp"; wait "$cp" 2>/dev/null || true
  presses=$(wc -l <"$BENCH_WORK/presses.txt")
  awk -v c=$((c1 - c0)) -v hz="$hz" -v ns=$((t1 - t0)) -v l="$1" -v p="$presses" -v load="$(bench_load)" \
    'BEGIN { printf "| %s | %.2f s | %d | %d ticks (%.0f ms) | %.2f %% | %s |\n", l, ns/1e9, p, c, c*1000/hz, 100*c/hz/(ns/1e9), load }'
}

echo "| case | wall | presses | CPU time | of one core | load (1/5/15 min) |"
echo "|---|---|---|---|---|---|"
for ms in idle 100 1; do
  data=$BENCH_WORK/data-$ms
  bench_settings "$data" "[Target]" "mode=0" "[Interval]" "h=0" "m=0" "s=0" "ms=${ms/idle/100}" \
    "[Repeat]" "untilStopped=1" "count=1"
  bench_start_app "$data"
  sleep 1.5
  if [ "$ms" = idle ]; then
    cpu_over "idle, window shown"
  else
    bench_click_start
    # The clicks land on the bare root window, away from the program's own window.
    xdotool mousemove 1000 900
    sleep 0.5
    [ "$(xdotool getwindowname "$WIN")" != "$BENCH_TITLE" ] || { echo "the run did not start"; exit 1; }
    cpu_over "running, $ms ms interval"
  fi
  bench_stop_app
done
