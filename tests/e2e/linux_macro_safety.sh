#!/usr/bin/env bash
# What the Linux edition's macro library must survive, driven from outside under Xvfb:
#  1. the macro selected at exit is the one selected after the next start: after a new
#     recording among older macros, and after a rename, the program is restarted and the
#     selection played; its one pointer move tells which macro it is;
#  2. a name pasted into the Rename box with line breaks inside is refused with a message:
#     the file stays byte for byte, and the next start plays the same macro;
#  3. playback stopped between a press and its release leaves no button held;
#  4. RECORD missing, or refusing its context: the program starts and plays macros; Create
#     ends with an error box that names RECORD, and no macro file is written.
#
#   tests/e2e/linux_macro_safety.sh [qel-autoclicker [xtarget]]
# Defaults: build/linux/src/linux/qel-autoclicker, build/linux/tests/e2e/xtarget.
# Environment: E2E_DISPLAY (default 160), E2E_KEEP=1.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/tests/e2e/lib.sh"

e2e_program "${1:-}"
e2e_target "${2:-}"
e2e_tempdir macro-safety
command -v xclip >/dev/null || e2e_fail "xclip is needed to paste into the Rename box (scripts/install-deps.sh)"

MAIN_TITLE=$QEL_MAIN_TITLE
DISPLAY_NUM=${E2E_DISPLAY:-160}
export XDG_CONFIG_HOME=$TMP/config QEL_UPDATE_URL=http://127.0.0.1:9/
mkdir -p "$XDG_CONFIG_HOME"
e2e_start_display "$DISPLAY_NUM" 1280x1024x24

crlf() { printf '%s\r\n' "$@"; }
# put_macro FILE NAME EVENT...: a macro file as the program writes it.
put_macro() {
  local file=$1 name=$2
  shift 2
  { printf '\xef\xbb\xbf'; crlf "Name=$name" "DurationMs=0" "$@"; } >"$file"
}
selected() { tr -d '\r' <"$SETTINGS" | sed -n '/^\[Macros\]/,/^\[/s/^selected=//p'; }
# start_app NAME: sets APP_PID and WIN.
start_app() {
  APP_LOG=$TMP/app-$1.log
  "$APP" >"$APP_LOG" 2>&1 &
  APP_PID=$!
  e2e_track $APP_PID
  WIN=$(e2e_wait_window "$MAIN_TITLE" 30) || { cat "$APP_LOG"; e2e_fail "$1: the main window did not appear"; }
  sleep 0.5
}
# stop_app WHAT: SIGTERM, as a session end; the program ends by itself with status 0.
stop_app() {
  kill -TERM "$APP_PID"
  for _ in $(seq 1 100); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$APP_PID" 2>/dev/null && e2e_fail "$1: the program did not end"
  wait "$APP_PID" || e2e_fail "$1: the program exited with $?"
}
# other_window SECONDS: a visible window of the program other than its main window.
other_window() {
  local w
  for _ in $(seq 1 $(($1 * 10))); do
    w=$(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | grep -vx "$WIN" | head -n1) || true
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.1
  done
  return 1
}
dismiss() { xdotool windowactivate --sync "$1" 2>/dev/null || true; xdotool key --clearmodifiers Return; sleep 0.3; }
click_at() { xdotool mousemove --window "$WIN" "$1" "$2" click 1; sleep 0.3; }
wait_title() { e2e_wait_title "$WIN" "$1" "$2"; }  # TEXT SECONDS
pointer() { xdotool getmouselocation | sed 's/x:\([0-9]*\) y:\([0-9]*\).*/\1,\2/'; }
START_BTN=$QEL_AT_START
CREATE_BTN=$QEL_AT_CREATE
RENAME_BTN=$QEL_AT_RENAME
# play WHAT: Start; the selected macro plays once; prints where it left the pointer.
play() {
  xdotool mousemove 1000 900
  click_at $START_BTN
  wait_title "$MAIN_TITLE" 5 || e2e_fail "$1: playback did not end"
  sleep 0.2
  pointer
}
# record_at X Y: Create, the start-macros hotkey with the pointer resting at X,Y, the stop
# hotkey: a macro of one move to X,Y.
record_at() {
  click_at $CREATE_BTN
  for _ in $(seq 1 30); do [[ "$(e2e_window_title "$WIN")" == *"Recording starts in"* ]] && break; sleep 0.1; done
  [[ "$(e2e_window_title "$WIN")" == *"Recording starts in"* ]] || e2e_fail "no countdown after Create"
  xdotool mousemove "$1" "$2"
  sleep 0.3
  xdotool key --clearmodifiers shift+ctrl+r
  sleep 0.5
  xdotool key --clearmodifiers shift+ctrl+x
  wait_title "$MAIN_TITLE" 5 || e2e_fail "the stop hotkey did not end the recording"
}

# ================= 1. the selection survives a restart
e2e_use_data "$TMP/order"
crlf "[Target]" "mode=2" "[Repeat]" "untilStopped=0" "count=1" "[Macros]" "selected=0" >"$SETTINGS"
put_macro "$MACROS/2025-01-10_09.00.00.qelmac" "January" "E=0|0|101|101|-1"
put_macro "$MACROS/Work.qelmac" "Work" "E=0|0|202|202|-1"
start_app order-record
record_at 303 303
stop_app "after the recording"
SEL=$(selected)
start_app order-restart1
AT=$(play "after the recording")
stop_app "restart after the recording"
e2e_log "a new recording among [January, Work]: stored selected=$SEL; after a restart Start played the macro at $AT"
[ "$AT" = "303,303" ] || e2e_fail "after a restart the selection is not the new recording (its move is to 303,303)"

start_app order-rename
click_at $RENAME_BTN
BOX=$(other_window 10) || e2e_fail "Rename: no input box"
xdotool windowactivate --sync "$BOX" 2>/dev/null || true
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 "Zz"
xdotool key --clearmodifiers Return
sleep 0.5
stop_app "after the rename"
SEL=$(selected)
start_app order-restart2
AT=$(play "after the rename")
e2e_log "renamed to Zz: stored selected=$SEL; after a restart Start played the macro at $AT"
[ "$AT" = "303,303" ] || e2e_fail "after a rename and a restart the selection is not the renamed macro"

# ================= 2. a pasted name with line breaks
cp "$MACROS/Zz.qelmac" "$TMP/Zz.before"
printf 'abc\nE=0|1|5|5|0\nDurationMs=99\nxyz' | xclip -selection clipboard -quiet -loops 3 &
CLIP_PID=$!
e2e_track $CLIP_PID
sleep 0.3
click_at $RENAME_BTN
BOX=$(other_window 10) || e2e_fail "Rename: no input box"
xdotool windowactivate --sync "$BOX" 2>/dev/null || true
xdotool key --clearmodifiers ctrl+a ctrl+v
sleep 0.3
xdotool key --clearmodifiers Return
sleep 0.5
WARN=$(other_window 3) && { e2e_log "pasted name: a box \"$(e2e_window_title "$WARN")\" answers it"; dismiss "$WARN"; }
kill "$CLIP_PID" 2>/dev/null || true
stop_app "after the pasted name"
ls "$MACROS" | sed 's/^/    /' >"$TMP/files.txt"
e2e_log "pasted name: macro folder now $(ls -b "$MACROS" | paste -sd' ')"
[ -n "${WARN:-}" ] || e2e_fail "a name with line breaks was taken without a word"
cmp -s "$MACROS/Zz.qelmac" "$TMP/Zz.before" || { cat -A "$MACROS/Zz.qelmac"; e2e_fail "the pasted name changed the macro file"; }
[ "$(ls "$MACROS" | wc -l)" -eq 3 ] || e2e_fail "the macro folder holds $(ls -b "$MACROS" | paste -sd' ')"
start_app paste-restart
AT=$(play "after the pasted name")
STATE=$(python3 "$ROOT/tests/e2e/x11/pointer_buttons.py")
stop_app "restart after the pasted name"
[ "$AT" = "303,303" ] && [ "$STATE" = 0 ] || e2e_fail "after the pasted name the macro plays to $AT with buttons $STATE held"
e2e_log "2. pasted name refused; the file and what it plays are unchanged"

# ================= 3. a stop between a press and its release
# Inside a window of its own: a press on the bare desktop opens the window manager's menu,
# which takes the keyboard away from the hotkeys.
"$TARGET" "QEL held target" "$TMP/held-clicks.txt" 700 120 300 300 &
e2e_track $!
e2e_wait_window "QEL held target" 30 >/dev/null || e2e_fail "the target window did not appear"
e2e_use_data "$TMP/held"
crlf "[Target]" "mode=2" "[Repeat]" "untilStopped=0" "count=1" "[Macros]" "selected=0" >"$SETTINGS"
put_macro "$MACROS/drag.qelmac" "drag" "E=0|0|850|270|-1" "E=0|1|850|270|0" "E=10|1|850|270|2" "E=8000|2|850|270|0" \
  "E=8000|2|850|270|2"
start_app held
xdotool mousemove 1000 900
click_at $START_BTN
sleep 1
HELD=$(python3 "$ROOT/tests/e2e/x11/pointer_buttons.py")
# Not --clearmodifiers: xdotool would release the held buttons itself.
xdotool key shift+ctrl+x
wait_title "$MAIN_TITLE" 3 || e2e_fail "the stop hotkey did not stop the playback"
sleep 0.3
AFTER=$(python3 "$ROOT/tests/e2e/x11/pointer_buttons.py")
stop_app "held buttons"
e2e_log "3. buttons held during playback: $HELD; after the stop hotkey: $AFTER"
[ "$HELD" = "1 2" ] || e2e_fail "the playback did not hold the left and middle buttons ($HELD)"
[ "$AFTER" = 0 ] || e2e_fail "buttons still held after the stop: $AFTER"

# ================= 4. an X server without RECORD, or one that refuses its context
# Xvfb cannot leave RECORD out alone (one switch turns RECORD and XTEST off together), so
# the X client library's answers are replaced (tests/e2e/x11/no_record.c).
SHIM=${QEL_NO_RECORD_SHIM:-$ROOT/build/linux/tests/e2e/x11/libno_record.so}
[ -f "$SHIM" ] || e2e_fail "the RECORD shim is not built: $SHIM"
for how in missing refused; do
  e2e_use_data "$TMP/norecord-$how"
  crlf "[Target]" "mode=2" "[Repeat]" "untilStopped=0" "count=1" "[Macros]" "selected=0" >"$SETTINGS"
  put_macro "$MACROS/one.qelmac" "one" "E=0|0|404|404|-1"
  QEL_NO_RECORD=$how LD_PRELOAD=$SHIM start_app "norecord-$how"
  AT=$(play "RECORD $how")
  click_at $CREATE_BTN
  sleep 0.3
  xdotool key --clearmodifiers shift+ctrl+r
  BOX=$(other_window 5) && dismiss "$BOX"
  xdotool key --clearmodifiers shift+ctrl+x
  sleep 0.5
  stop_app "RECORD $how"
  e2e_log "RECORD $how: playback to $AT; stderr: $(paste -sd'|' "$APP_LOG"); macro files: $(ls "$MACROS" | paste -sd' ')"
  [ "$AT" = "404,404" ] || e2e_fail "RECORD $how: the macro did not play ($AT)"
  [ -n "${BOX:-}" ] || e2e_fail "RECORD $how: Create said nothing"
  grep -q "^QEL Auto Clicker: Recording cannot start: .*RECORD extension" "$APP_LOG" ||
    e2e_fail "RECORD $how: the error box does not say why"
  [ "$how" = refused ] || grep -q "lacks the RECORD extension" "$APP_LOG" ||
    e2e_fail "RECORD missing: nothing said at start"
  [ "$(ls "$MACROS")" = one.qelmac ] || e2e_fail "RECORD $how: a macro was saved: $(ls "$MACROS" | paste -sd' ')"
  BOX=
done
e2e_log "4. without RECORD (missing or refused): starts, plays, refuses to record with a message"

echo "PASS linux_macro_safety"
