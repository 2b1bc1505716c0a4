#!/usr/bin/env bash
# Soak test of the Windows edition under Wine: N clicks at 1 ms at the cursor, which rests
# on the Win32 target window (tests/e2e/win/win_target.cpp) that logs every press (Wine
# keeps SendInput's buttons inside the wine server, so an X client cannot count them).
# The repeat count stops at 65535, so N is made of equal runs of one process. The wine
# process's resident memory (VmRSS) is sampled meanwhile. Fails on a wrong count, a run
# that does not end, or growth beyond --rss-growth-kb after the warm-up (the first tenth).
#
#   bench/wine_soak.sh [--clicks N] [--sample S] [--rss-growth-kb K]
# Defaults: 100000 clicks (2 runs), a sample every 5 s, 16384 kB. Environment:
# BENCH_WIN_EXE, BENCH_DISPLAY (default :153), WINEPREFIX (default /tmp/wine-bench).
set -euo pipefail
clicks=100000
sample=5
growth_kb=16384
while [ $# -gt 0 ]; do
  case $1 in
    --clicks) clicks=$2; shift ;;
    --sample) sample=$2; shift ;;
    --rss-growth-kb) growth_kb=$2; shift ;;
    *) echo "unknown option $1"; exit 2 ;;
  esac
  shift
done
BENCH_DISPLAY=${BENCH_DISPLAY:-:153}
source "$(dirname "$0")/common.sh"
source "$BENCH_HERE/wine_common.sh"
wine_setup
log=$BENCH_WORK/clicks.txt
wine_start_target "$log"
rss() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status" 2>/dev/null || true; }  # empty once it ended

runs=$(((clicks + 65534) / 65535))
per_run=$(((clicks + runs - 1) / runs))
total=$((per_run * runs))
data=$BENCH_WORK/data
bench_settings "$data" "[Target]" "mode=0" "[Interval]" "h=0" "m=0" "s=0" "ms=1" \
  "[Repeat]" "untilStopped=0" "count=$per_run" "[Delay]" "startDelayS=1"
wine_start_app "$data"
sleep 1
# The wine process that runs the program publishes its own process id on its window.
pid=$(xdotool getwindowpid "$WIN")
info=$(xwininfo -id "$WIN")
ox=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
oy=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
rss0=$(rss "$pid")
samples=()
t0=$(date +%s)
ended=1
for ((run = 1; run <= runs; run++)); do
  xdotool mousemove $((ox + 60)) $((oy + 26)) click 1      # Start
  xdotool mousemove 1000 800         # inside the target, during the 1 s start delay
  sleep 1.5
  deadline=$(($(date +%s) + 60 + per_run / 100))
  ended=0
  while [ "$(date +%s)" -lt $deadline ]; do
    [ "$(xdotool getwindowname "$WIN" 2>/dev/null)" = "$BENCH_TITLE" ] && { ended=1; break; }
    samples+=("$(rss "$pid")")
    sleep "$sample"
  done
  [ $ended = 1 ] || break
done
dur=$(($(date +%s) - t0))
sleep 0.5
rss_end=$(rss "$pid")
got=$(tr -d '\r' <"$log" | grep -c .) || true
n=${#samples[@]}
w=$((n / 10)); [ $w -lt 1 ] && w=1
rss_warm=$rss_end
[ "$n" -gt 0 ] && rss_warm=${samples[$((w - 1))]}
echo "wine clicks: delivered $got of $total in ${dur} s ($runs run(s)); VmRSS kB start $rss0, warm $rss_warm, end $rss_end (growth $((rss_end - rss_warm)) kB after warm-up, $((rss_end - rss0)) kB from the start, $n samples)"
xdotool windowactivate --sync "$WIN" 2>/dev/null || true; xdotool key alt+F4
for _ in $(seq 50); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
failed=0
[ $ended = 1 ] || { echo "FAIL: a run did not end"; failed=1; }
[ "$got" -eq "$total" ] || { echo "FAIL: $got delivered, expected $total"; failed=1; }
[ $((rss_end - rss_warm)) -le "$growth_kb" ] || { echo "FAIL: VmRSS grew by $((rss_end - rss_warm)) kB"; failed=1; }
[ $failed = 0 ] && echo "PASS wine soak" || exit 1
