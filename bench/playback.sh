#!/usr/bin/env bash
# Macro playback timing of the Linux program: a generated 10 s macro of clicks at uneven
# offsets is played once, and press_counter --releases stamps every press and release the X
# server delivers. Each event's offset from the first one is compared with its recorded
# offset from the first event (the pass start).
#   BENCH_BUILD=... bench/playback.sh [CLICKS] [SECONDS]
set -euo pipefail
source "$(dirname "$0")/common.sh"
clicks=${1:-200}
seconds=${2:-10}
bench_start_display

data=$BENCH_WORK/data
bench_settings "$data" "[Target]" "mode=2" "[Repeat]" "untilStopped=0" "count=1" "[Macros]" "selected=0"
mkdir -p "$data/QEL Auto Clicker/Macros"
# Clicks on the bare root window, far from the program's window: a move to the point, then a
# press and a release 5-25 ms later; gaps between clicks vary from 10 to 90 ms.
python3 - "$data/QEL Auto Clicker/Macros/bench.qelmac" "$clicks" "$seconds" <<'PY'
import random, sys
path, n, secs = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
rng = random.Random(7)
starts = sorted(rng.sample(range(0, int(secs * 1000) - 30, 2), n))
events, t_prev = [], -100
for t in starts:
    if t - t_prev < 10:
        t = t_prev + 10
    hold = rng.randint(5, 25)
    events += [(t, 0, -1), (t, 1, 0), (t + hold, 2, 0)]
    t_prev = t + hold
lines = ["Name=bench", "DurationMs=%d" % (events[-1][0] + 1)]
lines += ["E=%d|%d|1000|900|%d" % (t, k, b) for t, k, b in events]
open(path, "w", newline="").write("\ufeff" + "\r\n".join(lines) + "\r\n")
PY
bench_start_app "$data"
sleep 1
"$BENCH_TOOLS/press_counter" --releases "$BENCH_WORK/stamps.txt" >"$BENCH_WORK/counter.out" &
cp=$!
bench_track $cp
for _ in $(seq 50); do grep -q ready "$BENCH_WORK/counter.out" 2>/dev/null && break; sleep 0.05; done
# Started by the hotkey with the pointer already off the window, so no press of our own
# reaches the counter.
xdotool mousemove 1000 900
sleep 0.2
xdotool key --clearmodifiers ctrl+shift+s
sleep 1
for _ in $(seq $((seconds * 10 + 100))); do
  [ "$(xdotool getwindowname "$WIN" 2>/dev/null)" = "$BENCH_TITLE" ] && break
  sleep 0.1
done
sleep 0.3
kill "$cp"; wait "$cp" 2>/dev/null || true
bench_stop_app
python3 - "$data/QEL Auto Clicker/Macros/bench.qelmac" "$BENCH_WORK/stamps.txt" "$(bench_load)" <<'PY'
import sys, statistics as st
recorded = []
for line in open(sys.argv[1], encoding="utf-8-sig"):
    if line.startswith("E="):
        t, kind = line[2:].split("|")[:2]
        if kind in ("1", "2"):
            recorded.append(int(t))
stamps = [int(l.split()[0]) for l in open(sys.argv[2]) if l.strip()]
if len(stamps) != len(recorded):
    print("events: %d delivered, %d recorded" % (len(stamps), len(recorded)))
    sys.exit(1)
errors = sorted(abs((s - stamps[0]) / 1000.0 - (r - recorded[0])) for s, r in zip(stamps, recorded))
p99 = errors[min(len(errors) - 1, int(round(0.99 * (len(errors) - 1))))]
within = sum(e <= 2.0 for e in errors)
diffs = sorted((s - stamps[0]) / 1000.0 - (r - recorded[0]) for s, r in zip(stamps, recorded))
mid = st.median(diffs)
print("offsets from the first event: median %+.3f ms; around that median: max %.3f ms"
      % (mid, max(abs(d - mid) for d in diffs)))
print("playback of a %.1f s macro: %d presses and releases delivered of %d; error against the"
      " recorded offset: median %.3f ms, p99 %.3f ms, max %.3f ms; within 2 ms: %d of %d; load %s"
      % ((recorded[-1] - recorded[0]) / 1000.0, len(stamps), len(recorded), st.median(errors), p99,
         errors[-1], within, len(errors), sys.argv[3]))
PY
