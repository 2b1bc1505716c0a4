#!/usr/bin/env bash
# Hold clicks and double clicks of the Linux program, stamped by press_counter --releases:
#  - Hold (click type 2, hold 80 ms): press-to-release time of each click;
#  - Double (click type 1): the gap between the two presses of each pair, to be compared
#    with a double-click time of 400-500 ms.
#   BENCH_BUILD=... bench/hold_double.sh [HOLD_CLICKS] [DOUBLE_CLICKS]
set -euo pipefail
source "$(dirname "$0")/common.sh"
nhold=${1:-30}
ndouble=${2:-50}
bench_start_display

# series TYPE INTERVAL_MS COUNT LOG: one run of COUNT clicks, stamped into LOG.
series() {
  local type=$1 ms=$2 count=$3 log=$4 data=$BENCH_WORK/data-$1
  bench_settings "$data" "[Target]" "mode=0" "[Click]" "button=0" "type=$type" "holdMs=80" \
    "[Interval]" "h=0" "m=0" "s=0" "ms=$ms" "[Repeat]" "untilStopped=0" "count=$count"
  bench_start_app "$data"
  sleep 1
  "$BENCH_TOOLS/press_counter" --releases "$log" >"$BENCH_WORK/counter.out" &
  local cp=$!
  bench_track $cp
  for _ in $(seq 50); do grep -q ready "$BENCH_WORK/counter.out" 2>/dev/null && break; sleep 0.05; done
  bench_click_start
  xdotool mousemove 1000 900      # the clicks land on the bare root window
  sleep 0.5
  for _ in $(seq $((count * ms / 100 + 100))); do
    [ "$(xdotool getwindowname "$WIN" 2>/dev/null)" = "$BENCH_TITLE" ] && break
    sleep 0.1
  done
  sleep 0.3
  kill "$cp"; wait "$cp" 2>/dev/null || true
  bench_stop_app
}

series 2 300 "$nhold" "$BENCH_WORK/hold.txt"
series 1 300 "$ndouble" "$BENCH_WORK/double.txt"
python3 - "$BENCH_WORK/hold.txt" "$BENCH_WORK/double.txt" "$(bench_load)" <<'PY'
import sys, statistics as st
def events(path):
    ev = []
    for line in open(path):
        f = line.split()
        ev.append((int(f[0]), int(f[1]), len(f) > 2))
    return ev
def summary(xs):
    xs = sorted(xs)
    return "n=%d median %.3f ms, min %.3f, max %.3f" % (len(xs), st.median(xs), xs[0], xs[-1])
# The Start click itself comes before the counter's first run click; only button-1 pairs after
# the pointer left the window are the run's, and Start's release is stamped too, so skip
# until the first press.
hold = events(sys.argv[1])
holds, down = [], None
for t, b, up in hold:
    if not up: down = t
    elif down is not None: holds.append((t - down) / 1000.0); down = None
# The first press/release is the Start button click (xdotool), not the program's.
holds = holds[1:]
print("hold 80 ms: press-to-release " + summary(holds) +
      "; within 1 ms of 80: %d of %d" % (sum(abs(h - 80) <= 1 for h in holds), len(holds)))
print("  all: " + " ".join("%.2f" % h for h in holds))
dbl = [t for t, b, up in events(sys.argv[2]) if not up][1:]
gaps = [(dbl[i + 1] - dbl[i]) / 1000.0 for i in range(0, len(dbl) - 1, 2)]
between = [(dbl[i + 2] - dbl[i]) / 1000.0 for i in range(0, len(dbl) - 2, 2)]
print("double: gap between the two presses " + summary(gaps))
print("double: pair to pair " + summary(between) + " (interval 300 ms)")
print("presses: hold %d, double %d; load %s" % (len(holds), len(dbl), sys.argv[3]))
PY
