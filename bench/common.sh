# Helpers of the single-measurement scripts (sourced): binaries, an Xvfb display, the program
# started with a prepared settings file, and its CPU time. Every process started here is
# ended by bench_cleanup (trapped on EXIT), by its PID.
#
# Environment: BENCH_BUILD (build folder with the program and the bench tools, default
# build/linux), BENCH_APP (the program, default $BENCH_BUILD/src/linux/qel-autoclicker),
# BENCH_DISPLAY (default :105).
BENCH_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
BENCH_BUILD=${BENCH_BUILD:-$(dirname "$BENCH_HERE")/build/linux}
BENCH_APP=${BENCH_APP:-$BENCH_BUILD/src/linux/qel-autoclicker}
BENCH_TOOLS=${BENCH_TOOLS:-$BENCH_BUILD/bench}
BENCH_DISPLAY=${BENCH_DISPLAY:-:105}
source "$(dirname "$BENCH_HERE")/tests/e2e/app_info.sh"
BENCH_TITLE=$QEL_MAIN_TITLE
BENCH_PIDS=()
BENCH_WORK=$(mktemp -d /tmp/qel-bench.XXXXXX)
export QEL_UPDATE_URL=http://127.0.0.1:9/

bench_cleanup() {
  set +e
  for p in "${BENCH_PIDS[@]}"; do kill "$p" 2>/dev/null; done
  for p in "${BENCH_PIDS[@]}"; do wait "$p" 2>/dev/null; done
  rm -rf "$BENCH_WORK"
}
trap bench_cleanup EXIT

bench_track() { BENCH_PIDS+=("$1"); }
bench_load() { cut -d' ' -f1-3 /proc/loadavg; }

bench_start_display() {
  Xvfb "$BENCH_DISPLAY" -noreset -screen 0 1280x1024x24 >/dev/null 2>&1 &
  bench_track $!
  export DISPLAY=$BENCH_DISPLAY
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "Xvfb did not start on $DISPLAY"; exit 1
}

# bench_settings DIR LINES...: a settings file (CRLF, as the program writes it) under DIR,
# which becomes APPDATA/XDG_CONFIG_HOME of the next start.
bench_settings() {
  local dir=$1; shift
  mkdir -p "$dir/QEL Auto Clicker"
  printf '%s\r\n' "$@" >"$dir/QEL Auto Clicker/settings.ini"
}

# bench_wait_window SECONDS: sets WIN to the program's main window once it exists; ends the
# script, with the program's output, when it does not come in time.
bench_wait_window() {
  WIN=""
  for _ in $(seq $(($1 * 10))); do
    WIN=$(xdotool search --name "^$BENCH_TITLE\$" 2>/dev/null | head -1) && [ -n "$WIN" ] && return 0
    sleep 0.1
  done
  echo "program window not found"; cat "$BENCH_WORK/app.log"; exit 1
}

# bench_start_app DIR: starts the program with DIR as its data folder; sets APP_PID and WIN.
bench_start_app() {
  APPDATA=$1 XDG_CONFIG_HOME=$1 "$BENCH_APP" >"$BENCH_WORK/app.log" 2>&1 &
  APP_PID=$!
  bench_track $APP_PID
  bench_wait_window 10
}

bench_stop_app() {
  kill -TERM "$APP_PID" 2>/dev/null || true
  wait "$APP_PID" 2>/dev/null || true
}

# Start button: (10,14) 105x25 in the client area.
bench_click_start() { xdotool mousemove --window "$WIN" 60 26 click 1; }

# CPU time (utime+stime) of a process in clock ticks.
bench_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
bench_hz() { getconf CLK_TCK; }
