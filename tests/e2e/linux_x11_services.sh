#!/usr/bin/env bash
# The Linux edition's machine services against a real X server (Xvfb :93):
#  - without a window manager: exact pointer moves for every pixel of a row and a column,
#    left/right/middle clicks arriving at a small window (also with a left-handed mapping),
#    the global hook's positions for a burst of XTest moves and clicks, hotkeys firing once
#    per press (also held through auto-repeat, with Caps/Num Lock on), a combination held
#    by another client refused, the work area of a manager's property and of the bare root;
#  - with openbox: the work area and desktop read back as the manager publishes them;
#  - without any X server: a clear refusal; and the system services (clock, environment,
#    registry file, xdg-open) without a display.
#
#   tests/e2e/linux_x11_services.sh [x11_services_probe]
# Default: build/linux/tests/e2e/x11/x11_services_probe. Environment: E2E_X11_DISPLAY (93).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/tests/e2e/lib.sh"

PROBE=${1:-${QEL_X11_PROBE:-$ROOT/build/linux/tests/e2e/x11/x11_services_probe}}
[ -x "$PROBE" ] || e2e_fail "probe not built: $PROBE (target x11_services_probe)"
NUM=${E2E_X11_DISPLAY:-93}
trap e2e_cleanup EXIT

e2e_log "system services (no display)"
env -u DISPLAY "$PROBE" system || e2e_fail "system services"

e2e_log "no X server on :$NUM"
[ -e "/tmp/.X11-unix/X$NUM" ] && e2e_fail "display :$NUM is already in use"
DISPLAY=":$NUM" "$PROBE" noserver || e2e_fail "opening without an X server"

Xvfb ":$NUM" -screen 0 1920x1080x24 -noreset -nolisten tcp >/dev/null 2>&1 &
e2e_track $!
export DISPLAY=":$NUM"
for _ in $(seq 1 100); do
  xdpyinfo >/dev/null 2>&1 && break
  sleep 0.1
done
xdpyinfo >/dev/null 2>&1 || e2e_fail "Xvfb did not start on :$NUM"

e2e_log "X11 services, no window manager"
"$PROBE" x11 || e2e_fail "X11 services"

e2e_log "clicks and moves read no more from the server than their flushes do"
# Looking for events in the click path (Xlib's XCheck*Event tries the socket on every call)
# put about six reads into every record sent; the connection is read when the event loop
# sees it readable instead, and what remains is Xlib's flush, which reads twice (as the bare
# XTest loop's does). 1000 moves and clicks are 3000 records.
command -v strace >/dev/null || e2e_fail "strace is missing"
SC=$(mktemp /tmp/qel-x11-strace.XXXXXX)
strace -f -qq -c -e trace=read,readv,recvfrom,recvmsg -o "$SC" "$PROBE" clicks 1000 || e2e_fail "the click loop failed"
reads=$(awk '$NF ~ /^(read|readv|recvfrom|recvmsg)$/ {n += $4} END {print n + 0}' "$SC")
rm -f "$SC"
e2e_log "reads for 1000 moves and 1000 clicks: $reads"
[ "$reads" -lt 7500 ] || e2e_fail "$reads reads for 1000 moves and clicks: the click path looks for events"

e2e_log "work area under openbox (screen margins standing in for panels)"
RC=$(mktemp /tmp/qel-x11-openbox.XXXXXX.xml)
trap 'e2e_cleanup; rm -f "$RC"' EXIT
cat >"$RC" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <margins><top>30</top><bottom>40</bottom><left>12</left><right>0</right></margins>
</openbox_config>
XML
openbox --sm-disable --config-file "$RC" >/dev/null 2>&1 &
e2e_track $!
published=""
for _ in $(seq 1 150); do
  published=$(xprop -root _NET_WORKAREA 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ') || true
  [ -n "$published" ] && break
  sleep 0.1
done
[ -n "$published" ] || e2e_fail "openbox did not publish a work area"
current=$(xprop -root _NET_CURRENT_DESKTOP 2>/dev/null | sed -n 's/.*= //p') || true
current=${current:-0}
expected=$(echo "$published" | tr ',' '\n' | sed -n "$((current * 4 + 1)),$((current * 4 + 4))p" | paste -sd' ')
out=$("$PROBE" workarea) || e2e_fail "reading the work area"
echo "$out"
got=$(echo "$out" | sed -n 's/^WORKAREA //p')
[ "$got" = "$expected" ] || e2e_fail "work area \"$got\", openbox publishes \"$expected\" for desktop $current"
[ "$got" = "12 30 1908 1010" ] || e2e_fail "work area \"$got\" does not leave the margins 12,30,0,40"
desk=$(echo "$out" | sed -n 's/^DESKTOP //p')
[ "$desk" = "0 0 1920 1080" ] || e2e_fail "virtual desktop \"$desk\""

e2e_log "PASS linux_x11_services"
