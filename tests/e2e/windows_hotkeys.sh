#!/bin/bash
# The Windows edition's global hotkeys under Wine + Xvfb, sent with xdotool while the
# click target (another program's window) has the focus:
#  1. Ctrl+Shift+S starts a run until stopped at a point in the target, Ctrl+Shift+X stops
#     it: the caption comes back and the clicks stop growing;
#  2. with "Repeat" 1 and a 1 ms interval, Ctrl+Shift+S held down for a second (the X
#     server auto-repeats it) makes exactly one click;
#  3. a settings file moving the start hotkey to F1: F1 starts a run, Ctrl+Shift+S does not;
#  4. toggle=1: the start hotkey (F6) also stops the run;
#  5. hold=1: clicks while F7 is held, none after its release;
#  6. side button 9 as the start hotkey starts a run, and its own press reaches no window;
#  7. the hotkey editor: a click on the hotkey line opens it with the start field listening,
#     F6 typed there becomes the start hotkey, Return is OK; F6 then starts a run and the
#     new hotkey is saved; Esc, Esc leaves the editor without a change;
#  8. combinations another program holds (a second copy with the default hotkeys): OK in the
#     editor shows a message and the editor stays open; Cancel keeps the old hotkeys.
# Wine delivers a hotkey only while one of its own windows has the X focus, so the focused
# window is the Wine target window. The click settings come from a settings file written
# before each start.
#
#   tests/e2e/windows_hotkeys.sh [build dir]    (default: build/windows)
# Environment: QEL_E2E_DISPLAY (default 98), WINEPREFIX (default /tmp/wine-hk).
set -euo pipefail
export QEL_E2E_DISPLAY=${QEL_E2E_DISPLAY:-98}
export WINEPREFIX=${WINEPREFIX:-/tmp/wine-hk}
source "$(dirname "$0")/win/lib.sh"
trap win_cleanup EXIT
win_exe "${1:-}"
T_START=$(date +%s)

win_start_display
win_start_wine
win_start_target
PX=150 PY=210
TARGET_WIN=$(win_find_window "QEL Target" 10)
INI_DIR=$WIN_WORK/appdata/"QEL Auto Clicker"
INI=$INI_DIR/settings.ini
mkdir -p "$INI_DIR"

clicks() { win_clicks | wc -l; }
title() { xdotool getwindowname "$WIN" 2>/dev/null || true; }
wait_title() { e2e_wait_title "$WIN" "$1" "$2"; }  # TEXT SECONDS

# write_settings UNTIL_STOPPED COUNT MS [extra lines...]: "Coordinates:" at the target point.
write_settings() {
  local until=$1 count=$2 ms=$3
  shift 3
  printf '%s\r\n' "[Target]" "mode=1" "[Coords]" "x=$PX" "y=$PY" \
    "[Interval]" "h=0" "m=0" "s=0" "ms=$ms" "[Repeat]" "untilStopped=$until" "count=$count" \
    "[Click]" "button=0" "type=0" "holdMs=5" "$@" >"$INI"
}

start_app() {
  win_start_app
  # The program goes to the background: the target window takes the focus.
  xdotool windowactivate --sync "$TARGET_WIN" 2>/dev/null || xdotool windowfocus --sync "$TARGET_WIN"
  sleep 0.5
  [ "$(xdotool getwindowfocus 2>/dev/null)" = "$WIN" ] && win_fail "the program still has the focus"
  BASE=$(clicks)
}
stop_app() {
  win_close_app
  win_wait_app_end 15 || win_fail "the program did not end after its window was closed"
}
run_then_stop() {
  wait_title "$WIN_RUNNING" 5 || win_fail "$1 did not start a run (caption \"$(title)\")"
  local before stopped
  before=$(clicks)
  sleep 0.6
  [ "$(clicks)" -gt "$before" ] || win_fail "$1 started a run that sends no clicks"
  xdotool key --clearmodifiers ctrl+shift+x
  wait_title "$WIN_TITLE" 5 || win_fail "Ctrl+Shift+X did not stop the run (caption \"$(title)\")"
  sleep 0.3
  stopped=$(clicks)
  sleep 0.6
  [ "$(clicks)" -eq "$stopped" ] || win_fail "clicks went on after Ctrl+Shift+X"
  echo "$1 started a run, Ctrl+Shift+X stopped it after $((stopped - BASE)) clicks"
}

# ---- 1. start and stop from the background
write_settings 1 100 20
start_app
xdotool key --clearmodifiers ctrl+shift+s
run_then_stop "Ctrl+Shift+S"
stop_app

# ---- 2. a held start hotkey starts one run only
write_settings 0 1 1
start_app
xdotool keydown ctrl+shift+s
sleep 1
xdotool keyup s
xdotool keyup shift+ctrl
sleep 1
[ "$(title)" = "$WIN_TITLE" ] || win_fail "after the held hotkey the caption reads \"$(title)\""
COUNT=$(($(clicks) - BASE))
[ "$COUNT" -eq 1 ] || win_fail "the held start hotkey made $COUNT clicks, expected 1"
echo "held Ctrl+Shift+S for a second: exactly one click"
stop_app

# ---- 3. the start hotkey moved to F1
write_settings 1 100 20 "[HotkeyStart]" "vk=112" "mod=0"
start_app
xdotool key --clearmodifiers ctrl+shift+s
sleep 1
[ "$(title)" = "$WIN_TITLE" ] || win_fail "Ctrl+Shift+S still starts a run (caption \"$(title)\")"
[ "$(clicks)" -eq "$BASE" ] || win_fail "Ctrl+Shift+S still makes clicks"
xdotool key --clearmodifiers F1
run_then_stop "F1"
stop_app
tr -d '\r' <"$INI" | grep -A2 -x '\[HotkeyStart\]' | grep -qx 'vk=112' || { cat "$INI"; win_fail "the moved hotkey was not kept"; }

# ---- 4. toggle: the start hotkey also stops
write_settings 1 100 20 "[HotkeyStart]" "vk=117" "mod=0" "toggle=1"
start_app
xdotool key --clearmodifiers F6
wait_title "$WIN_RUNNING" 5 || win_fail "F6 did not start a run (caption \"$(title)\")"
sleep 0.5
xdotool key --clearmodifiers F6
wait_title "$WIN_TITLE" 5 || win_fail "F6 with toggle=1 did not stop the run (caption \"$(title)\")"
sleep 0.3
STOPPED=$(clicks)
sleep 0.5
[ "$STOPPED" -gt "$BASE" ] || win_fail "the toggled run made no click"
[ "$(clicks)" -eq "$STOPPED" ] || win_fail "clicks went on after the second F6"
echo "toggle: F6 started a run and F6 stopped it after $((STOPPED - BASE)) clicks"
stop_app

# ---- 5. hold: clicks while F7 is held
write_settings 1 100 20 "[HotkeyStart]" "vk=118" "mod=0" "hold=1"
start_app
xdotool keydown F7
sleep 1
xdotool keyup F7
sleep 0.5
AFTER=$(clicks)
sleep 0.5
[ "$(clicks)" -eq "$AFTER" ] || win_fail "clicks went on after F7 was released"
[ "$(title)" = "$WIN_TITLE" ] || win_fail "the run did not end at the release (caption \"$(title)\")"
HELD=$((AFTER - BASE))
[ "$HELD" -ge 10 ] && [ "$HELD" -le 80 ] || win_fail "holding F7 for a second at 20 ms made $HELD clicks"
echo "hold: F7 held for a second at 20 ms made $HELD clicks, none after the release"
stop_app

# ---- 6. side button 9 as the start hotkey, over the target window
write_settings 1 100 50 "[HotkeyStart]" "vk=6" "mod=0"
start_app
xdotool mousemove "$PX" "$PY"
sleep 0.3
xdotool click 9
run_then_stop "side button 9"
win_clicks | grep -q '^X ' && win_fail "the side button's own press reached the target window"
stop_app

# ---- 7. the hotkey editor, from the keyboard
write_settings 1 100 20
start_app
win_click $((10 + 30)) $((509 + 6))   # the hotkey line
DLG=$(win_find_window "Hotkeys" 10) || win_fail "a click on the hotkey line opened no editor"
sleep 0.8
xdotool key --clearmodifiers F6
sleep 0.3
xdotool key --clearmodifiers Return
sleep 0.8
xwininfo -id "$DLG" 2>/dev/null | grep -q "IsViewable" && win_fail "Return did not close the editor"
xdotool windowactivate --sync "$TARGET_WIN" 2>/dev/null || xdotool windowfocus --sync "$TARGET_WIN"
sleep 0.5
xdotool key --clearmodifiers ctrl+shift+s
sleep 0.8
[ "$(title)" = "$WIN_TITLE" ] || win_fail "the old start hotkey still starts a run (caption \"$(title)\")"
BASE=$(clicks)
xdotool key --clearmodifiers F6
run_then_stop "F6 set in the editor"
win_click $((10 + 30)) $((509 + 6))
DLG=$(win_find_window "Hotkeys" 10) || win_fail "the editor did not open a second time"
sleep 0.8
xdotool key --clearmodifiers Escape
sleep 0.3
xdotool key --clearmodifiers F9
sleep 0.3
xdotool key --clearmodifiers Escape
sleep 0.8
xwininfo -id "$DLG" 2>/dev/null | grep -q "IsViewable" && win_fail "Esc did not close the editor"
stop_app
tr -d '\r' <"$INI" | grep -A2 -x '\[HotkeyStart\]' | grep -qx 'vk=117' || { cat "$INI"; win_fail "the edited hotkey was not saved"; }
echo "editor: F6 captured from the keyboard, applied at once and saved; Esc changed nothing"

# ---- 8. combinations held by another program are refused in the editor. A second copy,
# started first from its own folder with the default hotkeys, holds Shift+Ctrl+S/X/R; this
# copy uses F1, F2, F3, and "Defaults" in its editor asks for the held ones.
OTHER=$WIN_WORK/other
mkdir -p "$OTHER/appdata/QEL Auto Clicker"
cp "$WIN_EXE" "$OTHER/"
(cd "$OTHER" && QEL_UPDATE_URL=http://127.0.0.1:9/ exec wine cmd /c \
  "set APPDATA=$(win_path "$OTHER/appdata")&& start /wait QELAutoClicker.exe" >"$OTHER/app.log" 2>&1) &
OTHER_PID=$!
OTHER_WIN=$(win_find_window "$WIN_TITLE" 60) || win_fail "the second copy did not start"
for _ in $(seq 1 300); do
  xwininfo -id "$OTHER_WIN" 2>/dev/null | grep -q "Map State: IsViewable" && break
  sleep 0.1
done
sleep 1
write_settings 1 100 20 "[HotkeyStart]" "vk=112" "mod=0" "[HotkeyStop]" "vk=113" "mod=0" \
  "[HotkeyStartMacros]" "vk=114" "mod=0"
win_start_app
# win_start_app may have found the second copy's window, which has the same caption.
for _ in $(seq 1 100); do
  WIN=$(xdotool search --onlyvisible --name "^${WIN_TITLE}\$" | grep -vx "$OTHER_WIN" | head -1) || true
  [ -n "$WIN" ] && break
  sleep 0.1
done
[ -n "$WIN" ] || win_fail "no window of the first copy"
win_geometry "$WIN"
OX=$X OY=$Y
win_click $((10 + 30)) $((509 + 6))
DLG=$(win_find_window "Hotkeys" 10) || win_fail "the editor did not open"
sleep 0.8
win_geometry "$DLG"
DX=$X DY=$Y
xdotool mousemove $((DX + 60)) $((DY + 204)) click 1    # "Defaults"
sleep 0.3
xdotool mousemove $((DX + 274)) $((DY + 204)) click 1   # "OK"
sleep 1
# Message boxes carry the program's name as their caption.
BOX=$(xdotool search --onlyvisible --name "^QEL Auto Clicker\$" | head -1) || true
[ -n "$BOX" ] || win_fail "hotkeys held by another program were taken without a message"
xdotool key --clearmodifiers Return
sleep 0.5
xwininfo -id "$DLG" 2>/dev/null | grep -q "IsViewable" || win_fail "the editor closed after the refused hotkeys"
xdotool mousemove $((DX + 365)) $((DY + 204)) click 1   # "Cancel"
sleep 0.8
xwininfo -id "$DLG" 2>/dev/null | grep -q "IsViewable" && win_fail "Cancel did not close the editor"
xdotool windowactivate --sync "$OTHER_WIN" 2>/dev/null || true
xdotool key --clearmodifiers alt+F4
wait "$OTHER_PID" 2>/dev/null || true
xdotool windowactivate --sync "$TARGET_WIN" 2>/dev/null || xdotool windowfocus --sync "$TARGET_WIN"
sleep 0.5
xdotool key --clearmodifiers F1
wait_title "  Running... Press F2 to stop" 5 || win_fail "F1 no longer starts a run after Cancel (caption \"$(title)\")"
xdotool key --clearmodifiers F2
wait_title "$WIN_TITLE" 5 || win_fail "F2 no longer stops the run after Cancel"
stop_app
echo "editor: the defaults, held by another copy, were refused with a message; Cancel kept F1/F2"

echo "PASS windows_hotkeys ($(($(date +%s) - T_START)) s)"
