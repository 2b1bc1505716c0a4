#!/usr/bin/env bash
# The recorder's cost per event under a 1000 Hz stream of pointer moves (Linux program):
# "Macros:", Create, Shift+Ctrl+R, then xtest_mover sends N moves at 1 ms (absolute
# deadlines, every move a new position), Shift+Ctrl+X. Reports the program's CPU time
# during the stream divided by the events recorded, and how many of the moves the saved
# .qelmac holds. For comparison the same stream is first sent while the program only shows
# its window.
#   BENCH_BUILD=... bench/recorder_cost.sh [MOVES]
set -euo pipefail
source "$(dirname "$0")/common.sh"
n=${1:-5000}
bench_start_display
hz=$(bench_hz)
data=$BENCH_WORK/data
mkdir -p "$data"
bench_start_app "$data"
sleep 1

# stream: N moves at 1 kHz; prints "<program CPU ticks> <wall ms>".
stream() {
  local c0 t0 c1 t1
  c0=$(bench_ticks "$APP_PID"); t0=$(date +%s%N)
  "$BENCH_TOOLS/xtest_mover" 1000 "$n" 1000 900   # starts from (1000,900)
  sleep 0.2                      # what the program still had queued
  c1=$(bench_ticks "$APP_PID"); t1=$(date +%s%N)
  echo "$((c1 - c0)) $(((t1 - t0) / 1000000))"
}
title() { xdotool getwindowname "$WIN" 2>/dev/null; }
wait_title() { # REGEX SECONDS
  for _ in $(seq $(($2 * 10))); do [[ "$(title)" =~ $1 ]] && return 0; sleep 0.1; done
  echo "title \"$(title)\" did not match $1"; exit 1
}

read -r idle_ticks idle_ms < <(stream)

xdotool mousemove --window "$WIN" 50 160 click 1; sleep 0.15   # "Macros:"
xdotool mousemove --window "$WIN" 43 197 click 1; sleep 0.15   # "Create"
wait_title "^ *Recording starts in" 5
xdotool mousemove 1000 900
xdotool key --clearmodifiers shift+ctrl+r
wait_title "^ *Recording\.\.\." 3
sleep 0.3
read -r rec_ticks rec_ms < <(stream)
xdotool key --clearmodifiers shift+ctrl+x
wait_title "^$BENCH_TITLE\$" 10
sleep 0.5
bench_stop_app

shopt -s nullglob
files=("$data/QEL Auto Clicker/Macros"/*.qelmac)
[ ${#files[@]} -eq 1 ] || { echo "expected one macro file, found ${#files[@]}"; exit 1; }
events=$(grep -c '^E=' "${files[0]}")
moves=$(tr -d '\r' <"${files[0]}" | grep '^E=' | awk -F'|' '$2 == 0' | wc -l)
inrange=$(tr -d '\r' <"${files[0]}" | grep '^E=' | awk -F'|' '$2 == 0 && $3 >= 1000 && $3 < 1050 && $4 >= 900 && $4 <= 901' | wc -l)
awk -v n="$n" -v hz="$hz" -v it="$idle_ticks" -v im="$idle_ms" -v rt="$rec_ticks" -v rm="$rec_ms" \
  -v ev="$events" -v mv="$moves" -v ir="$inrange" -v load="$(bench_load)" 'BEGIN {
  printf "stream of %d moves at 1 kHz, window only: %.0f ms CPU in %d ms (%.1f %% of a core)\n", n, it*1000/hz, im, 100*it*1000/hz/im
  printf "stream of %d moves at 1 kHz, recording:   %.0f ms CPU in %d ms (%.1f %% of a core)\n", n, rt*1000/hz, rm, 100*rt*1000/hz/rm
  # The first event is where the pointer rests when the recording begins.
  printf "recorded: %d events, %d moves; after the resting position %d from the stream (%.1f %% of %d)\n", ev, mv, ir-1, 100*(ir-1)/n, n
  printf "cost per recorded event: %.1f us (%.1f us above the window-only stream)\n", rt*1e6/hz/ev, (rt-it)*1e6/hz/ev
  printf "load %s\n", load }'
