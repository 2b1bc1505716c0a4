#!/usr/bin/env bash
# The Linux edition's window options, tray icon and about box, driven from outside under
# Xvfb + openbox with trayer as the notification area:
#  1. "Always on top" puts the window in the above band (_NET_WM_STATE_ABOVE); checking
#     "Minimize to tray when starting" unchecks it and takes the window out at once;
#  2. Start with 10 repeats: the window is hidden during the run and comes back, shown and
#     active, when the count is reached;
#  3. a run until stopped, hidden: a click on the tray icon shows the full window while the
#     run goes on (the target keeps getting clicks), and its Stop button ends the run;
#  4. "About..." opens a message box naming the program and its version; Return closes it.
# QEL_E2E_SHOTS=1 writes docs/linux-about.png and docs/linux-tray.png.
#
#   tests/e2e/linux_window_options.sh [qel-autoclicker [xtarget]]
# Defaults: build/linux/src/linux/qel-autoclicker, build/linux/tests/e2e/xtarget.
# Environment: E2E_DISPLAY (default 101), E2E_KEEP=1 keeps the temp folder.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/tests/e2e/lib.sh"

e2e_program "${1:-}"
e2e_target "${2:-}"
command -v trayer >/dev/null || e2e_fail "trayer is not installed (the notification area of this test)"

e2e_tempdir winopt
SHOTS=${QEL_E2E_SHOTS:-0}

MAIN_TITLE=$QEL_MAIN_TITLE
export APPDATA=$TMP/appdata XDG_CONFIG_HOME=$TMP/config QEL_UPDATE_URL=http://127.0.0.1:9/
DATA="$APPDATA/QEL Auto Clicker"
mkdir -p "$DATA" "$XDG_CONFIG_HOME"

e2e_start_display "${E2E_DISPLAY:-101}" 1280x1024x24
e2e_start_tray

# ---- the target window, 200x200 at 20,20; the runs click at its point 100,100
CLICKS=$TMP/clicks.txt
"$TARGET" "QEL click target" "$CLICKS" 20 20 200 200 &
e2e_track $!
TARGET_WIN=$(e2e_wait_window "QEL click target" 30) || e2e_fail "the target window did not appear"
read -r TX TY < <(e2e_window_origin "$TARGET_WIN")
clicks() { wc -l <"$CLICKS"; }

# Coordinates inside the target, 100 ms, 10 repeats.
printf '%s\r\n' "[Target]" "mode=1" "[Interval]" "ms=100" "[Repeat]" "untilStopped=0" "count=10" \
  "[Coords]" "x=$((TX + 100))" "y=$((TY + 100))" >"$DATA/settings.ini"

"$APP" >"$TMP/app.log" 2>&1 &
APP_PID=$!
e2e_track $APP_PID
WIN=$(e2e_wait_window "$MAIN_TITLE" 30) || { cat "$TMP/app.log"; e2e_fail "the main window did not appear"; }
sleep 0.5

click_at() { xdotool mousemove --window "$WIN" "$1" "$2" click 1; sleep 0.3; }
type_into() {
  click_at "$1" "$2"
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 20 "$3"
  xdotool key Tab
  sleep 0.1
}
# Waits (up to 3 s) for the target's next click.
after_tick() {
  local n
  n=$(clicks)
  for _ in $(seq 1 150); do
    [ "$(clicks)" -gt "$n" ] && return 0
    sleep 0.02
  done
  e2e_fail "the run made no click in 3 s"
}
above() { xprop -id "$WIN" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_ABOVE; }
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q "Map State: IsViewable"; }
# The main window's id: the platform may give the window a new X window when it is shown
# again after hiding, so it is looked up by its caption.
find_main() { xdotool search --onlyvisible --name "^${MAIN_TITLE}\$" 2>/dev/null | head -n1; }
# Waits up to $1 tenths of a second for the main window to be shown; sets WIN.
wait_shown() {
  local id
  for _ in $(seq 1 "$1"); do
    id=$(find_main) || true
    if [ -n "$id" ] && viewable "$id"; then
      WIN=$id
      return 0
    fi
    sleep 0.1
  done
  return 1
}
TOPMOST="277 468"
MINIMIZE="277 438"
START="62 26"
STOP="180 26"

# ---- 1. always on top, and minimise-to-tray taking it back
# shellcheck disable=SC2086
{
  above && e2e_fail "the window is above the others before \"Always on top\""
  click_at $TOPMOST
  above || { xprop -id "$WIN" _NET_WM_STATE; e2e_fail "\"Always on top\" did not set _NET_WM_STATE_ABOVE"; }
  click_at $TOPMOST
  above && e2e_fail "unchecking \"Always on top\" left the window above"
  click_at $TOPMOST
  above || e2e_fail "\"Always on top\" checked again did not set the state"
  click_at $MINIMIZE
  above && e2e_fail "checking \"Minimize to tray when starting\" left the window above"
}
e2e_log "always on top: set and cleared; minimise-to-tray takes the window out of the band"

# ---- 2. a hidden run of 10 clicks; the window comes back at its end
xdotool mousemove --window "$WIN" 62 26 click 1 # Start, watched at once
HIDDEN=0
for _ in $(seq 1 20); do
  viewable "$WIN" || { HIDDEN=1; break; }
  sleep 0.05
done
[ "$HIDDEN" = 1 ] || e2e_fail "the window was not hidden when the run started"
wait_shown 100 || e2e_fail "the window did not come back after the run"
sleep 0.5
[ "$(clicks)" -eq 10 ] || e2e_fail "the hidden run made $(clicks) clicks, expected 10"
[ "$(xdotool getactivewindow 2>/dev/null)" = "$WIN" ] || e2e_fail "the window came back but is not the active one"
xprop -id "$WIN" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN && e2e_fail "the window came back minimised"
e2e_log "hidden during the run of 10 clicks, back and active at its end"

# ---- 3. a long hidden run, the tray icon brings the window back, Stop ends the run
# The icon is the program's window embedded in the tray (class "qel-autoclicker", not the
# main window).
ICON=$(xwininfo -root -tree | awk '/"QEL Auto Clicker": \("qel-autoclicker"/ && $0 !~ /2\.4/ {print $1}' | while read -r w; do
  viewable "$w" && echo "$w"; done | head -n1) || true
[ -n "$ICON" ] || { xwininfo -root -tree | grep -i -A3 tray; e2e_fail "no tray icon in the notification area"; }
read -r IX IY < <(e2e_window_origin "$ICON")
if [ "$SHOTS" = 1 ]; then
  mkdir -p "$ROOT/docs"
  # The bottom right corner of the screen, the tray and its icon there, twice as large.
  import -window root -crop "160x40+1120+984" +repage -filter point -resize 200% "$ROOT/docs/linux-tray.png"
fi
# One click a second, and every click of this script made right after a tick: the run moves
# the pointer to the target at each tick and must not take a click of ours with it.
type_into 425 62 1 # seconds
type_into 497 62 0 # milliseconds
click_at $QEL_AT_REPEAT_UNTIL_STOPPED   # "Repeat until stopped"
: >"$CLICKS"
# shellcheck disable=SC2086
click_at $START
for _ in $(seq 1 20); do
  viewable "$WIN" || break
  sleep 0.05
done
viewable "$WIN" && e2e_fail "the window was not hidden for the run until stopped"
after_tick
xdotool mousemove "$((IX + 11))" "$((IY + 11))" click 1
wait_shown 50 || e2e_fail "a click on the tray icon did not show the window"
[ "$(e2e_window_title "$WIN")" = "$MAIN_TITLE" ] || e2e_fail "the tray click showed \"$(e2e_window_title "$WIN")\", not the full window"
eval "$(xdotool getwindowgeometry --shell "$WIN")"
[ "$HEIGHT" -eq 585 ] || e2e_fail "the tray click showed a window ${HEIGHT} px high, not the full window"
after_tick # the run goes on
# shellcheck disable=SC2086
click_at $STOP
N1=$(clicks)
sleep 1.5
[ "$(clicks)" -eq "$N1" ] || e2e_fail "the Stop button shown after the tray click did not end the run"
e2e_log "tray click during a hidden run: full window, run going on ($N1 clicks), Stop ended it"

# ---- 4. the about box
click_at $QEL_AT_ABOUT # "About..."
BOX=
for _ in $(seq 1 50); do
  BOX=$(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | grep -vx "$WIN" | while read -r w; do
    viewable "$w" && xwininfo -id "$w" | grep -q "Width: [0-9][0-9][0-9]$" && echo "$w"; done | head -n1) || true
  [ -n "$BOX" ] && break
  sleep 0.1
done
[ -n "$BOX" ] || e2e_fail "\"About...\" opened no window"
sleep 0.4
if [ "$SHOTS" = 1 ]; then
  # The client area and the window manager's frame around it (left, right, top, bottom).
  read -r BX BY < <(e2e_window_origin "$BOX")
  eval "$(xdotool getwindowgeometry --shell "$BOX")"
  read -r FL FR FT FB < <(xprop -id "$BOX" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  import -window root -crop "$((WIDTH + FL + FR))x$((HEIGHT + FT + FB))+$((BX - FL))+$((BY - FT))" \
    +repage "$ROOT/docs/linux-about.png"
fi
xdotool windowactivate --sync "$BOX" 2>/dev/null || true
xdotool key --clearmodifiers Return
for _ in $(seq 1 30); do
  viewable "$BOX" || break
  sleep 0.1
done
viewable "$BOX" && e2e_fail "Return did not close the about box"
e2e_log "about box $BOX opened and closed"

kill -TERM "$APP_PID"
for _ in $(seq 1 100); do
  kill -0 "$APP_PID" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$APP_PID" 2>/dev/null && e2e_fail "the program did not end"
echo "PASS linux_window_options"
