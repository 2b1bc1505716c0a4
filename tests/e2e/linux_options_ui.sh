#!/usr/bin/env bash
# The Linux edition's options dialog, picking the target with the mouse and the tray icon's
# menu, driven from outside under Xvfb + openbox with trayer as the notification area:
#  1. "Options...": a radius and the corner stop set, OK; a speed typed, Cancel; at exit
#     the settings file holds what OK applied and not what Cancel dropped;
#  2. a double click on the X field, then a click on the click-logging target: the click is
#     taken as the point and never reaches the target, the fields hold it, the window is
#     back; Esc and a right click give up, the right click not delivered either;
#  3. the tray icon's menu: Start begins a run (the target gets clicks), Exit ends the
#     program, which saves on the way out.
# QEL_E2E_SHOTS=1 writes docs/options-linux.png and docs/tray-menu-linux.png.
#
#   tests/e2e/linux_options_ui.sh [qel-autoclicker [xtarget]]
# Environment: E2E_DISPLAY (default 117), E2E_KEEP=1 keeps the temp folder.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/tests/e2e/lib.sh"

e2e_program "${1:-}"
e2e_target "${2:-}"
command -v trayer >/dev/null || e2e_fail "trayer is not installed (the notification area of this test)"
e2e_tempdir optui
SHOTS=${QEL_E2E_SHOTS:-0}
export XDG_CONFIG_HOME=$TMP/config QEL_UPDATE_URL=http://127.0.0.1:9/
e2e_use_data "$TMP/appdata"

e2e_start_display "${E2E_DISPLAY:-117}" 1280x1024x24
e2e_start_tray

CLICKS=$TMP/clicks.txt
"$TARGET" "QEL click target" "$CLICKS" 950 300 300 300 &
e2e_track $!
TARGET_WIN=$(e2e_wait_window "QEL click target" 30) || e2e_fail "the target window did not appear"
read -r TX TY < <(e2e_window_origin "$TARGET_WIN")
clicks() { wc -l <"$CLICKS"; }

viewable() { xwininfo -id "$1" 2>/dev/null | grep -q "Map State: IsViewable"; }
start_app() {
  "$APP" >>"$TMP/app.log" 2>&1 &
  APP_PID=$!
  e2e_track $APP_PID
  WIN=$(e2e_wait_window "$QEL_MAIN_TITLE" 30) || { cat "$TMP/app.log"; e2e_fail "the main window did not appear"; }
  sleep 0.5
}
stop_app() { e2e_stop_app "$APP_PID"; }
at() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.3; }
setting() { e2e_ini_value "$SETTINGS" "$1" "$2"; }
# The options dialog of this copy, once shown.
options_dialog() {
  local id
  for _ in $(seq 1 50); do
    id=$(xdotool search --all --onlyvisible --pid "$APP_PID" --name "^Options\$" 2>/dev/null | head -n1) || true
    if [ -n "$id" ] && viewable "$id"; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}
type_at() {
  at "$1" "$2" "$3"
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 20 "$4"
  sleep 0.1
}

# ---- 1. the options dialog: OK applies, Cancel drops
start_app
# shellcheck disable=SC2086
at "$WIN" $QEL_AT_OPTIONS
DLG=$(options_dialog) || e2e_fail "\"Options...\" opened no dialog"
sleep 0.3
# shellcheck disable=SC2086
{
  type_at "$DLG" $QEL_OPT_AT_RADIUS 30
  at "$DLG" $QEL_OPT_AT_CORNER_STOP
  at "$DLG" $QEL_OPT_AT_RECORD_KEYS
}
if [ "$SHOTS" = 1 ]; then
  read -r BX BY < <(e2e_window_origin "$DLG")
  eval "$(xdotool getwindowgeometry --shell "$DLG")"
  read -r FL FR FT FB < <(xprop -id "$DLG" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  mkdir -p "$ROOT/docs"
  import -window root -crop "$((WIDTH + FL + FR))x$((HEIGHT + FT + FB))+$((BX - FL))+$((BY - FT))" \
    +repage "$ROOT/docs/options-linux.png"
fi
# shellcheck disable=SC2086
at "$DLG" $QEL_OPT_AT_OK
sleep 0.3
viewable "$DLG" && { import -window root /tmp/x/okfail.png; e2e_fail "OK did not close the options dialog"; }
# shellcheck disable=SC2086
at "$WIN" $QEL_AT_OPTIONS
DLG=$(options_dialog) || e2e_fail "\"Options...\" opened no dialog the second time"
sleep 0.3
# shellcheck disable=SC2086
{
  type_at "$DLG" $QEL_OPT_AT_SPEED 250
  at "$DLG" $QEL_OPT_AT_CANCEL
}
viewable "$DLG" && e2e_fail "Cancel did not close the options dialog"
stop_app
[ "$(setting Coords radius)" = 30 ] || { cat "$SETTINGS"; e2e_fail "OK did not apply the radius"; }
[ "$(setting UI cornerStop)" = 1 ] || e2e_fail "OK did not apply the corner stop"
[ "$(setting Macros recordKeys)" = 1 ] || e2e_fail "OK did not apply the recording of keys"
[ "$(setting Macros recordWheel)" = 0 ] || e2e_fail "the recording of the wheel changed without a click"
[ "$(setting Macros speed)" = 100 ] || e2e_fail "Cancel kept the speed it should have dropped: $(setting Macros speed)"
e2e_log "options: OK applied radius 30, the corner stop and recordKeys, Cancel dropped speed 250"

# ---- 2. picking with the mouse
printf '%s\r\n' "[Target]" "mode=1" "[Coords]" "x=11" "y=22" >"$SETTINGS"
start_app
PX=$((TX + 150)) PY=$((TY + 120))
pick_begin() {
  # shellcheck disable=SC2086
  xdotool mousemove --window "$WIN" $QEL_AT_COORD_X click --repeat 2 --delay 60 1
  e2e_wait_title "$WIN" "  Click the point (Esc cancels)" 5 || e2e_fail "a double click on the X field began no pick"
  sleep 0.2
}
window_back() {
  for _ in $(seq 1 50); do
    [ "$(e2e_window_title "$WIN")" = "$QEL_MAIN_TITLE" ] && return 0
    sleep 0.1
  done
  e2e_fail "the window did not come back after the pick: \"$(e2e_window_title "$WIN")\""
}
: >"$CLICKS"
pick_begin
xdotool mousemove "$PX" "$PY" key Escape
window_back
pick_begin
xdotool mousemove "$PX" "$PY" click 3
window_back
sleep 0.3
[ "$(clicks)" -eq 0 ] || e2e_fail "the right click that cancelled the pick reached the target: $(cat "$CLICKS")"
pick_begin
xdotool mousemove "$PX" "$PY" click 1
window_back
sleep 0.5
[ "$(clicks)" -eq 0 ] || e2e_fail "the picking click reached the target: $(cat "$CLICKS")"
# The target still takes clicks once the pick is over: nothing stayed grabbed.
xdotool mousemove "$PX" "$PY" click 1
sleep 0.5
[ "$(clicks)" -eq 1 ] || e2e_fail "after the pick a click did not reach the target ($(clicks) clicks)"
stop_app
[ "$(setting Coords x)" = "$PX" ] && [ "$(setting Coords y)" = "$PY" ] ||
  e2e_fail "the pick saved x=$(setting Coords x) y=$(setting Coords y), expected $PX, $PY"
[ "$(setting Target mode)" = 1 ] || e2e_fail "after the pick the mode is $(setting Target mode)"
e2e_log "pick: Esc and a right click gave up, the left click picked $PX, $PY and reached no window"

# ---- 3. the tray menu: Start, then Exit
printf '%s\r\n' "[Target]" "mode=1" "[Coords]" "x=$((TX + 40))" "y=$((TY + 40))" "[Interval]" "ms=300" \
  "[Repeat]" "untilStopped=1" >"$SETTINGS"
: >"$CLICKS"
start_app
ICON=$(xwininfo -root -tree | awk '/"QEL Auto Clicker": \("qel-autoclicker"/ && $0 !~ /2\.[0-9]/ {print $1}' | while read -r w; do
  viewable "$w" && echo "$w"; done | head -n1) || true
[ -n "$ICON" ] || e2e_fail "no tray icon in the notification area"
read -r IX IY < <(e2e_window_origin "$ICON")
# The menu: keyboard choices, the first entry (Start) from the top, Exit from the bottom.
# During the run the pointer visits the target at every click; the right click follows the
# move within a millisecond, and a click of the run between them (one in hundreds) takes
# the try away: Exit is tried again then.
tray_menu() {
  xdotool mousemove "$((IX + 11))" "$((IY + 11))" click 3
  sleep 0.6
}
tray_menu
if [ "$SHOTS" = 1 ]; then
  import -window root -crop "300x260+980+764" +repage "$ROOT/docs/tray-menu-linux.png"
fi
xdotool key Down Return
for _ in $(seq 1 50); do
  [ "$(clicks)" -ge 3 ] && break
  sleep 0.1
done
[ "$(clicks)" -ge 3 ] || e2e_fail "the tray menu's Start began no run ($(clicks) clicks)"
for _ in 1 2 3; do
  tray_menu
  xdotool key Up Return
  for _ in $(seq 1 30); do
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$APP_PID" 2>/dev/null || break
done
kill -0 "$APP_PID" 2>/dev/null && e2e_fail "the tray menu's Exit did not end the program"
N=$(clicks)
sleep 0.3
[ "$(clicks)" -eq "$N" ] || e2e_fail "clicks went on after Exit"
[ "$(setting Target mode)" = 1 ] || e2e_fail "Exit did not save the settings"
e2e_log "tray menu: Start ran ($N clicks), Exit ended the program and saved"
