#!/usr/bin/env bash
# The Linux edition refuses to run where it cannot work, and says why: without any X11
# display (stderr, non-zero exit), when Qt cannot start on the display it found (stderr,
# exit 2, no abort), and on an X server without XTEST (an error box that names the missing
# extension, no main window).
#
#   tests/e2e/linux_capabilities.sh [qel-autoclicker]
# Default: build/linux/src/linux/qel-autoclicker. Environment: E2E_DISPLAY (default 91).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/tests/e2e/lib.sh"

APP=${1:-${QEL_LINUX_BIN:-$ROOT/build/linux/src/linux/qel-autoclicker}}
[ -x "$APP" ] || e2e_fail "program not built: $APP"

TMP=$(mktemp -d /tmp/qel-e2e-caps.XXXXXX)
trap 'e2e_cleanup; rm -rf "$TMP"' EXIT
export APPDATA=$TMP/appdata XDG_CONFIG_HOME=$TMP/config QEL_UPDATE_URL=http://127.0.0.1:9/
mkdir -p "$APPDATA" "$XDG_CONFIG_HOME"

# ---- no display at all
RC=0
env -u DISPLAY -u WAYLAND_DISPLAY "$APP" >"$TMP/nodisplay.out" 2>&1 || RC=$?
[ $RC -ne 0 ] || e2e_fail "the program ran without a display"
grep -q "No X11 display" "$TMP/nodisplay.out" || { cat "$TMP/nodisplay.out"; e2e_fail "no reason given without a display"; }
e2e_log "without a display: exit $RC, reason on stderr"

# ---- the display is there, but Qt cannot use it (as when the X server goes away between
# the program's own check and Qt's connection): a line on stderr, exit 2, no abort
NUM=${E2E_DISPLAY:-91}
[ -e "/tmp/.X11-unix/X$NUM" ] && e2e_fail "display :$NUM is already in use"
Xvfb ":$NUM" -screen 0 1280x1024x24 -noreset -nolisten tcp >/dev/null 2>&1 &
PLAIN_XVFB=$!
e2e_track $PLAIN_XVFB
for _ in $(seq 1 100); do
  DISPLAY=":$NUM" xdpyinfo >/dev/null 2>&1 && break
  sleep 0.1
done
RC=0
DISPLAY=":$NUM" QT_QPA_PLATFORM=no-such-platform "$APP" >"$TMP/noplatform.out" 2>&1 || RC=$?
[ $RC -eq 2 ] || { cat "$TMP/noplatform.out"; e2e_fail "a platform Qt cannot load ended with $RC, expected 2"; }
grep -q "^QEL Auto Clicker: the window system could not be used" "$TMP/noplatform.out" ||
  { cat "$TMP/noplatform.out"; e2e_fail "no reason given when Qt cannot start"; }
kill "$PLAIN_XVFB"
wait "$PLAIN_XVFB" 2>/dev/null || true
for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$NUM" ] || break; sleep 0.1; done
e2e_log "Qt unable to start on the display: exit 2, reason on stderr"

# ---- an X server without XTEST
Xvfb ":$NUM" -screen 0 1280x1024x24 -noreset -nolisten tcp -extension XTEST >/dev/null 2>&1 &
e2e_track $!
export DISPLAY=":$NUM"
for _ in $(seq 1 100); do
  xdpyinfo >/dev/null 2>&1 && break
  sleep 0.1
done
xdpyinfo >/dev/null 2>&1 || e2e_fail "Xvfb did not start on :$NUM"
xdpyinfo | grep -q XTEST && e2e_fail "this Xvfb still offers XTEST"

"$APP" >"$TMP/noxtest.out" 2>&1 &
APP_PID=$!
e2e_track $APP_PID
e2e_wait_window "QEL Auto Clicker" 30 >/dev/null || { cat "$TMP/noxtest.out"; e2e_fail "no error box without XTEST"; }
grep -q "XTEST" "$TMP/noxtest.out" || { cat "$TMP/noxtest.out"; e2e_fail "the reason does not name XTEST"; }
xdotool search --name "$QEL_MAIN_TITLE" >/dev/null 2>&1 && e2e_fail "a main window was created without XTEST"
e2e_log "without XTEST: error box naming XTEST, no main window"

echo "PASS linux_capabilities"
