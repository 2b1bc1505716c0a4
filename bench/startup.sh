#!/usr/bin/env bash
# Start-up time of the Linux program to its window, with the update server unreachable
# (QEL_UPDATE_URL at a closed port): map_timer execs the program and stamps the MapNotify
# of the window named "QEL Auto Clicker" as the X server reports it. N starts (default 10),
# each with a fresh data folder; prints every time, then the median.
#   BENCH_BUILD=... bench/startup.sh [N]
set -euo pipefail
source "$(dirname "$0")/common.sh"
n=${1:-10}
bench_start_display
times=()
for i in $(seq "$n"); do
  data=$BENCH_WORK/data-$i
  mkdir -p "$data"
  read -r ms pid < <(APPDATA=$data XDG_CONFIG_HOME=$data "$BENCH_TOOLS/map_timer" "QEL Auto Clicker" 10 "$BENCH_APP" 2>/dev/null)
  [ -n "${pid:-}" ] && bench_track "$pid"
  [ "$ms" = timeout ] && { echo "start $i: no window"; exit 1; }
  times+=("$ms")
  sleep 1
  kill -TERM "$pid"; wait "$pid" 2>/dev/null || true  # not a child of this shell
  sleep 0.5
done
echo "starts: ${times[*]} ms"
printf '%s\n' "${times[@]}" | sort -n | awk -v load="$(bench_load)" '{ a[NR] = $1 }
  END { m = NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2
        printf "median %.1f ms, min %.1f, max %.1f over %d starts; load %s\n", m, a[1], a[NR], NR, load }'
