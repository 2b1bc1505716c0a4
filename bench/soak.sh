#!/usr/bin/env bash
# Soak test of the Linux edition under its own Xvfb: a long click run and a long macro
# playback, each counted exactly by press_counter, with the program's resident memory
# (VmRSS) sampled while it runs.
#  (a) N single left clicks at 1 ms ("Repeat" N, cursor position): presses == N;
#  (b) a two-click macro played M times ("Repeat" M): presses + releases == 4 * M.
# Each part ends when the caption returns to the idle title; it fails on a wrong count, on
# a run that does not end in time, or when VmRSS grows by more than --rss-growth-kb between
# the end of the warm-up (the first tenth of the run, at least one sample) and the end.
#
# usage: bench/soak.sh [--clicks N] [--passes M] [--sample S] [--rss-growth-kb K]
# Defaults: 1000000 clicks (about 17 min, in 16 runs: the repeat count ends at 65535),
# 1000 passes (at most 65535), a sample every 5 s, 16384 kB.
# --clicks 0 or --passes 0 skips that part. Environment as bench/common.sh (BENCH_APP,
# BENCH_BUILD, BENCH_DISPLAY).
set -euo pipefail
clicks=1000000
passes=1000
sample=5
growth_kb=16384
while [ $# -gt 0 ]; do
  case $1 in
    --clicks) clicks=$2; shift ;;
    --passes) passes=$2; shift ;;
    --sample) sample=$2; shift ;;
    --rss-growth-kb) growth_kb=$2; shift ;;
    *) echo "unknown option $1"; exit 2 ;;
  esac
  shift
done
BENCH_DISPLAY=${BENCH_DISPLAY:-:152}
source "$(dirname "$0")/common.sh"
counter=$BENCH_TOOLS/press_counter
for f in "$BENCH_APP" "$counter"; do [ -x "$f" ] || { echo "missing $f (build the linux preset first)"; exit 2; }; done

bench_start_display
failed=0
rss() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status" 2>/dev/null || true; }  # empty once it ended

# soak NAME EXPECTED RUNS DEADLINE_S [--releases]: the program is running (APP_PID, WIN) with
# its settings loaded; starts it RUNS times by hotkey, each time waiting for the idle
# caption, and samples VmRSS meanwhile.
soak() {
  local name=$1 expected=$2 runs=$3 deadline_s=$4 mode=${5:-}
  local log=$BENCH_WORK/$name.presses
  "$counter" $mode "$log" >"$BENCH_WORK/counter.out" &
  local cp=$!
  bench_track $cp
  for _ in $(seq 50); do grep -q ready "$BENCH_WORK/counter.out" 2>/dev/null && break; sleep 0.05; done
  sleep 0.5
  local rss0 t0 now samples=() title ended=0 run
  rss0=$(rss "$APP_PID")
  # Started by hotkey with the pointer on the bare desktop, off the program's window.
  xdotool mousemove 1200 900
  sleep 0.2
  t0=$(date +%s)
  for ((run = 1; run <= runs; run++)); do
    ended=0
    # Without --clearmodifiers: xdotool would restore a button it saw held after the key,
    # which during playback is one of our own presses, and add a press to the count.
    xdotool key ctrl+shift+s
    sleep 1
    while :; do
      now=$(date +%s)
      title=$(xdotool getwindowname "$WIN" 2>/dev/null) || true
      if [ "$title" = "$BENCH_TITLE" ]; then ended=1; break; fi
      kill -0 "$APP_PID" 2>/dev/null || break
      [ $((now - t0)) -ge "$deadline_s" ] && break
      samples+=("$(rss "$APP_PID")")
      sleep "$sample"
    done
    [ $ended = 1 ] || break
  done
  local dur=$(($(date +%s) - t0)) rss_end
  rss_end=$(rss "$APP_PID")
  sleep 0.5
  kill "$cp"; wait "$cp" 2>/dev/null || true
  local got n=${#samples[@]}
  got=$(wc -l <"$log")
  # Warm-up: the first tenth of the samples, at least one.
  local w=$((n / 10)); [ $w -lt 1 ] && w=1; [ $w -gt $n ] && w=$n
  local rss_warm=$rss_end
  [ $n -gt 0 ] && rss_warm=${samples[$((w - 1))]}
  local rss_max=$rss_end s
  for s in "${samples[@]}"; do [ "${s:-0}" -gt "$rss_max" ] && rss_max=$s; done
  echo "$name: delivered $got of $expected in ${dur} s ($runs run(s)); VmRSS kB start $rss0, warm $rss_warm, end $rss_end, max $rss_max (growth $((rss_end - rss_warm)) kB after warm-up, $((rss_end - rss0)) kB from the start, $n samples)"
  [ $ended = 1 ] || { echo "FAIL $name: the run did not end (caption \"$title\")"; failed=1; }
  [ "$got" -eq "$expected" ] || { echo "FAIL $name: $got delivered, expected $expected"; failed=1; }
  [ $((rss_end - rss_warm)) -le "$growth_kb" ] || { echo "FAIL $name: VmRSS grew by $((rss_end - rss_warm)) kB"; failed=1; }
}

if [ "$clicks" -gt 0 ]; then
  # The repeat count stops at 65535: more clicks are made by several runs of one process,
  # of equal length, so the total is exact when the runs divide N (1000000 = 16 * 62500).
  runs=$(((clicks + 65534) / 65535))
  per_run=$(((clicks + runs - 1) / runs))
  [ $((per_run * runs)) -eq "$clicks" ] || echo "note: $clicks rounded up to $runs runs of $per_run"
  data=$BENCH_WORK/clicks
  bench_settings "$data" "[Target]" "mode=0" "[Interval]" "h=0" "m=0" "s=0" "ms=1" \
    "[Repeat]" "untilStopped=0" "count=$per_run" "[Click]" "button=0" "type=0"
  bench_start_app "$data"
  sleep 1
  soak clicks $((per_run * runs)) "$runs" $((60 + clicks / 200))
  bench_stop_app
fi

if [ "$passes" -gt 0 ]; then
  data=$BENCH_WORK/macro
  bench_settings "$data" "[Target]" "mode=2" "[Repeat]" "untilStopped=0" "count=$passes" \
    "[Macros]" "selected=0"
  mkdir -p "$data/QEL Auto Clicker/Macros"
  # Two left clicks 10 px apart, 10 ms per pass, on the bare desktop.
  { printf '\xef\xbb\xbf'; printf '%s\r\n' "Name=soak" "DurationMs=10" "E=0|0|1000|700|-1" "E=2|1|1000|700|0" \
    "E=4|2|1000|700|0" "E=6|1|1010|700|0" "E=8|2|1010|700|0"; } >"$data/QEL Auto Clicker/Macros/soak.qelmac"
  bench_start_app "$data"
  sleep 1
  soak macro $((passes * 4)) 1 $((60 + passes / 10)) --releases
  bench_stop_app
fi

[ $failed = 0 ] && echo "PASS soak" || exit 1
