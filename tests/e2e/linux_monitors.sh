#!/usr/bin/env bash
# The Linux edition on two monitors of different sizes, the primary on the right, under
# Xvfb + openbox (monitors set with xrandr --setmonitor): a 1280x1024 monitor at the root's
# origin and the primary, 1024x768, beside it at root 1280,0. As on Windows, the program's
# coordinates start at the primary monitor's top-left corner:
#  1. "Coordinates:" 100, 200 clicks at root pixel 1380, 200; during the run the compact
#     window sits in the lower right corner of the primary monitor, not of the whole root.
#  2. A recording with points on both monitors stores the left one's with negative X, and
#     playing it back puts the pointer on the very root pixels where it was recorded.
#
#   tests/e2e/linux_monitors.sh [qel-autoclicker]
# Default: build/linux/src/linux/qel-autoclicker. Environment: E2E_DISPLAY (default 97),
# E2E_KEEP=1 keeps the temp folder.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/tests/e2e/lib.sh"

e2e_program "${1:-}"
e2e_tempdir monitors
command -v xrandr >/dev/null || e2e_fail "xrandr is missing (x11-xserver-utils)"

MAIN_TITLE=$QEL_MAIN_TITLE
RUN_TITLE="  Running\.\.\. Press Shift\+Ctrl\+X to stop"
REC_TITLE="Recording\.\.\. Press Shift\+Ctrl\+X to stop"
# The big monitor takes the place of the server's own output monitor; the primary has none.
E2E_BEFORE_WM="xrandr --setmonitor BIG 1280/340x1024/270+0+0 screen >/dev/null &&
  xrandr --setmonitor '*PRIMARY' 1024/270x768/200+1280+0 none >/dev/null" \
  e2e_start_display "${E2E_DISPLAY:-97}" 2304x1024x24
xrandr --listmonitors | grep -q '\*PRIMARY 1024/270x768/200+1280+0' || { xrandr --listmonitors; e2e_fail "the monitors were not set"; }

export APPDATA=$TMP/appdata XDG_CONFIG_HOME=$TMP/config QEL_UPDATE_URL=http://127.0.0.1:9/
SETTINGS_DIR="$APPDATA/QEL Auto Clicker"
MACROS="$SETTINGS_DIR/Macros"
mkdir -p "$SETTINGS_DIR" "$XDG_CONFIG_HOME"

start_app() {
  "$APP" >"$1" 2>&1 &
  APP_PID=$!
  e2e_track $APP_PID
  WIN=$(e2e_wait_window "$MAIN_TITLE" 30) || { cat "$1"; e2e_fail "the main window did not appear"; }
  sleep 0.5
}
stop_app() {
  kill -TERM "$APP_PID"
  wait "$APP_PID"
  local rc=$?
  [ $rc -eq 0 ] || e2e_fail "the program exited with $rc"
}
wait_title() { e2e_wait_title_match "$WIN" "$1" "$2"; }  # REGEX SECONDS
pointer() { xdotool getmouselocation | sed 's/x:\([0-9-]*\) y:\([0-9-]*\).*/\1 \2/'; }

# ================= 1. coordinates and the compact window
# Repeat 3 times every 300 ms: the run lasts about a second, long enough to see the window.
printf '[Target]\r\nmode=1\r\n[Coords]\r\nx=100\r\ny=200\r\n[Interval]\r\nh=0\r\nm=0\r\ns=0\r\nms=300\r\n[Repeat]\r\nuntilStopped=0\r\ncount=3\r\n' \
  >"$SETTINGS_DIR/settings.ini"
start_app "$TMP/app1.log"
xdotool mousemove 600 500
xdotool key --clearmodifiers shift+ctrl+s
wait_title "^$RUN_TITLE\$" 5 || { cat "$TMP/app1.log"; e2e_fail "the run did not start: \"$(e2e_window_title "$WIN")\""; }
sleep 0.4
read -r FX FY FW FH < <(xwininfo -id "$WIN" -frame 2>/dev/null | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}')
# xwininfo -frame gives the client's geometry; openbox's frame adds a few pixels around it.
e2e_log "compact window at $FX,$FY ${FW}x$FH"
[ "$FX" -ge 1280 ] && [ $((FX + FW)) -le 2304 ] && [ $((FY + FH)) -le 768 ] && [ $((FY + FH)) -ge 700 ] ||
  e2e_fail "the compact window at $FX,$FY ${FW}x$FH is not in the lower right corner of the primary monitor (1280,0 1024x768)"
wait_title "^$MAIN_TITLE\$" 5 || e2e_fail "the run did not end: \"$(e2e_window_title "$WIN")\""
read -r PX PY < <(pointer)
[ "$PX $PY" = "1380 200" ] || e2e_fail "coordinates 100,200 put the pointer on root $PX,$PY, expected 1380,200"
e2e_log "coordinates 100,200 clicked at root 1380,200"
stop_app

# ================= 2. a recording across both monitors, played back
printf '[Target]\r\nmode=2\r\n[Repeat]\r\nuntilStopped=0\r\ncount=1\r\n' >"$SETTINGS_DIR/settings.ini"
start_app "$TMP/app2.log"
xdotool windowactivate --sync "$WIN" 2>/dev/null
xdotool mousemove --window "$WIN" 43 197 click 1   # "Create"
wait_title "^ *Recording starts in" 5 || e2e_fail "no countdown after Create: \"$(e2e_window_title "$WIN")\""
xdotool mousemove 1500 300
sleep 0.3
xdotool key --clearmodifiers shift+ctrl+r
wait_title "^ *$REC_TITLE\$" 3 || e2e_fail "the recording did not start: \"$(e2e_window_title "$WIN")\""
for p in "100 200" "1279 1023" "2303 0" "200 900"; do
  xdotool mousemove $p
  sleep 0.15
done
xdotool key --clearmodifiers shift+ctrl+x
wait_title "^$MAIN_TITLE\$" 5 || e2e_fail "the stop hotkey did not end the recording"
shopt -s nullglob
FILES=("$MACROS"/*.qelmac)
shopt -u nullglob
[ ${#FILES[@]} -eq 1 ] || e2e_fail "expected one macro file, found ${#FILES[@]}"
tr -d '\r' <"${FILES[0]}" | sed -n 's/^E=//p' | cut -d'|' -f3,4 | tr '|' ' ' >"$TMP/points.txt"
printf '%s\n' "220 300" "-1180 200" "-1 1023" "1023 0" "-1080 900" >"$TMP/expected.txt"
diff "$TMP/expected.txt" "$TMP/points.txt" >"$TMP/diff.txt" ||
  { cat "$TMP/diff.txt"; e2e_fail "recorded positions are not measured from the primary monitor"; }
e2e_log "recorded: $(paste -sd, "$TMP/points.txt")"
xdotool mousemove 600 500
xdotool key --clearmodifiers shift+ctrl+s
sleep 0.5
wait_title "^$MAIN_TITLE\$" 10 || e2e_fail "the playback did not end"
read -r PX PY < <(pointer)
[ "$PX $PY" = "200 900" ] || e2e_fail "playback ended with the pointer on root $PX,$PY, recorded at 200,900"
e2e_log "played back onto the left monitor: root 200,900"
stop_app

e2e_log "PASS linux_monitors"
