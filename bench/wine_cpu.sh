#!/usr/bin/env bash
# The Windows edition under Wine: start-up time to the window and CPU use.
#  - Start-up: map_timer execs `wine QELAutoClicker.exe` (wine server already running, so the
#    prefix's own start-up is not counted) and stamps the MapNotify of its window; N starts.
#  - CPU: utime+stime of the program's process (and of the wine server, which relays its
#    input) over SECONDS each: idle with the window shown, a 100 ms run, a 1 ms run (clicks
#    at the cursor on the bare desktop, repeat until stopped).
#   BENCH_BUILD=<linux build with bench/> BENCH_WIN_EXE=<QELAutoClicker.exe> bench/wine_cpu.sh [N] [SECONDS]
# Environment: BENCH_DISPLAY (default :107), WINEPREFIX (default /tmp/wine-bench).
set -euo pipefail
BENCH_DISPLAY=${BENCH_DISPLAY:-:107}
source "$(dirname "$0")/common.sh"
source "$BENCH_HERE/wine_common.sh"
n=${1:-5}
secs=${2:-10}
wine_setup
wineserver -p 60 || true    # stays up between the starts, ended by -k at exit (2: one is up already)
hz=$(bench_hz)
# Other Wine prefixes may be running on the machine: only processes of this prefix count.
# prefix_pid PATTERN: the first process matching PATTERN (pgrep -f) that runs in this prefix.
prefix_pid() {
  local p
  for p in $(pgrep -f "$1"); do
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && { echo "$p"; return; }
  done
  return 0  # none: nothing printed
}
server_pid() { prefix_pid '^([^ ]*/)?wineserver'; }
app_pid() { pgrep -n -f "$(basename "$BENCH_WORK").QELAutoClicker.exe" || true; }

times=()
for i in $(seq "$n"); do
  read -r ms pid < <(cd "$BENCH_WORK" && "$BENCH_TOOLS/map_timer" "QEL Auto Clicker" 30 wine QELAutoClicker.exe 2>/dev/null)
  [ -n "${pid:-}" ] && bench_track "$pid"
  [ "$ms" = timeout ] && { echo "start $i: no window"; exit 1; }
  times+=("$ms")
  sleep 1
  # Ends every Wine process of the prefix; the server is started again, warm, for the next.
  wineserver -k 2>/dev/null || true; wait "$pid" 2>/dev/null || true
  wineserver -p 60 || true
  sleep 1
done
echo "Wine start-up: ${times[*]} ms"
printf '%s\n' "${times[@]}" | sort -n | awk -v load="$(bench_load)" '{ a[NR] = $1 }
  END { m = NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2
        printf "median %.1f ms, min %.1f, max %.1f over %d starts; load %s\n", m, a[1], a[NR], NR, load }'

# CPU over $secs of the program and the wine server.
cpu_row() {
  local label=$1 a s a0 s0 a1 s1
  a=$(app_pid); s=$(server_pid)
  [ -n "$a" ] && [ -n "$s" ] || { echo "no program or wine server process"; exit 1; }
  [ -n "${BENCH_DEBUG:-}" ] && ps -o pid,comm,args -p "$a" -p "$s" | cut -c1-150
  a0=$(bench_ticks "$a"); s0=$(bench_ticks "$s")
  sleep "$secs"
  a1=$(bench_ticks "$a"); s1=$(bench_ticks "$s")
  awk -v l="$label" -v a=$((a1 - a0)) -v s=$((s1 - s0)) -v hz="$hz" -v t="$secs" -v load="$(bench_load)" \
    'BEGIN { printf "| %s | %d ms (%.2f %%) | %d ms (%.2f %%) | %s |\n", l, a * 1000 / hz, a * 100 / hz / t, s * 1000 / hz, s * 100 / hz / t, load }'
}
# start_with MS: the program with an interval of MS, repeat until stopped; sets WIN.
start_with() {
  local data=$BENCH_WORK/data-$1
  bench_settings "$data" "[Target]" "mode=0" "[Interval]" "h=0" "m=0" "s=0" "ms=$1" \
    "[Repeat]" "untilStopped=1" "count=1"
  wine_start_app "$data"
  sleep 2
}
close_app() {
  local a
  a=$(app_pid)
  xdotool windowactivate --sync "$WIN" 2>/dev/null || true; xdotool key alt+F4
  for _ in $(seq 50); do kill -0 "$a" 2>/dev/null || break; sleep 0.1; done
  kill "$a" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  sleep 1
  wineserver -p 60 || true
}
echo "| case | program CPU | wine server CPU | load |"
echo "|---|---|---|---|"
start_with 100
SERVER=$(server_pid)
cpu_row "idle, window shown"
for ms in 100 1; do
  [ "$ms" = 1 ] && start_with 1
  info=$(xwininfo -id "$WIN")
  ox=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
  oy=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
  xdotool mousemove $((ox + 60)) $((oy + 26)) click 1      # Start
  xdotool mousemove 1200 900
  sleep 1
  cpu_row "running, $ms ms interval"
  close_app
done

# The platform's own cost for the same rule: the bare loop at 1 ms on the same desktop, long
# enough to cover the measured seconds. Without it a figure above the Linux edition's cannot
# tell the program's overhead from Wine's price per click.
wine_copy_bare_loop
xdotool mousemove 1200 900
(cd "$BENCH_WORK" && exec wine win_bare_loop.exe 1 $(((secs + 4) * 1000)) 0 >/dev/null 2>&1) &
bare_pid=$!
bench_track $bare_pid
sleep 2
# Wine names the process by its Windows path: the one of this prefix is the bare loop.
app_pid() { prefix_pid win_bare_loop.exe; }
cpu_row "bare Win32 loop, same rule, 1 ms"
kill "$bare_pid" 2>/dev/null || true; wait "$bare_pid" 2>/dev/null || true
