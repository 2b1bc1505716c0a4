#!/usr/bin/env bash
# One command, one table: click rate and interval error of QEL Auto Clicker (Linux edition)
# beside `xdotool click --repeat N --delay D` and a bare XTest loop, all measured in the same
# run by one X client (press_counter) that stamps the presses the X server delivers.
#
# usage: bench/run.sh [BUILD_DIR] [--quick] [--only MS] [--runs R] [--count N] [--openbox] [--options]
# Writes bench/out/*.txt and prints a Markdown table; --quick shortens every series and
# measures one run, --only runs the series of one interval (1, 10 or 100), --runs repeats
# every series R times (default 10, the program started afresh each time) and reports them
# in one row, --count sets the number of clicks of each selected series, --openbox puts a
# window manager on the display (the program's compact window is then managed), --options
# adds rows of the program with the options that could cost the 1 ms rate: the corner stop,
# and a fixed point with and without a random spread of 20 px.
# Display: E2E_DISPLAY or BENCH_DISPLAY (default 77).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${1:-$root/build/linux}
quick=0
only=""
runs=""
count=""
openbox=0
options=0
shift || true
while [ $# -gt 0 ]; do
  case $1 in
    --quick) quick=1 ;;
    --only) only=$2; shift ;;
    --runs) runs=$2; shift ;;
    --count) count=$2; shift ;;
    --openbox) openbox=1 ;;
    --options) options=1 ;;
    *) echo "unknown option $1"; exit 2 ;;
  esac
  shift
done
app=$build/src/linux/qel-autoclicker
counter=$build/bench/press_counter
loop=$build/bench/xtest_loop
out=$here/out
mkdir -p "$out"
for f in "$app" "$counter" "$loop"; do [ -x "$f" ] || { echo "missing $f (build the linux preset first)"; exit 2; }; done

[ -n "$runs" ] || { [ $quick = 1 ] && runs=1 || runs=10; }
display=:${E2E_DISPLAY:-${BENCH_DISPLAY:-77}}
display=:${display#:}
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb $display -noreset -screen 0 1280x800x24 >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
if [ $openbox = 1 ]; then
  openbox --sm-disable >/dev/null 2>&1 &
  pids+=($!)
  # Openbox drops map requests until it has published the work area.
  for _ in $(seq 150); do xprop -root _NET_WORKAREA 2>/dev/null | grep -q "= " && break; sleep 0.1; done
  sleep 0.2
fi

# Counts presses while "$@" runs; the log goes to $1.
measure() {
  local log=$1; shift
  "$counter" "$log" > "$work/counter.out" &
  local cp=$!
  for _ in $(seq 50); do grep -q ready "$work/counter.out" 2>/dev/null && break; sleep 0.05; done
  "$@"
  sleep 0.3
  kill "$cp"; wait "$cp" || true
}

# The program: a settings file with the interval, a repeat count, the target mode of
# BENCH_MODE (default 0, the cursor) and any further lines (of other sections), then Start.
run_program() {
  local ms=$1 count=$2
  shift 2
  local data=$work/appdata-$ms
  mkdir -p "$data/QEL Auto Clicker"
  { printf '[Target]\r\nmode=%s\r\n[Interval]\r\nh=0\r\nm=0\r\ns=0\r\nms=%s\r\n[Repeat]\r\nuntilStopped=0\r\ncount=%s\r\n' \
    "${BENCH_MODE:-0}" "$ms" "$count"; [ $# -gt 0 ] && printf '%s\r\n' "$@"; } > "$data/QEL Auto Clicker/settings.ini"
  APPDATA=$data XDG_CONFIG_HOME=$data QEL_UPDATE_URL=http://127.0.0.1:9/ "$app" &
  local ap=$!
  local win=""
  for _ in $(seq 100); do
    win=$(xdotool search --name '^  QEL Auto Clicker 2.4$' 2>/dev/null | head -1) && [ -n "$win" ] && break
    sleep 0.1
  done
  [ -n "$win" ] || { echo "program window not found"; kill $ap; return 1; }
  sleep 0.5
  # Started by its global hotkey with the pointer on the bare desktop, far from the
  # window: clicking the Start button would leave the pointer over the program's own
  # window, and every synthetic click would then also cost the program an input event.
  xdotool mousemove 1200 760
  sleep 0.2
  xdotool key --clearmodifiers ctrl+shift+s
  sleep 0.2
  # Ends by itself when the count is reached: the caption comes back.
  local deadline=$(( $(date +%s) + 10 + count * (ms > 0 ? ms : 1) / 1000 * 2 ))
  while [ "$(date +%s)" -lt $deadline ]; do
    name=$(xdotool getwindowname "$win" 2>/dev/null || true)
    [ "$name" = "  QEL Auto Clicker 2.4" ] && break
    sleep 0.2
  done
  kill -TERM $ap 2>/dev/null || true   # the program saves and ends on SIGTERM
  wait $ap 2>/dev/null || true
}

n1=10000; n10=1000; n100=200
[ $quick = 1 ] && { n1=2000; n10=200; n100=30; }
[ -n "$count" ] && { n1=$count; n10=$count; n100=$count; }

echo "| series | presses | clicks/s | mean interval (ms) | median error (ms) | p99 error (ms) | drift (ms) | longest gap (ms) | lost ticks |"
echo "|---|---|---|---|---|---|---|---|---|"
for spec in "1 $n1" "10 $n10" "100 $n100"; do
  set -- $spec
  ms=$1; n=$2
  [ -n "$only" ] && [ "$only" != "$ms" ] && continue
  program=() xdo=() xtest=()
  for r in $(seq "$runs"); do
    measure "$out/program-$ms-$r.txt" run_program "$ms" "$n"
    measure "$out/xdotool-$ms-$r.txt" xdotool click --repeat "$n" --delay "$ms" 1
    measure "$out/xtest-$ms-$r.txt" "$loop" $((ms * 1000)) "$n"
    program+=("$out/program-$ms-$r.txt") xdo+=("$out/xdotool-$ms-$r.txt") xtest+=("$out/xtest-$ms-$r.txt")
  done
  files() { local IFS=,; echo "$*"; }
  python3 "$here/analyze.py" "$(files "${program[@]}")" "$ms" "QEL Auto Clicker, $ms ms" --last "$n" --errors "$out/program-$ms.err"
  python3 "$here/analyze.py" "$(files "${xdo[@]}")" "$ms" "xdotool --delay $ms" --errors "$out/xdotool-$ms.err"
  python3 "$here/analyze.py" "$(files "${xtest[@]}")" "$ms" "bare XTest loop, $ms ms" --errors "$out/xtest-$ms.err"
done

# The options, on the 1 ms series. The fixed point lies on the bare desktop, where the
# pointer of the other rows waits too.
if [ $options = 1 ] && { [ -z "$only" ] || [ "$only" = 1 ]; }; then
  for variant in "corner stop" "fixed point" "fixed point, radius 20"; do
    case $variant in
      "corner stop") mode=0 lines=("[UI]" "cornerStop=1") ;;
      "fixed point") mode=1 lines=("[Coords]" "x=1200" "y=700") ;;
      *) mode=1 lines=("[Coords]" "x=1200" "y=700" "radius=20") ;;
    esac
    tag=${variant//[ ,]/_}
    files_v=()
    for r in $(seq "$runs"); do
      BENCH_MODE=$mode measure "$out/program-1-$tag-$r.txt" run_program 1 "$n1" "${lines[@]}"
      files_v+=("$out/program-1-$tag-$r.txt")
    done
    ( IFS=,; python3 "$here/analyze.py" "${files_v[*]}" 1 "QEL Auto Clicker, 1 ms, $variant" --last "$n1" --errors "$out/program-1-$tag.err" )
  done
fi
