# Helpers shared by the end-to-end scripts: a private X display with a window manager,
# waiting for windows, screenshots, and cleanup of every process started, by PID.
# Source it, then call e2e_cleanup from an EXIT trap.

E2E_PIDS=()

e2e_log() { echo "[$(date +%H:%M:%S)] $*"; }
e2e_fail() {
  echo "FAIL: $*" >&2
  exit 1
}

E2E_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$E2E_ROOT/tests/e2e/app_info.sh"

# e2e_program [BINARY]: APP, the Linux edition to test (default build/linux), checked.
e2e_program() {
  APP=${1:-${QEL_LINUX_BIN:-$E2E_ROOT/build/linux/src/linux/qel-autoclicker}}
  [ -x "$APP" ] || e2e_fail "program not built: $APP"
}

# e2e_target [BINARY]: TARGET, the click-recording X window (default build/linux), checked.
e2e_target() {
  TARGET=${1:-${QEL_XTARGET:-$E2E_ROOT/build/linux/tests/e2e/xtarget}}
  [ -x "$TARGET" ] || e2e_fail "target window program not built: $TARGET"
}

# e2e_tempdir NAME: TMP, a fresh folder removed at exit after every process is stopped
# (E2E_KEEP=1 keeps it for a look).
e2e_tempdir() {
  TMP=$(mktemp -d "/tmp/qel-e2e-$1.XXXXXX")
  trap e2e_finish EXIT
}
e2e_finish() {
  e2e_cleanup
  chmod -R u+w "$TMP" 2>/dev/null || true
  if [ "${E2E_KEEP:-0}" = 1 ]; then echo "kept: $TMP"; else rm -rf "$TMP"; fi
}

# Remember a background process so that e2e_cleanup stops it.
e2e_track() { E2E_PIDS+=("$1"); }

# Stop every tracked process, newest first: TERM, then KILL after a grace period.
e2e_cleanup() {
  local i pid
  for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
    pid=${E2E_PIDS[$i]}
    kill -0 "$pid" 2>/dev/null || continue
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 1 30); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  E2E_PIDS=()
}

# e2e_stop_app PID: ends the program as a session end does (SIGTERM closes the window the
# normal way, so the settings are saved) and fails unless it ends, with 0, within 10 s.
e2e_stop_app() {
  kill -TERM "$1"
  for _ in $(seq 1 100); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$1" 2>/dev/null && e2e_fail "the program did not end"
  local rc=0
  wait "$1" || rc=$?
  [ $rc -eq 0 ] || e2e_fail "the program exited with $rc"
}

# e2e_use_data DIR: DIR becomes the next start's APPDATA (the data folder); sets SETTINGS
# and MACROS to its settings file and macro folder, which is created.
e2e_use_data() {
  export APPDATA=$1
  SETTINGS="$APPDATA/QEL Auto Clicker/settings.ini"
  MACROS="$APPDATA/QEL Auto Clicker/Macros"
  mkdir -p "$MACROS"
}

# e2e_start_display NUM [WxHxD]: Xvfb on :NUM (no reset when the last client leaves, so
# state set by a test survives) and openbox on it; exports DISPLAY. A command in
# E2E_BEFORE_WM runs between the two (monitors set with xrandr, for one).
e2e_start_display() {
  local num=$1 geometry=${2:-1280x1024x24}
  [ -e "/tmp/.X11-unix/X$num" ] && e2e_fail "display :$num is already in use"
  Xvfb ":$num" -screen 0 "$geometry" -noreset -nolisten tcp >/dev/null 2>&1 &
  e2e_track $!
  export DISPLAY=":$num"
  for _ in $(seq 1 100); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
  done
  xdpyinfo >/dev/null 2>&1 || e2e_fail "Xvfb did not start on :$num"
  if [ -n "${E2E_BEFORE_WM:-}" ]; then eval "$E2E_BEFORE_WM" || e2e_fail "$E2E_BEFORE_WM"; fi
  openbox --sm-disable >/dev/null 2>&1 &
  e2e_track $!
  # Openbox claims the screen early but loses map requests until its start-up is over,
  # which it ends by publishing the work area.
  for _ in $(seq 1 150); do
    if xprop -root _NET_WORKAREA 2>/dev/null | grep -q "= "; then
      sleep 0.2
      return 0
    fi
    sleep 0.1
  done
  e2e_fail "openbox did not start on :$num"
}

# e2e_start_tray: trayer as the notification area at the bottom right of the display, its
# log in $TMP (after e2e_tempdir).
e2e_start_tray() {
  trayer --edge bottom --align right --widthtype request --height 24 >"$TMP/trayer.log" 2>&1 &
  e2e_track $!
  for _ in $(seq 1 50); do
    xdotool search --class trayer >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  e2e_fail "trayer did not start"
}

# e2e_wait_window NAME [SECONDS]: prints the id of the first visible window whose whole
# name is NAME (an extended regular expression is accepted).
e2e_wait_window() {
  local name=$1 seconds=${2:-20} id
  for _ in $(seq 1 $((seconds * 10))); do
    id=$(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null | head -n1) || true
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# e2e_screenshot FILE: the whole screen.
# Screenshots for docs/ only when asked (QEL_E2E_SHOTS=1), so a test run leaves the tree as it was.
e2e_screenshot() { [ "${QEL_E2E_SHOTS:-0}" = 1 ] && import -window root "$1" || true; }

# e2e_window_title ID
e2e_window_title() { xdotool getwindowname "$1" 2>/dev/null; }

# e2e_window_origin ID: "X Y", the root position of the window's client area (xdotool's
# own geometry adds the window manager's frame offset once too often).
e2e_window_origin() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}'
}

# e2e_wait_title ID TEXT SECONDS
source "$(dirname "${BASH_SOURCE[0]}")/wait_title.sh"
