#!/usr/bin/env bash
# The Linux edition's global hotkeys, driven from outside under Xvfb + openbox while
# another window (the click target) has the keyboard focus:
#  1. Ctrl+Shift+S starts a run until stopped at a point in the target, Ctrl+Shift+X stops
#     it: the caption comes back and the clicks stop growing;
#  2. with "Repeat" 1 and a 1 ms interval, Ctrl+Shift+S held down for a second (the server
#     auto-repeats it) makes exactly one click;
#  3. a settings file moving the start hotkey to F1: F1 starts a run, Ctrl+Shift+S does not;
#  4. toggle=1: the start hotkey (F6) also stops the run;
#  5. hold=1: F7 held for a second at a 10 ms interval clicks about 100 times and not after
#     the release; the press-to-first-click and release-to-last-click times are printed;
#  6. side button 9 as the start hotkey starts a run, and its own click reaches no window;
#  7. the hotkey editor: a click on the hotkey line opens it with the start field listening,
#     F6 typed there becomes the start hotkey, Return is OK; F6 from the target window then
#     starts a run and the new hotkey is saved; Esc in the editor changes nothing;
#  8. combinations another program holds (a second copy with the default hotkeys): OK in the
#     editor shows a message and the editor stays open; Cancel keeps the old hotkeys.
# The click settings come from a settings file written before each start.
#
#   tests/e2e/linux_hotkeys.sh [qel-autoclicker [xtarget]]
# Defaults: build/linux/src/linux/qel-autoclicker, build/linux/tests/e2e/xtarget.
# Environment: E2E_DISPLAY (default 97), E2E_KEEP=1 keeps the temp folder.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/tests/e2e/lib.sh"

e2e_program "${1:-}"
e2e_target "${2:-}"

e2e_tempdir hotkeys

MAIN_TITLE=$QEL_MAIN_TITLE
RUN_TITLE="  Running... Press Shift+Ctrl+X to stop"
export APPDATA=$TMP/appdata XDG_CONFIG_HOME=$TMP/config QEL_UPDATE_URL=http://127.0.0.1:9/
mkdir -p "$APPDATA/QEL Auto Clicker" "$XDG_CONFIG_HOME"
SETTINGS="$APPDATA/QEL Auto Clicker/settings.ini"

e2e_start_display "${E2E_DISPLAY:-97}" 1280x1024x24
xset r on 2>/dev/null || true

CLICKS=$TMP/clicks.txt
"$TARGET" "QEL hotkey target" "$CLICKS" 700 120 300 300 &
e2e_track $!
TARGET_WIN=$(e2e_wait_window "QEL hotkey target" 30) || e2e_fail "the target window did not appear"
read -r TX TY < <(e2e_window_origin "$TARGET_WIN")
PX=$((TX + 120))
PY=$((TY + 140))

clicks() { wc -l <"$CLICKS"; }
title() { e2e_window_title "$WIN"; }
wait_title() { e2e_wait_title "$WIN" "$1" "$2"; }  # TEXT SECONDS

# write_settings UNTIL_STOPPED COUNT MS [extra lines...]: "Coordinates:" at the target point.
write_settings() {
  local until=$1 count=$2 ms=$3
  shift 3
  printf '%s\r\n' "[Target]" "mode=1" "[Coords]" "x=$PX" "y=$PY" \
    "[Interval]" "h=0" "m=0" "s=0" "ms=$ms" "[Repeat]" "untilStopped=$until" "count=$count" \
    "[Click]" "button=0" "type=0" "holdMs=5" "$@" >"$SETTINGS"
}

APP_PID=
WIN=
start_app() {
  "$APP" >"$TMP/app-$1.log" 2>&1 &
  APP_PID=$!
  e2e_track $APP_PID
  WIN=$(e2e_wait_window "$MAIN_TITLE" 30) || { cat "$TMP/app-$1.log"; e2e_fail "the main window did not appear ($1)"; }
  sleep 0.5
  # The program goes to the background: the target window takes the focus.
  xdotool windowactivate --sync "$TARGET_WIN" 2>/dev/null || true
  sleep 0.3
}
stop_app() {
  kill -TERM "$APP_PID"
  for _ in $(seq 1 100); do
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$APP_PID" 2>/dev/null && e2e_fail "the program did not end"
  local rc=0
  wait "$APP_PID" || rc=$?
  [ $rc -eq 0 ] || e2e_fail "the program exited with $rc"
}
# expect_running: the run caption shows and clicks arrive; then the stop hotkey ends it.
run_then_stop() {
  wait_title "$RUN_TITLE" 5 || e2e_fail "$1 did not start a run (caption \"$(title)\")"
  local before
  before=$(clicks)
  sleep 0.5
  [ "$(clicks)" -gt "$before" ] || e2e_fail "$1 started a run that sends no clicks"
  xdotool key --clearmodifiers ctrl+shift+x
  wait_title "$MAIN_TITLE" 5 || e2e_fail "Ctrl+Shift+X did not stop the run (caption \"$(title)\")"
  sleep 0.3
  local stopped
  stopped=$(clicks)
  sleep 0.6
  [ "$(clicks)" -eq "$stopped" ] || e2e_fail "clicks went on after Ctrl+Shift+X"
  e2e_log "$1 started a run, Ctrl+Shift+X stopped it after $stopped clicks in all"
}

# ---- 1. start and stop from the background
: >"$CLICKS"
write_settings 1 100 20
start_app bg
FOCUS=$(xdotool getwindowfocus 2>/dev/null) || true
[ "$FOCUS" = "$WIN" ] && e2e_fail "the program still has the focus"
xdotool key --clearmodifiers ctrl+shift+s
run_then_stop "Ctrl+Shift+S"
stop_app

# ---- 2. a held start hotkey starts one run only
: >"$CLICKS"
write_settings 0 1 1
start_app held
xdotool keydown ctrl+shift+s
sleep 1
xdotool keyup s
xdotool keyup shift+ctrl
sleep 1
[ "$(title)" = "$MAIN_TITLE" ] || e2e_fail "after the held hotkey the caption reads \"$(title)\""
COUNT=$(clicks)
[ "$COUNT" -eq 1 ] || e2e_fail "the held start hotkey made $COUNT clicks, expected 1"
e2e_log "held Ctrl+Shift+S for a second: exactly one click"
stop_app

# ---- 3. the start hotkey moved to F1
: >"$CLICKS"
write_settings 1 100 20 "[HotkeyStart]" "vk=112" "mod=0"
start_app f1
xdotool key --clearmodifiers ctrl+shift+s
sleep 1
[ "$(title)" = "$MAIN_TITLE" ] || e2e_fail "Ctrl+Shift+S still starts a run (caption \"$(title)\")"
[ "$(clicks)" -eq 0 ] || e2e_fail "Ctrl+Shift+S still makes clicks"
xdotool key --clearmodifiers F1
run_then_stop "F1"
stop_app
tr -d '\r' <"$SETTINGS" | grep -A2 -x '\[HotkeyStart\]' | grep -qx 'vk=112' || { cat "$SETTINGS"; e2e_fail "the moved hotkey was not kept"; }

# Monotonic milliseconds around an xdotool call: Xvfb stamps events with the same clock,
# so the target's click times compare with them.
stamp_xdotool() { python3 -c 'import subprocess,sys,time
t=time.clock_gettime(time.CLOCK_MONOTONIC); subprocess.run(["xdotool"]+sys.argv[1:],check=True)
print(int(t*1000))' "$@"; }

# ---- 4. toggle: the start hotkey also stops
: >"$CLICKS"
write_settings 1 100 20 "[HotkeyStart]" "vk=117" "mod=0" "toggle=1"
start_app toggle
xdotool key --clearmodifiers F6
wait_title "  Running... Press Shift+Ctrl+X to stop" 5 || e2e_fail "F6 did not start a run (caption \"$(title)\")"
sleep 0.5
xdotool key --clearmodifiers F6
wait_title "$MAIN_TITLE" 5 || e2e_fail "F6 with toggle=1 did not stop the run (caption \"$(title)\")"
sleep 0.3
STOPPED=$(clicks)
sleep 0.5
[ "$STOPPED" -gt 0 ] || e2e_fail "the toggled run made no click"
[ "$(clicks)" -eq "$STOPPED" ] || e2e_fail "clicks went on after the second F6"
e2e_log "toggle: F6 started a run and F6 stopped it after $STOPPED clicks"
stop_app

# ---- 5. hold: clicks while F7 is held
: >"$CLICKS"
write_settings 1 100 10 "[HotkeyStart]" "vk=118" "mod=0" "hold=1"
start_app hold
DOWN_MS=$(stamp_xdotool keydown F7)
sleep 1
UP_MS=$(stamp_xdotool keyup F7)
sleep 0.5
AFTER=$(clicks)
sleep 0.5
[ "$(clicks)" -eq "$AFTER" ] || e2e_fail "clicks went on after F7 was released"
[ "$(title)" = "$MAIN_TITLE" ] || e2e_fail "the run did not end at the release (caption \"$(title)\")"
# The hold lasts from the keydown to the keyup as sent, which under load is more than the
# second slept: about one click per 10 ms of it.
HELD_MS=$((UP_MS - DOWN_MS))
[ "$AFTER" -ge $((HELD_MS * 6 / 100)) ] && [ "$AFTER" -le $((HELD_MS / 10 + 2)) ] ||
  e2e_fail "holding F7 for $HELD_MS ms at 10 ms made $AFTER clicks"
FIRST_MS=$(tr -d '\0' <"$CLICKS" | awk 'NR==1 {print $4}')
LAST_MS=$(tr -d '\0' <"$CLICKS" | awk 'END {print $4}')
LATE=$(tr -d '\0' <"$CLICKS" | awk -v up="$UP_MS" '$4 > up + 10' | wc -l)
[ "$LATE" -le 1 ] || e2e_fail "$LATE clicks came more than one interval after the release"
e2e_log "hold: $AFTER clicks; press to first click $((FIRST_MS - DOWN_MS)) ms, release to last click $((LAST_MS - UP_MS)) ms"
stop_app

# ---- 6. side button 9 as the start hotkey, over the target window
: >"$CLICKS"
write_settings 1 100 50 "[HotkeyStart]" "vk=6" "mod=0"
start_app xbutton
xdotool mousemove "$PX" "$PY"
sleep 0.2
xdotool click 9
run_then_stop "side button 9"
# The target keeps its file offset when the file is emptied: skip the zero bytes before it.
OTHER=$(tr -d '\0' <"$CLICKS" | awk '$1 != 1' | head -3)
[ -z "$OTHER" ] || e2e_fail "the side button's own click reached the target: $OTHER"
stop_app

# ---- 7. the hotkey editor, from the keyboard
: >"$CLICKS"
write_settings 1 100 20
start_app editor
xdotool mousemove --window "$WIN" 40 515 click 1   # the hotkey line
DLG=$(e2e_wait_window "Hotkeys" 10) || e2e_fail "a click on the hotkey line opened no editor"
sleep 0.5
xdotool key --clearmodifiers F6
sleep 0.3
xdotool key --clearmodifiers Return
for _ in $(seq 1 50); do
  xwininfo -id "$DLG" 2>/dev/null | grep -q "IsViewable" || break
  sleep 0.1
done
xwininfo -id "$DLG" 2>/dev/null | grep -q "IsViewable" && e2e_fail "Return did not close the editor"
xdotool windowactivate --sync "$TARGET_WIN" 2>/dev/null || true
sleep 0.3
xdotool key --clearmodifiers ctrl+shift+s
sleep 0.8
[ "$(title)" = "$MAIN_TITLE" ] || e2e_fail "the old start hotkey still starts a run (caption \"$(title)\")"
xdotool key --clearmodifiers F6
run_then_stop "F6 set in the editor"
# Esc ends the listening, a second Esc is Cancel: nothing changes.
xdotool mousemove --window "$WIN" 40 515 click 1
DLG=$(e2e_wait_window "Hotkeys" 10) || e2e_fail "the editor did not open a second time"
sleep 0.5
xdotool key --clearmodifiers Escape
sleep 0.2
xdotool key --clearmodifiers F9
sleep 0.2
xdotool key --clearmodifiers Escape
sleep 0.5
xwininfo -id "$DLG" 2>/dev/null | grep -q "IsViewable" && e2e_fail "Esc did not close the editor"
stop_app
tr -d '\r' <"$SETTINGS" | grep -A2 -x '\[HotkeyStart\]' | grep -qx 'vk=117' || { cat "$SETTINGS"; e2e_fail "the edited hotkey was not saved"; }
e2e_log "editor: F6 captured from the keyboard, applied at once and saved; Esc changed nothing"

# ---- 8. combinations held by another program are refused in the editor. A second copy,
# started first with the default hotkeys, holds Shift+Ctrl+S/X/R; this copy uses F1, F2,
# F3. Keys another program grabs never reach the editor, so "Defaults" asks for them.
OTHER_HOME=$TMP/other
mkdir -p "$OTHER_HOME/appdata/QEL Auto Clicker" "$OTHER_HOME/config"
APPDATA=$OTHER_HOME/appdata XDG_CONFIG_HOME=$OTHER_HOME/config "$APP" >"$TMP/app-other.log" 2>&1 &
OTHER_PID=$!
e2e_track $OTHER_PID
e2e_wait_window "$MAIN_TITLE" 30 >/dev/null || e2e_fail "the second copy did not start"
sleep 1
write_settings 1 100 20 "[HotkeyStart]" "vk=112" "mod=0" "[HotkeyStop]" "vk=113" "mod=0" \
  "[HotkeyStartMacros]" "vk=114" "mod=0"
start_app refused
# Both copies' windows carry the same caption: this copy's is the one of its process.
WIN=$(xdotool search --all --onlyvisible --pid "$APP_PID" --name "^${MAIN_TITLE}\$" | head -n1)
[ -n "$WIN" ] || e2e_fail "no window of the first copy"
xdotool mousemove --window "$WIN" 40 515 click 1
DLG=$(e2e_wait_window "Hotkeys" 10) || e2e_fail "the editor did not open"
sleep 0.5
xdotool mousemove --window "$DLG" 60 204 click 1   # "Defaults"
sleep 0.3
xdotool mousemove --window "$DLG" 274 204 click 1  # "OK"
BOX=""
for _ in $(seq 1 50); do
  BOX=$(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | grep -vx -e "$WIN" -e "$DLG" | head -n1) || true
  [ -n "$BOX" ] && break
  sleep 0.1
done
[ -n "$BOX" ] || e2e_fail "hotkeys held by another program were taken without a message"
xdotool key --clearmodifiers Return   # dismisses the message
sleep 0.5
xwininfo -id "$DLG" 2>/dev/null | grep -q "IsViewable" || e2e_fail "the editor closed after the refused hotkeys"
xdotool mousemove --window "$DLG" 365 204 click 1  # "Cancel"
sleep 0.5
xwininfo -id "$DLG" 2>/dev/null | grep -q "IsViewable" && e2e_fail "Cancel did not close the editor"
# The second copy's window may lie over the target: it goes first.
kill -TERM "$OTHER_PID" 2>/dev/null || true
wait "$OTHER_PID" 2>/dev/null || true
xdotool windowactivate --sync "$TARGET_WIN" 2>/dev/null || true
sleep 0.3
xdotool key --clearmodifiers F1
wait_title "  Running... Press F2 to stop" 5 || e2e_fail "F1 no longer starts a run after Cancel (caption \"$(title)\")"
xdotool key --clearmodifiers F2
wait_title "$MAIN_TITLE" 5 || e2e_fail "F2 no longer stops the run after Cancel"
stop_app
e2e_log "editor: the defaults, held by another copy, were refused with a message; Cancel kept F1/F2"

echo "PASS linux_hotkeys"
