#!/usr/bin/env bash
# The control command of the Linux edition, on a private session bus under Xvfb + openbox:
#  1. with no copy running, a command says so and exits 3; --help lists every command; two
#     different commands at once are refused;
#  2. a running copy takes --start, --stop and --toggle: runs start and stop at a point in
#     the target window, a second --start or --stop changes nothing and exits 1;
#  3. --pick answers (not available in this build, or done); --record begins the
#     countdown, a second --record starts recording at once, --stop ends the recording;
#  4. a second copy started without options still starts, and the commands keep going to
#     the first copy.
#
#   tests/e2e/linux_control.sh [qel-autoclicker [xtarget]]
# Environment: E2E_DISPLAY (default 105), E2E_KEEP=1 keeps the temp folder.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
# A bus of the test's own, which dbus-run-session ends with the script.
if [ -z "${QEL_CONTROL_INNER:-}" ]; then
  export QEL_CONTROL_INNER=1
  exec dbus-run-session -- bash "$0" "$@"
fi
source "$ROOT/tests/e2e/lib.sh"

e2e_program "${1:-}"
e2e_target "${2:-}"
e2e_tempdir control

MAIN_TITLE=$QEL_MAIN_TITLE
RUN_TITLE="  Running... Press Shift+Ctrl+X to stop"
export APPDATA=$TMP/appdata XDG_CONFIG_HOME=$TMP/config QEL_UPDATE_URL=http://127.0.0.1:9/
mkdir -p "$APPDATA/QEL Auto Clicker" "$XDG_CONFIG_HOME"
SETTINGS="$APPDATA/QEL Auto Clicker/settings.ini"

# send COMMAND EXPECTED_RC: runs the command and checks its exit code; OUT holds its output.
OUT=
send() {
  local rc=0
  OUT=$("$APP" "$1" 2>&1) || rc=$?
  [ "$rc" -eq "$2" ] || e2e_fail "$1 exited with $rc, expected $2: $OUT"
}

# ---- 1. nobody to talk to (no display needed for that)
send --stop 3
grep -q "no copy of the program is running" <<<"$OUT" || e2e_fail "--stop with no copy said: $OUT"
send --toggle 3
HELP=$("$APP" --help) || e2e_fail "--help failed"
for c in --start --stop --toggle --record --pick --help; do
  grep -q -- "^  $c " <<<"$HELP" || e2e_fail "--help does not list $c"
done
send --start 3
rc=0
"$APP" --start --stop >/dev/null 2>&1 || rc=$?
[ "$rc" -eq 2 ] || e2e_fail "--start --stop exited with $rc, expected 2"
e2e_log "no copy running: commands exit 3, --help lists them all"

e2e_start_display "${E2E_DISPLAY:-105}" 1280x1024x24
CLICKS=$TMP/clicks.txt
: >"$CLICKS"
"$TARGET" "QEL control target" "$CLICKS" 700 120 300 300 &
e2e_track $!
TARGET_WIN=$(e2e_wait_window "QEL control target" 30) || e2e_fail "the target window did not appear"
read -r TX TY < <(e2e_window_origin "$TARGET_WIN")
printf '%s\r\n' "[Target]" "mode=1" "[Coords]" "x=$((TX + 120))" "y=$((TY + 140))" \
  "[Interval]" "h=0" "m=0" "s=0" "ms=20" "[Repeat]" "untilStopped=1" "count=100" \
  "[Click]" "button=0" "type=0" "holdMs=5" >"$SETTINGS"

"$APP" >"$TMP/app.log" 2>&1 &
APP_PID=$!
e2e_track $APP_PID
WIN=$(e2e_wait_window "$MAIN_TITLE" 30) || { cat "$TMP/app.log"; e2e_fail "the main window did not appear"; }
sleep 0.5
clicks() { wc -l <"$CLICKS"; }
title() { e2e_window_title "$WIN"; }

# ---- 2. start, stop, toggle
started() {
  e2e_wait_title "$WIN" "$RUN_TITLE" 5 || e2e_fail "$1 did not start a run (caption \"$(title)\")"
  local before
  before=$(clicks)
  sleep 0.5
  [ "$(clicks)" -gt "$before" ] || e2e_fail "$1 started a run that sends no clicks"
}
stopped() {
  e2e_wait_title "$WIN" "$MAIN_TITLE" 5 || e2e_fail "$1 did not stop the run (caption \"$(title)\")"
  sleep 0.3
  local n
  n=$(clicks)
  sleep 0.5
  [ "$(clicks)" -eq "$n" ] || e2e_fail "clicks went on after $1"
}
send --start 0
grep -q "Run started." <<<"$OUT" || e2e_fail "--start answered: $OUT"
started --start
send --start 1
grep -q "A run is under way." <<<"$OUT" || e2e_fail "a second --start answered: $OUT"
send --stop 0
stopped --stop
send --stop 1
grep -q "No run is under way." <<<"$OUT" || e2e_fail "a second --stop answered: $OUT"
send --toggle 0
started --toggle
send --toggle 0
stopped "the second --toggle"
e2e_log "--start, --stop and --toggle started and stopped runs; repeats changed nothing ($(clicks) clicks)"

# ---- 3. pick and record
rc=0
OUT=$("$APP" --pick 2>&1) || rc=$?
case $rc in
  0) ;;
  1) grep -q "not available" <<<"$OUT" || e2e_fail "--pick refused with: $OUT" ;;
  *) e2e_fail "--pick exited with $rc: $OUT" ;;
esac
e2e_log "--pick answered ($rc): $OUT"
send --record 0
e2e_wait_title_match "$WIN" "^  Recording starts in" 5 || e2e_fail "--record showed no countdown (caption \"$(title)\")"
send --start 1
send --record 0
grep -q "Recording started." <<<"$OUT" || e2e_fail "--record in the countdown answered: $OUT"
sleep 0.5
send --stop 0
grep -q "Recording stopped." <<<"$OUT" || e2e_fail "--stop while recording answered: $OUT"
e2e_log "--record began the countdown, a second one started recording, --stop ended it"

# ---- 4. a second copy
"$APP" >"$TMP/second.log" 2>&1 &
SECOND_PID=$!
e2e_track $SECOND_PID
for _ in $(seq 1 100); do
  grep -q "control commands are not taken" "$TMP/second.log" && break
  sleep 0.1
done
grep -q "another copy owns the bus name" "$TMP/second.log" || { cat "$TMP/second.log"; e2e_fail "the second copy did not say it takes no commands"; }
kill -0 $SECOND_PID 2>/dev/null || e2e_fail "the second copy did not keep running"
kill -TERM $SECOND_PID
wait $SECOND_PID || true
e2e_log "a second copy starts and leaves the commands to the first"

kill -TERM $APP_PID
rc=0
wait $APP_PID || rc=$?
[ $rc -eq 0 ] || e2e_fail "the program exited with $rc"
send --stop 3
e2e_log "after the first copy ended, commands find none again"
echo "linux_control: PASS"
