#!/usr/bin/env bash
# The Linux edition under faults, driven from outside under Xvfb + openbox. Each case wants
# the behaviour the program promises or a clear message; never a crash, a hang or a
# damaged file:
#  1. a read-only settings file: its values are used (F1 starts a run that clicks at the
#     file's point); at exit one error box
#     "Unable to write to <file>", the program ends, the file is unchanged;
#  2. a read-only macro file: Rename and Remove each end in an error box naming the file;
#     the file and the library stay as they were; playing it back still works;
#  3. a full disk (the data folder on a small tmpfs, filled up; SKIP when mounting is not
#     permitted): a recording (which offers to try again), a rename and the settings at exit
#     each fail with an error box; the settings file and the macro file keep their
#     contents, no temp file is left;
#  4. the data folder deleted while the program runs: Remove of a macro whose file went
#     with it, a new recording and the settings at exit simply recreate the folder;
#  5. the X server killed while the program is idle, clicking every millisecond, or
#     recording: it ends within seconds with a non-zero status (no signal, no core) and
#     a line on stderr; the settings file is unchanged;
#  6. Ctrl+Shift+S held by another client: the program starts without a message, its
#     Start button and the stop hotkey work, the held combination does not start it;
#  7. a second copy: both start; the start hotkey runs the first copy only; the second
#     copy's Start button works; closed together, they leave a well-formed settings file;
#  8. a copy stopped in the middle of a save, holding the data folder's lock: the program
#     still starts and, closed, writes its settings after a short wait instead of hanging.
#
#   tests/e2e/linux_faults.sh [qel-autoclicker [xtarget]]
# Defaults: build/linux/src/linux/qel-autoclicker, build/linux/tests/e2e/xtarget.
# Environment: E2E_DISPLAY (default 150; case 5 uses the next number too), E2E_KEEP=1.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/tests/e2e/lib.sh"

e2e_program "${1:-}"
e2e_target "${2:-}"
e2e_tempdir faults
FULL_MNT=
faults_finish() {
  e2e_cleanup
  [ -n "$FULL_MNT" ] && umount "$FULL_MNT" 2>/dev/null || true
  e2e_finish
}
trap faults_finish EXIT

HELPER=${QEL_FAULT_HELPER:-$ROOT/build/linux/tests/e2e/x11/x11_fault_helper}
[ -x "$HELPER" ] || e2e_fail "fault helper not built: $HELPER"

MAIN_TITLE=$QEL_MAIN_TITLE
RUN_TITLE="  Running... Press Shift+Ctrl+X to stop"
DISPLAY_NUM=${E2E_DISPLAY:-150}
export XDG_CONFIG_HOME=$TMP/config QEL_UPDATE_URL=http://127.0.0.1:9/
mkdir -p "$XDG_CONFIG_HOME"
e2e_start_display "$DISPLAY_NUM" 1280x1024x24

CLICKS=$TMP/clicks.txt
"$TARGET" "QEL fault target" "$CLICKS" 700 120 300 300 &
e2e_track $!
TARGET_WIN=$(e2e_wait_window "QEL fault target" 30) || e2e_fail "the target window did not appear"
read -r TX TY < <(e2e_window_origin "$TARGET_WIN")
PX=$((TX + 120))
PY=$((TY + 140))
clicks() { wc -l <"$CLICKS"; }
crlf() { printf '%s\r\n' "$@"; }

# put_macro FILE: a macro that clicks the target point twice.
put_macro() {
  { printf '\xef\xbb\xbf'; crlf "Name=two clicks" "DurationMs=60" "E=0|0|$PX|$PY|-1" "E=10|1|$PX|$PY|0" \
      "E=20|2|$PX|$PY|0" "E=40|1|$PX|$PY|0" "E=50|2|$PX|$PY|0"; } >"$1"
}

# start_app NAME: the program on $DISPLAY; sets APP_PID and WIN (its main window, found by
# its process, so that two copies can be told apart).
start_app() {
  APP_LOG=$TMP/app-$1.log
  LOG_SEEN=0
  "$APP" >"$APP_LOG" 2>&1 &
  APP_PID=$!
  e2e_track $APP_PID
  WIN=
  for _ in $(seq 1 300); do
    WIN=$(xdotool search --all --onlyvisible --pid "$APP_PID" --name "^${MAIN_TITLE}\$" 2>/dev/null | head -n1) || true
    [ -n "$WIN" ] && break
    sleep 0.1
  done
  [ -n "$WIN" ] || { cat "$TMP/app-$1.log"; e2e_fail "$1: the main window did not appear"; }
  sleep 0.5
}
# wait_end PID SECONDS: the process ended in time; its exit status is in RC.
wait_end() {
  for _ in $(seq 1 $(($2 * 10))); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$1" 2>/dev/null && return 1
  RC=0
  wait "$1" || RC=$?
}
# other_window PID MAIN SECONDS: a visible window of the process other than MAIN.
other_window() {
  local w
  for _ in $(seq 1 $(($3 * 10))); do
    w=$(xdotool search --onlyvisible --pid "$1" 2>/dev/null | grep -vx "$2" | head -n1) || true
    [ -n "$w" ] && { echo "$w"; return 0; }
    kill -0 "$1" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
# new_errors: ERRORS, the error lines the program printed since the last call (every error
# box also goes to stderr).
LOG_SEEN=0
new_errors() {
  local n
  n=$(wc -l <"$APP_LOG")
  # Without a session bus the program says once at start-up that it takes no control
  # commands; that notice is not one of the errors counted here.
  ERRORS=$(head -n "$n" "$APP_LOG" | tail -n +$((LOG_SEEN + 1)) | grep '^QEL Auto Clicker: ' |
    grep -v 'control commands are not taken') || true
  LOG_SEEN=$n
}
# expect_box WHAT TEXT [KEY]: an error box appears, holds TEXT, and is dismissed with KEY
# (Return when not given; Escape answers No to a question).
expect_box() {
  local box text
  box=$(other_window "$APP_PID" "$WIN" 10) || e2e_fail "$1: no message box"
  sleep 0.2
  new_errors
  text=$ERRORS
  [ "$(grep -c . <<<"$text")" -eq 1 ] && [[ "$text" == *"$2"* ]] ||
    e2e_fail "$1: the error reads \"$text\", expected one line with \"$2\""
  xdotool windowactivate --sync "$box" 2>/dev/null || true
  xdotool key --clearmodifiers "${3:-Return}"
  for _ in $(seq 1 30); do
    xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | grep -qx "$box" || break
    sleep 0.1
  done
  e2e_log "$1: error box \"${text#QEL Auto Clicker: }\""
}
no_box() {
  local w
  w=$(other_window "$APP_PID" "$WIN" "${2:-1}") && e2e_fail "$1: an unexpected window \"$(e2e_window_title "$w")\" appeared"
  new_errors
  [ -z "$ERRORS" ] || e2e_fail "$1: an error was reported: $ERRORS"
}
# The target gets the focus; the window manager needs a moment before clicks go through.
focus_target() { xdotool windowactivate --sync "$TARGET_WIN" 2>/dev/null || true; sleep 0.3; }
click_at() { xdotool mousemove --window "$WIN" "$1" "$2" click 1; sleep 0.3; }
title() { e2e_window_title "$WIN"; }
wait_title() { e2e_wait_title "$WIN" "$1" "$2"; }  # TEXT SECONDS
# The main window's controls (client coordinates).
START_BTN=$QEL_AT_START
MACROS_RADIO="50 160"
CREATE_BTN=$QEL_AT_CREATE
REMOVE_BTN=$QEL_AT_REMOVE
RENAME_BTN=$QEL_AT_RENAME
# rename_to NAME: Rename, the new name in the input box, OK.
rename_to() {
  click_at $RENAME_BTN
  local box
  box=$(other_window "$APP_PID" "$WIN" 10) || e2e_fail "Rename: no input box"
  xdotool windowactivate --sync "$box" 2>/dev/null || true
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 20 "$1"
  xdotool key --clearmodifiers Return
  sleep 0.3
}
# remove_selected: Remove, Yes.
remove_selected() {
  click_at $REMOVE_BTN
  local box
  box=$(other_window "$APP_PID" "$WIN" 10) || e2e_fail "Remove: no confirmation box"
  xdotool windowactivate --sync "$box" 2>/dev/null || true
  xdotool key --clearmodifiers alt+y
  sleep 0.3
}
# record_macro: Create, the start-macros hotkey, a few moves, the stop hotkey.
record_macro() {
  click_at $CREATE_BTN
  for _ in $(seq 1 30); do [[ "$(title)" == *"Recording starts in"* ]] && break; sleep 0.1; done
  xdotool key --clearmodifiers shift+ctrl+r
  sleep 0.3
  for p in 100,100 150,120 200,140; do
    xdotool mousemove $((TX + ${p%,*})) $((TY + ${p#*,}))
    sleep 0.1
  done
  xdotool key --clearmodifiers shift+ctrl+x
  sleep 0.5
}
close_app() { # close by SIGTERM, as a session end does; must end within 10 s
  kill -TERM "$APP_PID"
}
must_end() {
  wait_end "$APP_PID" 10 || e2e_fail "$1: the program did not end"
  [ "$RC" -eq 0 ] || e2e_fail "$1: the program exited with $RC"
}
same_file() { cmp -s "$1" "$2" || e2e_fail "$3: $(basename "$1") was changed"; }

# ================= 1. a read-only settings file
e2e_use_data "$TMP/ro-settings"
crlf "[Target]" "mode=1" "[Coords]" "x=$PX" "y=$PY" "[Interval]" "ms=50" "[Repeat]" "untilStopped=1" \
  "[HotkeyStart]" "vk=112" "mod=0" >"$SETTINGS"
chmod 444 "$SETTINGS"
cp "$SETTINGS" "$TMP/before.ini"
start_app ro-settings
focus_target
: >"$CLICKS"
xdotool key --clearmodifiers F1
wait_title "$RUN_TITLE" 5 || e2e_fail "read-only settings: the file's start hotkey F1 did not start a run"
sleep 0.5
xdotool key --clearmodifiers ctrl+shift+x
wait_title "$MAIN_TITLE" 5 || e2e_fail "read-only settings: the stop hotkey did not stop the run"
[ "$(clicks)" -gt 0 ] && [ "$(cut -d' ' -f2,3 "$CLICKS" | sort -u)" = "120 140" ] ||
  e2e_fail "read-only settings: the clicks did not go to the file's coordinates: $(cut -d' ' -f2,3 "$CLICKS" | sort -u | paste -sd,)"
close_app
expect_box "read-only settings at exit" "Unable to write to $SETTINGS"
no_box "read-only settings: a second box" 1
must_end "read-only settings"
same_file "$SETTINGS" "$TMP/before.ini" "read-only settings"
e2e_log "1. read-only settings: loaded, one error box at exit, file unchanged"

# ================= 2. a read-only macro file
e2e_use_data "$TMP/ro-macro"
crlf "[Target]" "mode=2" "[Repeat]" "untilStopped=0" "count=1" "[Macros]" "selected=0" >"$SETTINGS"
put_macro "$MACROS/ro.qelmac"
chmod 444 "$MACROS/ro.qelmac"
cp "$MACROS/ro.qelmac" "$TMP/ro.qelmac"
start_app ro-macro
rename_to "x"
expect_box "Rename of a read-only macro" "read-only"
rename_to "ro"   # the same file name: rewritten in place
expect_box "Rename in place of a read-only macro" "read-only"
remove_selected
expect_box "Remove of a read-only macro" "read-only"
: >"$CLICKS"
click_at $START_BTN
for _ in $(seq 1 30); do [ "$(clicks)" -ge 2 ] && break; sleep 0.1; done
sleep 0.3
[ "$(clicks)" -eq 2 ] || e2e_fail "read-only macro: playback made $(clicks) clicks, expected 2"
close_app
must_end "read-only macro"
same_file "$MACROS/ro.qelmac" "$TMP/ro.qelmac" "read-only macro"
[ "$(ls "$MACROS")" = ro.qelmac ] || e2e_fail "read-only macro: the folder holds $(ls "$MACROS" | paste -sd' ')"
[ "$(stat -c %a "$MACROS/ro.qelmac")" = 444 ] || e2e_fail "read-only macro: its rights changed"
tr -d '\r' <"$SETTINGS" | grep -qx "selected=0" || e2e_fail "read-only macro: it left the list"
e2e_log "2. read-only macro: Rename and Remove refused with a message, file unchanged, playback works"

# ================= 3. a full disk
FULL=$TMP/full
mkdir -p "$FULL"
if mount -t tmpfs -o size=512k tmpfs "$FULL" 2>/dev/null; then
  FULL_MNT=$FULL
  e2e_use_data "$FULL"
  crlf "[Target]" "mode=2" "[Interval]" "ms=7" "[Macros]" "selected=0" >"$SETTINGS"
  put_macro "$MACROS/keep.qelmac"
  cp "$SETTINGS" "$TMP/full-before.ini"
  cp "$MACROS/keep.qelmac" "$TMP/keep.qelmac"
  dd if=/dev/zero of="$FULL/filler" bs=4k 2>/dev/null || true  # until the disk is full
  start_app full
  record_macro
  # Asked whether to try again: No keeps the recording in the list, without a file.
  expect_box "a recording on a full disk" "No space left on device" Escape
  wait_title "$MAIN_TITLE" 3 || e2e_fail "full disk: the window did not come back after the recording"
  rename_to "other"
  expect_box "a rename on a full disk" "No space left on device"
  close_app
  expect_box "the settings on a full disk" "Unable to write to $SETTINGS"
  must_end "full disk"
  same_file "$SETTINGS" "$TMP/full-before.ini" "full disk"
  same_file "$MACROS/keep.qelmac" "$TMP/keep.qelmac" "full disk"
  LEFT=$(find "$FULL" -type f ! -name filler ! -name settings.ini ! -name keep.qelmac)
  [ -z "$LEFT" ] || e2e_fail "full disk: left behind: $LEFT"
  umount "$FULL" && FULL_MNT=
  e2e_log "3. full disk: recording, rename and settings each refused with a message, files intact"
else
  echo "SKIP 3. full disk: mounting a tmpfs is not permitted here"
fi

# ================= 4. the data folder deleted while the program runs
e2e_use_data "$TMP/deleted"
crlf "[Target]" "mode=2" "[Macros]" "selected=0" >"$SETTINGS"
put_macro "$MACROS/gone.qelmac"
start_app deleted
rm -rf "$APPDATA"
remove_selected
no_box "Remove after the folder went" 1
record_macro
wait_title "$MAIN_TITLE" 3 || e2e_fail "deleted folder: the window did not come back after the recording"
no_box "a recording after the folder went" 1
NEW=$(find "$MACROS" -name '*.qelmac' 2>/dev/null) || true
[ "$(echo "$NEW" | grep -c .)" -eq 1 ] || e2e_fail "deleted folder: the recording was not saved: \"$NEW\""
close_app
must_end "deleted folder"
[ "$(tr -d '\r' <"$SETTINGS" | grep -c '=')" -eq 34 ] || e2e_fail "deleted folder: the settings were not written again"
tr -d '\r' <"$SETTINGS" | grep -qx "selected=0" || e2e_fail "deleted folder: the new macro is not the selected one"
e2e_log "4. deleted data folder: Remove, a recording ($(basename "$NEW")) and the settings recreate it"

# ================= 5. the X server goes away
LOST_NUM=$((DISPLAY_NUM + 1))
e2e_use_data "$TMP/lost"
for state in idle clicking recording; do
  [ -e "/tmp/.X11-unix/X$LOST_NUM" ] && e2e_fail "display :$LOST_NUM is already in use"
  Xvfb ":$LOST_NUM" -screen 0 1280x1024x24 -nolisten tcp >"$TMP/xvfb-$state.log" 2>&1 &
  XPID=$!
  e2e_track $XPID
  for _ in $(seq 1 300); do DISPLAY=:$LOST_NUM xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  DISPLAY=:$LOST_NUM xdpyinfo >/dev/null 2>&1 || { cat "$TMP/xvfb-$state.log"; e2e_fail "Xvfb did not start on :$LOST_NUM"; }
  crlf "[Target]" "mode=$([ $state = recording ] && echo 2 || echo 0)" "[Interval]" "ms=1" \
    "[Repeat]" "untilStopped=1" >"$SETTINGS"
  cp "$SETTINGS" "$TMP/lost-before.ini"
  DISPLAY=:$LOST_NUM start_app "lost-$state"
  export DISPLAY=:$LOST_NUM
  case $state in
    clicking)
      xdotool mousemove 1200 900
      xdotool key ctrl+shift+s
      wait_title "$RUN_TITLE" 5 || e2e_fail "X server lost: the 1 ms run did not start" ;;
    recording)
      click_at $CREATE_BTN
      xdotool key shift+ctrl+r
      sleep 0.3
      xdotool mousemove 600 500
      [[ "$(title)" == *Recording* ]] || e2e_fail "X server lost: no recording (\"$(title)\")" ;;
  esac
  export DISPLAY=:$DISPLAY_NUM
  T0=$(date +%s%N)
  kill "$XPID"
  wait "$XPID" 2>/dev/null || true
  wait_end "$APP_PID" 5 || e2e_fail "X server lost while $state: the program still runs after 5 s"
  MS=$((($(date +%s%N) - T0) / 1000000))
  [ "$RC" -ne 0 ] && [ "$RC" -lt 128 ] || e2e_fail "X server lost while $state: exit status $RC"
  MSG=$(grep -v XDG_RUNTIME_DIR "$TMP/app-lost-$state.log") || true
  [ "$(grep -ci 'x11\|x server' <<<"$MSG")" -ge 1 ] || e2e_fail "X server lost while $state: no message on stderr: \"$MSG\""
  same_file "$SETTINGS" "$TMP/lost-before.ini" "X server lost while $state"
  e2e_log "5. X server lost while $state: ended after $MS ms with status $RC: $(head -n1 <<<"$MSG")"
done

# ================= 6. the start hotkey held by another client
e2e_use_data "$TMP/held"
crlf "[Target]" "mode=1" "[Coords]" "x=$PX" "y=$PY" "[Interval]" "ms=20" "[Repeat]" "untilStopped=1" >"$SETTINGS"
"$HELPER" grab "$TMP/grab.log" >"$TMP/grab.out" &
HOLDER=$!
e2e_track $HOLDER
for _ in $(seq 1 50); do [ -s "$TMP/grab.out" ] && break; sleep 0.1; done
[ "$(cat "$TMP/grab.out")" = ready ] || e2e_fail "the helper could not hold Ctrl+Shift+S"
start_app held
no_box "a hotkey held elsewhere" 2
focus_target
: >"$CLICKS"
xdotool key --clearmodifiers ctrl+shift+s
sleep 1
[ "$(title)" = "$MAIN_TITLE" ] || e2e_fail "held hotkey: Ctrl+Shift+S started the program (\"$(title)\")"
[ "$(clicks)" -eq 0 ] || e2e_fail "held hotkey: Ctrl+Shift+S made clicks"
[ "$(wc -l <"$TMP/grab.log" 2>/dev/null || echo 0)" -ge 1 ] || e2e_fail "held hotkey: the holder did not get Ctrl+Shift+S"
click_at $START_BTN
wait_title "$RUN_TITLE" 5 || e2e_fail "held hotkey: the Start button did not start a run"
sleep 0.5
[ "$(clicks)" -gt 0 ] || e2e_fail "held hotkey: the run made no clicks"
xdotool key --clearmodifiers ctrl+shift+x
wait_title "$MAIN_TITLE" 5 || e2e_fail "held hotkey: the stop hotkey did not stop the run"
close_app
must_end "held hotkey"
kill "$HOLDER"
wait "$HOLDER" 2>/dev/null || true
e2e_log "6. Ctrl+Shift+S held elsewhere: no message, Start button and stop hotkey work, the holder got the key"

# ================= 7. a second copy
e2e_use_data "$TMP/two"
crlf "[Target]" "mode=1" "[Coords]" "x=$PX" "y=$PY" "[Interval]" "ms=10" "[Repeat]" "untilStopped=0" \
  "count=5" "[Mine]" "keep=me" >"$SETTINGS"
start_app first
FIRST_PID=$APP_PID FIRST_WIN=$WIN
start_app second
SECOND_PID=$APP_PID SECOND_WIN=$WIN
no_box "the second copy" 1
focus_target
: >"$CLICKS"
xdotool key --clearmodifiers ctrl+shift+s
sleep 1.5
[ "$(clicks)" -eq 5 ] || e2e_fail "two copies: the start hotkey made $(clicks) clicks, expected one copy's 5"
WIN=$SECOND_WIN
click_at $START_BTN
sleep 1.5
[ "$(clicks)" -eq 10 ] || e2e_fail "two copies: the second copy's Start button made $(($(clicks) - 5)) clicks, expected 5"
kill -TERM "$FIRST_PID" "$SECOND_PID"
wait_end "$FIRST_PID" 10 && [ "$RC" -eq 0 ] || e2e_fail "two copies: the first did not end cleanly"
wait_end "$SECOND_PID" 10 && [ "$RC" -eq 0 ] || e2e_fail "two copies: the second did not end cleanly"
INI=$(tr -d '\r' <"$SETTINGS")
for s in Target Interval Repeat Click UI Delay HotkeyStart HotkeyStop HotkeyStartMacros Coords Macros Mine; do
  [ "$(grep -cx "\[$s\]" <<<"$INI")" -eq 1 ] || { echo "$INI"; e2e_fail "two copies: section [$s] is not there once"; }
done
[ "$(grep -c '^[A-Za-z]*=-\?[0-9]*$' <<<"$INI")" -eq 34 ] || { echo "$INI"; e2e_fail "two copies: not 34 numeric keys"; }
[ "$(grep -vc '^\[\|^[A-Za-z]*=-\?[0-9]*$\|^keep=me$\|^$' <<<"$INI")" -eq 0 ] || { echo "$INI"; e2e_fail "two copies: foreign lines in the file"; }
[ -z "$(find "$APPDATA" -name '*tmp*')" ] || e2e_fail "two copies: a temp file was left"
e2e_log "7. two copies: the hotkey ran the first only, the second's Start worked, the file is well-formed"

# ================= 8. a stopped copy holding the data folder's lock
e2e_use_data "$TMP/locked"
crlf "[Target]" "mode=1" "[Coords]" "x=$PX" "y=$PY" "[Interval]" "ms=20" >"$SETTINGS"
# The holder keeps the lock on an open descriptor of the folder, as a copy stopped inside
# a save does; ending it drops the lock and leaves nothing behind.
(
  exec 9<"$(dirname "$SETTINGS")"
  flock 9
  exec sleep 600
) &
HOLDER=$!
e2e_track $HOLDER
sleep 0.3
start_app locked
T0=$(date +%s%N)
close_app
must_end "held lock"
END_MS=$((($(date +%s%N) - T0) / 1000000))
kill "$HOLDER" 2>/dev/null || true
wait "$HOLDER" 2>/dev/null || true
[ "$(tr -d '\r' <"$SETTINGS" | grep -c '=')" -eq 34 ] || e2e_fail "held lock: the settings were not written at exit"
e2e_log "8. a stopped copy holding the folder's lock: the program saved its 34 keys and ended after $END_MS ms"

echo "PASS linux_faults"
