#!/usr/bin/env bash
# Keys in the Linux edition's macros, driven from outside under Xvfb + openbox:
#  1. A macro of keys only ("a" then "b"), played by the start hotkey while a text window
#     has the focus: the keys arrive in that window, since the compact window that shows
#     the run does not take the focus.
#  2. Recording with recordKeys=1: "q" and "w" typed during the recording are in the macro
#     as key down/up events; the keys of the start-macros and stop hotkeys are not.
#  3. Recording with recordKeys=0 (the default): the same typing leaves no key events.
#
#   tests/e2e/linux_macro_keys.sh [qel-autoclicker [xtarget]]
# Environment: QEL_E2E_DISPLAY (default 99), E2E_KEEP=1 keeps the temp folder.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/tests/e2e/lib.sh"

e2e_program "${1:-}"
e2e_target "${2:-}"
e2e_tempdir macro_keys

MAIN_TITLE=$QEL_MAIN_TITLE
e2e_start_display "${QEL_E2E_DISPLAY:-${E2E_DISPLAY:-99}}" 1280x1024x24

KEYS=$TMP/keys.txt
XTARGET_KEYS=$KEYS "$TARGET" "QEL text target" "$TMP/clicks.txt" 100 120 300 300 &
e2e_track $!
TARGET_WIN=$(e2e_wait_window "QEL text target" 30) || e2e_fail "the target window did not appear"

export XDG_CONFIG_HOME=$TMP/config QEL_UPDATE_URL=http://127.0.0.1:9/
mkdir -p "$XDG_CONFIG_HOME"
e2e_use_data "$TMP/appdata"
crlf() { printf '%s\r\n' "$@"; }

start_app() {
  "$APP" >"$1" 2>&1 &
  APP_PID=$!
  e2e_track $APP_PID
  WIN=$(e2e_wait_window "$MAIN_TITLE" 30) || { cat "$1"; e2e_fail "the main window did not appear"; }
}
stop_app() {
  kill -TERM "$APP_PID"
  for _ in $(seq 1 100); do
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$APP_PID" 2>/dev/null && e2e_fail "the program did not end"
  wait "$APP_PID" || e2e_fail "the program exited with $?"
}
focus_target() {
  xdotool windowactivate --sync "$TARGET_WIN" 2>/dev/null || true
  sleep 0.3
  [ "$(xdotool getactivewindow 2>/dev/null)" = "$TARGET_WIN" ] || e2e_fail "the target window did not get the focus"
}
wait_title() { e2e_wait_title_match "$WIN" "$1" "$2"; }

# ================= 1. a macro of keys only
printf '\xEF\xBB\xBF' >"$MACROS/ab.qelmac"
crlf "Name=ab" "DurationMs=300" "E=100|3|0|0|65" "E=150|4|0|0|65" "E=250|3|0|0|66" "E=300|4|0|0|66" \
  >>"$MACROS/ab.qelmac"
crlf "[Target]" "mode=2" "[Repeat]" "untilStopped=0" "count=1" "[Macros]" "selected=0" >"$SETTINGS"
start_app "$TMP/app1.log"
sleep 0.5
focus_target
xdotool key --clearmodifiers shift+ctrl+s
wait_title "^ *Running" 3 || e2e_fail "the start hotkey did not start the playback: \"$(e2e_window_title "$WIN")\""
wait_title "^$MAIN_TITLE\$" 5 || e2e_fail "the playback did not end"
sleep 0.3
# The hotkey's own keys went to the target too (it had the focus): only letters count.
GOT=$(grep -xE '[a-z]' "$KEYS" | tr -d '\n' || true)
[ "$GOT" = "ab" ] || { cat "$KEYS"; e2e_fail "the text window got \"$GOT\" from the macro, expected \"ab\""; }
e2e_log "1. a macro of keys typed \"$GOT\" into the window that had the focus"
stop_app

# ================= 2. and 3. recording, with and without recordKeys
record() {  # RECORDKEYS: records q, w; sets EVENTS to the macro file's event lines
  rm -f "$MACROS"/*.qelmac
  crlf "[Target]" "mode=2" "[Macros]" "recordKeys=$1" >"$SETTINGS"
  start_app "$TMP/rec$1.log"
  sleep 0.5
  xdotool windowactivate --sync "$WIN" 2>/dev/null || true
  xdotool mousemove --window "$WIN" $QEL_AT_CREATE click 1
  wait_title "^ *Recording starts in" 5 || e2e_fail "no countdown after Create"
  if [ "$1" = 1 ]; then
    e2e_window_title "$WIN" | grep -q "Keys are recorded too\." ||
      e2e_fail "the countdown does not say keys are recorded: \"$(e2e_window_title "$WIN")\""
  fi
  focus_target
  xdotool key --clearmodifiers shift+ctrl+r
  wait_title "^ *Recording\.\.\. " 3 || e2e_fail "the recording did not start"
  sleep 0.3
  xdotool key q
  sleep 0.1
  xdotool key w
  sleep 0.3
  xdotool key --clearmodifiers shift+ctrl+x
  wait_title "^$MAIN_TITLE\$" 5 || e2e_fail "the stop hotkey did not end the recording"
  sleep 0.3
  stop_app
  local files=("$MACROS"/*.qelmac)
  [ -e "${files[0]}" ] || e2e_fail "no macro was saved"
  EVENTS=$(tr -d '\r' <"${files[0]}" | sed -n 's/^E=//p')
}
record 1
KEYEV=$(awk -F'|' '$2 == 3 || $2 == 4 {print $2 " " $5}' <<<"$EVENTS" | tr '\n' ',')
[ "$KEYEV" = "3 81,4 81,3 87,4 87," ] || { echo "$EVENTS"; e2e_fail "recordKeys=1 recorded keys \"$KEYEV\", expected q and w only"; }
e2e_log "2. recordKeys=1: q and w recorded, the hotkeys not"
record 0
KEYEV=$(awk -F'|' '$2 == 3 || $2 == 4' <<<"$EVENTS")
[ -z "$KEYEV" ] || { echo "$EVENTS"; e2e_fail "recordKeys=0 recorded keys"; }
e2e_log "3. recordKeys=0: no keys recorded"
echo "linux_macro_keys: OK"
