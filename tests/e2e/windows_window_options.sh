#!/bin/bash
# The Windows edition's window options and about box under Wine + Xvfb, driven from outside:
#  1. "Always on top" puts the window in the top-most band, which Wine shows to the window
#     manager as _NET_WM_STATE_ABOVE; checking "Minimize to tray when starting" unchecks it
#     and takes the window out at once;
#  2. Start with 10 repeats: the window is hidden (its X window unmapped) during the run and
#     comes back, shown and active, when the count is reached; the target got the 10 clicks;
#  3. "About..." opens a message box; Return closes it.
# The tray icon is not clicked here: Wine's notification area needs a tray host speaking
# its protocol, which the Linux edition's script covers with trayer.
# QEL_E2E_SHOTS=1 writes docs/windows-about.png.
#
#   tests/e2e/windows_window_options.sh [build dir]    (default: build/windows)
# Environment: see tests/e2e/win/lib.sh (display 102 and prefix /tmp/wine-lang by default
# here).
set -euo pipefail
export QEL_E2E_DISPLAY=${QEL_E2E_DISPLAY:-102}
export WINEPREFIX=${WINEPREFIX:-/tmp/wine-lang}
source "$(dirname "$0")/win/lib.sh"
trap win_cleanup EXIT
win_exe "${1:-}"
SHOTS=${QEL_E2E_SHOTS:-0}

win_start_display
win_start_wine
# English, whatever another script of this prefix chose last.
wine reg add 'HKCU\Software\QEL Auto Clicker' /v CurrentLanguage /t REG_SZ /d en /f >/dev/null 2>&1 ||
  win_fail "reg add"
win_start_target

# Coordinates inside the target, 100 ms, 10 repeats.
mkdir -p "$WIN_WORK/appdata/QEL Auto Clicker"
printf '%s\r\n' "[Target]" "mode=1" "[Interval]" "ms=100" "[Repeat]" "untilStopped=0" "count=10" \
  "[Coords]" "x=150" "y=210" >"$WIN_WORK/appdata/QEL Auto Clicker/settings.ini"
win_start_app

above() { xprop -id "$WIN" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_ABOVE; }
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q "Map State: IsViewable"; }
WIN_MINIMIZE="$((253 + 16 + 8)) $((400 + 30 + 8))"
WIN_ABOUT="$((435 + 60)) $((531 + 12))"

# ---- 1. always on top, and minimise-to-tray taking it back
# shellcheck disable=SC2086
{
  above && win_fail "the window is above the others before \"Always on top\""
  win_click $WIN_TOPMOST
  above || { xprop -id "$WIN" _NET_WM_STATE; win_fail "\"Always on top\" did not set _NET_WM_STATE_ABOVE"; }
  win_click $WIN_TOPMOST
  above && win_fail "unchecking \"Always on top\" left the window above"
  win_click $WIN_TOPMOST
  above || win_fail "\"Always on top\" checked again did not set the state"
  win_click $WIN_MINIMIZE
  above && win_fail "checking \"Minimize to tray when starting\" left the window above"
}
echo "always on top: set and cleared; minimise-to-tray takes the window out of the band"

# ---- 2. a hidden run of 10 clicks; the window comes back at its end
: >"$WIN_CLICKS"
# shellcheck disable=SC2086
xdotool mousemove $((OX + ${WIN_START% *})) $((OY + ${WIN_START#* })) click 1
HIDDEN=0
for _ in $(seq 1 40); do
  viewable "$WIN" || { HIDDEN=1; break; }
  sleep 0.05
done
[ "$HIDDEN" = 1 ] || win_fail "the window was not hidden when the run started"
SHOWN=0
for _ in $(seq 1 100); do
  ID=$(win_find_window "$WIN_TITLE" 1 || true)
  if [ -n "$ID" ] && viewable "$ID"; then
    SHOWN=1
    WIN=$ID
    break
  fi
  sleep 0.1
done
[ "$SHOWN" = 1 ] || win_fail "the window did not come back after the run"
sleep 0.7
COUNT=$(win_clicks | wc -l)
[ "$COUNT" -eq 10 ] || win_fail "the hidden run made $COUNT clicks, expected 10"
[ "$(xdotool getactivewindow 2>/dev/null)" = "$WIN" ] || win_fail "the window came back but is not the active one"
xprop -id "$WIN" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN && win_fail "the window came back minimised"
echo "hidden during the run of 10 clicks, back and active at its end"

# ---- 3. the about box
win_geometry "$WIN"
OX=$X OY=$Y
# shellcheck disable=SC2086
win_click $WIN_ABOUT
BOX=$(win_find_window "QEL Auto Clicker" 10) || win_fail "\"About...\" opened no window"
sleep 0.5
if [ "$SHOTS" = 1 ]; then
  mkdir -p "$WIN_ROOT/docs"
  win_geometry "$BOX"
  read -r FL FR FT FB < <(xprop -id "$BOX" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  import -window root -crop "$((WIDTH + FL + FR))x$((HEIGHT + FT + FB))+$((X - FL))+$((Y - FT))" \
    +repage "$WIN_ROOT/docs/windows-about.png"
fi
xdotool windowactivate --sync "$BOX" 2>/dev/null || true
xdotool key Return
GONE=0
for _ in $(seq 1 30); do
  viewable "$BOX" || { GONE=1; break; }
  sleep 0.1
done
[ "$GONE" = 1 ] || win_fail "Return did not close the about box"
echo "about box opened and closed"

win_close_app
win_wait_app_end 15 || win_fail "the program did not end after its window was closed"
echo "PASS"
