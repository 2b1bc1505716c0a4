#!/bin/bash
# End-to-end test of the Windows edition under Wine + Xvfb, driven from outside with
# xdotool only: the target "Coordinates:" at a point inside a target window, a 10 ms
# interval, "Repeat" 25, Start. The target window counts exactly 25 presses at that point;
# the caption tells the stop hotkey during the run and is the program's own again after it.
# Screenshots of the main and the compact window go to docs/.
#
#   tests/e2e/windows_click_run.sh [build dir]    (default: build/windows)
# Environment: QEL_E2E_DISPLAY (default :94), WINEPREFIX (default /tmp/wine-qel-e2e,
# created on first use), QEL_E2E_SHOTS=0 to skip the screenshots.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build/windows}
EXE=$BUILD/src/win32/QELAutoClicker.exe
DISP=${QEL_E2E_DISPLAY:-:94}
export WINEPREFIX=${WINEPREFIX:-/tmp/wine-qel-e2e}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
SHOTS=${QEL_E2E_SHOTS:-1}
TITLE="  QEL Auto Clicker 2.4"
RUNNING="  Running... Press Shift+Ctrl+X to stop"

[ -x "$EXE" ] || { echo "missing $EXE (build the Windows edition first)"; exit 2; }

WORK=$(mktemp -d /tmp/qel-win-e2e.XXXXXX)
XVFB_PID="" WM_PID="" TARGET_PID="" APP_PID=""
cleanup() {
  set +e
  for p in $APP_PID $TARGET_PID; do kill "$p" 2>/dev/null; done
  wineserver -k 2>/dev/null
  for p in $WM_PID $XVFB_PID; do kill "$p" 2>/dev/null; wait "$p" 2>/dev/null; done
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; exit 1; }
winpath() { echo "Z:${1//\//\\}"; }

# A window whose name is exactly $1, waited for up to $2 seconds.
find_window() {
  local name=$1 limit=$2 id=""
  for _ in $(seq 1 $((limit * 10))); do
    id=$(xdotool search --name "^${name}\$" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# ---- display, window manager, wine ----
Xvfb "$DISP" -noreset -screen 0 1280x1024x24 >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
export DISPLAY=$DISP
for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start on $DISP"
openbox >"$WORK/openbox.log" 2>&1 &
WM_PID=$!

T0=$(date +%s)
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "initialising wine prefix $WINEPREFIX"
  wineboot -i >"$WORK/wineboot.log" 2>&1 || true
fi
wineboot >/dev/null 2>&1 || true
echo "wine ready after $(( $(date +%s) - T0 )) s"

# ---- the target window: left 40, top 120, 240 x 200; the click point inside it ----
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -Wextra -Werror -municode -mwindows -static \
  -o "$WORK/win_target.exe" "$ROOT/tests/e2e/win/win_target.cpp" -lshell32
CLICKS=$WORK/clicks.txt
wine "$WORK/win_target.exe" "$(winpath "$CLICKS")" 40 120 240 200 >"$WORK/target.log" 2>&1 &
TARGET_PID=$!
find_window "QEL Target" 30 >/dev/null || fail "target window did not appear"
PX=150 PY=210

# ---- the program, with its own data folder and an update server that answers nothing ----
mkdir -p "$WORK/appdata"
cp "$EXE" "$WORK/"
[ -f "$BUILD/src/win32/transl.dt" ] && cp "$BUILD/src/win32/transl.dt" "$WORK/"
# Wine sets APPDATA from the prefix for a process started from Unix; a process started by
# another Windows process inherits that one's variables. So cmd sets it and waits.
(cd "$WORK" && QEL_UPDATE_URL=http://127.0.0.1:9/ exec wine cmd /c \
  "set APPDATA=$(winpath "$WORK/appdata")&& start /wait QELAutoClicker.exe" >"$WORK/app.log" 2>&1) &
APP_PID=$!
T1=$(date +%s)
WIN=$(find_window "$TITLE" 60) || fail "main window did not appear"
echo "main window after $(( $(date +%s) - T1 )) s"
sleep 1

# Client origin of the main window (Wine maps the client area to the X window). xdotool's
# own geometry counts the window manager's frame twice; xwininfo's absolute place is exact.
geometry() {  # sets X Y WIDTH HEIGHT of window $1
  local info
  info=$(xwininfo -id "$1")
  X=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
  Y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
  WIDTH=$(awk '/^ *Width:/ {print $2}' <<<"$info")
  HEIGHT=$(awk '/^ *Height:/ {print $2}' <<<"$info")
}
geometry "$WIN"
OX=$X OY=$Y
click_at() { xdotool mousemove $((OX + $1)) $((OY + $2)) click 1; sleep 0.3; }
set_field() {  # a spin edit at client point $1,$2 gets the text $3
  click_at "$1" "$2"
  xdotool key End; for _ in 1 2 3 4 5 6 7; do xdotool key BackSpace; done
  xdotool type --delay 30 "$3"
  sleep 0.2
}

if [ "$SHOTS" = 1 ]; then
  mkdir -p "$ROOT/docs"
  import -window root -crop "${WIDTH}x${HEIGHT}+${OX}+${OY}" "$WORK/main-client.png" 2>/dev/null || true
fi

# Places are the design's 96-DPI client pixels: group origin + control origin + a bit.
click_at $((10 + 11 + 8)) $((58 + 59 + 8))                 # "Coordinates:"
set_field $((10 + 109 + 12)) $((58 + 56 + 12)) "$PX"        # X
set_field $((10 + 176 + 12)) $((58 + 56 + 12)) "$PY"        # Y
set_field $((253 + 224 + 20)) $((10 + 40 + 12)) "10"        # Milliseconds
click_at $((253 + 16 + 8)) $((301 + 48 + 8))                # "Repeat"
set_field $((253 + 121 + 20)) $((301 + 46 + 12)) "25"       # repeat count
xdotool mousemove $((OX + 300)) $((OY + 560))               # out of the way of the picture
sleep 0.5

if [ "$SHOTS" = 1 ]; then
  import -window root "$WORK/screen-main.png"
  # The whole frame: the client plus Wine's caption above it.
  convert "$WORK/screen-main.png" -crop "$((WIDTH + 16))x$((HEIGHT + 48))+$((OX - 8))+$((OY - 40))" +repage \
    "$ROOT/docs/windows-main.png"
fi

# ---- the run ----
: >"$CLICKS"
T2=$(date +%s.%N)
xdotool mousemove $((OX + 10 + 50)) $((OY + 14 + 12)) click 1      # Start
SEEN_RUNNING=0
for _ in $(seq 1 400); do
  NAME=$(xdotool getwindowname "$WIN" 2>/dev/null || true)
  [ "$NAME" = "$RUNNING" ] && SEEN_RUNNING=1
  if [ "$SEEN_RUNNING" = 1 ] && [ "$NAME" = "$TITLE" ]; then break; fi
  sleep 0.02
done
T3=$(date +%s.%N)
sleep 0.5
NAME=$(xdotool getwindowname "$WIN")
tr -d '\r' <"$CLICKS" >"$CLICKS.lf"   # written in Windows text mode
COUNT=$(wc -l <"$CLICKS.lf")
AT_POINT=$(grep -c "^$PX $PY\$" "$CLICKS.lf" || true)
echo "run: ${COUNT} clicks (${AT_POINT} at $PX,$PY) in $(echo "$T3 - $T2" | bc) s; running caption seen: $SEEN_RUNNING"
[ "$SEEN_RUNNING" = 1 ] || fail "the caption never read \"$RUNNING\""
[ "$NAME" = "$TITLE" ] || fail "caption after the run is \"$NAME\""
[ "$COUNT" -eq 25 ] || fail "expected 25 clicks, got $COUNT"
[ "$AT_POINT" -eq 25 ] || fail "clicks not at $PX,$PY: $(sort "$CLICKS.lf" | uniq -c | head -5)"

# ---- the compact window, held by a start delay of 3 s, for its picture ----
if [ "$SHOTS" = 1 ]; then
  set_field $((253 + 121 + 20)) $((231 + 20 + 12)) "3"      # Delay (s)
  xdotool mousemove $((OX + 10 + 50)) $((OY + 14 + 12)) click 1
  sleep 1.2
  [ "$(xdotool getwindowname "$WIN")" = "$RUNNING" ] || fail "no compact window during the start delay"
  geometry "$WIN"
  import -window root "$WORK/screen-compact.png"
  convert "$WORK/screen-compact.png" -crop "$((WIDTH + 40))x$((HEIGHT + 80))+$((X - 20))+$((Y - 60))" +repage \
    "$ROOT/docs/windows-compact.png"
  echo "compact window: ${WIDTH}x${HEIGHT} client at $X,$Y"
  # Stop it with the stop hotkey before the clicks begin.
  xdotool key ctrl+shift+x
  sleep 1
fi

# ---- close: the settings are written at exit ----
# Alt+F4 on the active window: the window manager asks it to close, as its close box does.
xdotool windowactivate --sync "$WIN" 2>/dev/null || true
xdotool key alt+F4
for _ in $(seq 1 100); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$APP_PID" 2>/dev/null && fail "the program did not end after its window was closed"
INI="$WORK/appdata/QEL Auto Clicker/settings.ini"
[ -f "$INI" ] || fail "no settings file at exit"
grep -qi "25" "$INI" || fail "the repeat count was not saved: $(cat "$INI")"
echo "PASS"
