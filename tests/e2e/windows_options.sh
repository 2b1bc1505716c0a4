#!/bin/bash
# The Windows edition's options that come from the settings file, under Wine + Xvfb, each
# from a file written before the start. The clicks land in a frameless target window as
# large as the screen, corners included, that logs every press with its screen point and
# the time by the performance counter:
#  1. radius=20 in the coordinates mode: 50 clicks, all within 20 px of the point, spread
#     over the disc;
#  2. jitterMode=1, J=50 on 100 ms: the intervals take many values, all within 50..150;
#  3. jitterMode=2, J=50 on 100 ms: about seven in ten intervals within 100 +/- 25 ms, none
#     outside 50..150;
#  4. a pick hotkey (Shift+Ctrl+P) with the pointer at 640,480: a run started then clicks
#     there although the pointer has moved on, and the file has x=640, y=480, mode=1 at
#     exit (the status line is drawn by the program itself and has no text to read here);
#  5. cornerStop=1: the pointer moved into the top-left and the bottom-right corner stops a
#     run until stopped within 50 ms; 3 px away from a corner is no corner; a coordinates
#     run whose own disc reaches a corner is not stopped by the pointer it puts there;
#     cornerStop=0 does not stop;
#  6. speed=200: a macro whose two clicks lie 2000 ms apart plays them 1000 ms apart;
#     speed=1000 is held to 400 (500 ms apart) and saved so.
# Wine delivers a hotkey only while one of its own windows has the X focus: the target has
# it whenever a hotkey is pressed.
#
#   tests/e2e/windows_options.sh [build dir]    (default: build/windows)
# Environment: QEL_E2E_DISPLAY (default 112), WINEPREFIX (default /tmp/wine-options).
set -euo pipefail
export QEL_E2E_DISPLAY=${QEL_E2E_DISPLAY:-112}
export WINEPREFIX=${WINEPREFIX:-/tmp/wine-options}
source "$(dirname "$0")/win/lib.sh"
trap win_cleanup EXIT
win_exe "${1:-}"
T_START=$(date +%s)

win_start_display
win_start_wine
SCREEN_W=1280 SCREEN_H=1024
INI_DIR=$WIN_WORK/appdata/"QEL Auto Clicker"
INI=$INI_DIR/settings.ini
MACROS=$INI_DIR/Macros
mkdir -p "$MACROS"

# ---- the target: frameless and as large as the screen, so a press in a corner is seen
WIN_CLICKS=$WIN_WORK/clicks.txt
WIN_TARGET_FRAMELESS=1 wine "$(win_tool win_target)" "$(win_path "$WIN_CLICKS")" 0 0 $SCREEN_W $SCREEN_H \
  >"$WIN_WORK/target.log" 2>&1 &
# shellcheck disable=SC2034  # win_cleanup stops it
WIN_TARGET_PID=$!
TARGET_WIN=$(win_find_window "QEL Target" 30) || win_fail "the target window did not appear"
sleep 0.5
win_geometry "$TARGET_WIN"
[ "$X $Y $WIDTH $HEIGHT" = "0 0 $SCREEN_W $SCREEN_H" ] || win_fail "the target covers $WIDTH x $HEIGHT at $X,$Y, not the screen"

clicks() { win_clicks | wc -l; }
# The presses after the first $1, as "x y ms".
since() { win_clicks | tail -n +$(($1 + 1)); }
title() { xdotool getwindowname "$WIN" 2>/dev/null || true; }
wait_title() { e2e_wait_title "$WIN" "$1" "$2"; }  # TEXT SECONDS

# settings LINE...: the settings file the next start reads.
settings() { printf '%s\r\n' "$@" >"$INI"; }
# saved SECTION KEY: the value the program wrote (the system's profile writer keeps the
# names' spelling but may space the lines its own way).
saved() { e2e_ini_value "$INI" "$1" "$2"; }
expect_saved() {
  [ "$(saved "$1" "$2")" = "$3" ] || { cat "$INI"; win_fail "at exit [$1] $2 is \"$(saved "$1" "$2")\", expected $3"; }
}

BASE=0
# The program on the file in place, then the target takes the focus (and so the top). The
# main window goes to the top-right corner first, clear of every point the cases click: the
# program raises it when a run begins, and a click that lands on it is lost to the count
# (or worse, presses one of its buttons).
start_app() {
  win_start_app >/dev/null
  xdotool windowmove "$WIN" $((SCREEN_W - 580)) 0
  sleep 0.3
  xdotool windowactivate --sync "$TARGET_WIN" 2>/dev/null || xdotool windowfocus --sync "$TARGET_WIN"
  xdotool mousemove 900 900
  sleep 0.5
  [ "$(xdotool getwindowfocus 2>/dev/null)" = "$WIN" ] && win_fail "the program still has the focus"
  BASE=$(clicks)
}
stop_app() {
  win_close_app
  win_wait_app_end 15 || win_fail "the program did not end after its window was closed"
  wait "$WIN_APP_PID" || win_fail "the program did not end cleanly"
}
# wait_presses N SECONDS: N presses since BASE, then the caption back; no press after them.
wait_presses() {
  for _ in $(seq 1 $(($2 * 10))); do
    [ "$(since "$BASE" | wc -l)" -ge "$1" ] && break
    sleep 0.1
  done
  wait_title "$WIN_TITLE" 5 || win_fail "the run did not end (caption \"$(title)\")"
  sleep 0.3
  local got
  got=$(since "$BASE" | wc -l)
  [ "$got" -eq "$1" ] || win_fail "the run made $got clicks, expected $1"
}
start_hotkey() { xdotool key --clearmodifiers ctrl+shift+s; }

# The coordinates cases click around this point, clear of every corner; [Coords] comes
# last, so a case can add to it.
CX=400 CY=600
COORDS=("[Target]" "mode=1" "[Coords]" "x=$CX" "y=$CY")

# ---- 1. radius 20: 50 clicks in the disc
settings "${COORDS[@]}" "radius=20" "[Interval]" "ms=10" "[Repeat]" "untilStopped=0" "count=50"
start_app
start_hotkey
wait_presses 50 10
# The program draws whole pixels and sends each as the absolute coordinate that maps back to
# that pixel, so no rounding is allowed for. 50 draws from the disc's 1257 pixels all land
# within 15 px of the centre with a chance of 0.56^50, and leave a quarter of it empty with
# one of 4 * 0.75^50, both far below one in a million.
read -r MAX2 DISTINCT QUARTERS < <(since "$BASE" | e2e_disc_stats "$CX" "$CY")
MAXD=$(echo "scale=2; sqrt($MAX2)" | bc)
echo "1. radius 20: 50 clicks, farthest ${MAXD} px from the point, $DISTINCT distinct points, $QUARTERS quarters"
[ "$MAX2" -le 400 ] || win_fail "a click landed ${MAXD} px from the point, beyond the radius of 20"
[ "$MAX2" -ge 225 ] || win_fail "no click farther than ${MAXD} px out: the disc is not spread to its radius"
[ "$DISTINCT" -ge 20 ] || win_fail "only $DISTINCT distinct points in 50 clicks"
[ "$QUARTERS" -eq 4 ] || win_fail "the clicks fill only $QUARTERS quarters of the disc"
stop_app
expect_saved Coords radius 20

interval_stats() { since "$BASE" | e2e_interval_stats; }
# Scheduling slack at the edges of 50..150. An interval is measured from press to press as
# the target got them, so a press that reaches it late (Wine passes it on through its
# server, then the target's message loop) lengthens its interval and shortens the next by
# as much; a tick that comes late only lengthens, and load makes it later: a click goes
# from the program through the Wine server to the target, three processes to be scheduled.
# Seen: 3 ms below 50; above 150, 3.6 ms on an idle machine and up to 15.6 ms with a compile
# beside the test on two cores. So a few ms below, more above.
LOW=$((50 - 5)) HIGH=$((150 + 20))
between() { [ "$(echo "$1 >= $2 && $1 <= $3" | bc)" = 1 ]; }
JITTER=("[Interval]" "ms=100" "jitterEnabled=1" "jitterMs=50")

# ---- 2. jitterMode 1: any whole number of ms in -50..+50
settings "${COORDS[@]}" "${JITTER[@]}" "jitterMode=1" "[Repeat]" "untilStopped=0" "count=101"
start_app
start_hotkey
wait_presses 101 25
read -r N DISTINCT LO HI MEAN _ < <(interval_stats)
echo "2. jitterMode 1: $N intervals, $DISTINCT distinct, $LO..$HI ms, mean $MEAN ms"
between "$LO" $LOW $HIGH && between "$HI" $LOW $HIGH || win_fail "intervals from $LO to $HI ms, outside 50..150 (slack $LOW..$HIGH)"
[ "$DISTINCT" -ge 30 ] || win_fail "only $DISTINCT distinct intervals"
# 100 draws from 101 values reach both outer sixths (the 16 values at each end) but with a
# chance of 2 * (85/101)^100, about 6e-8: a narrower draw fails here.
between "$LO" 0 65 && between "$HI" 135 1000 || win_fail "the intervals ($LO..$HI ms) do not reach out to 50 and 150"
# The mean of 100 such draws has a spread of 2.9 ms; a draw of one side only has a mean of
# 75 or 125. Late ticks only lengthen, and load makes them later (a mean of 108.9 ms has
# been seen on a busy machine), so the band leans up.
between "$MEAN" 85 118 || win_fail "mean interval $MEAN ms, expected about 100"
stop_app
expect_saved Interval jitterMode 1

# ---- 3. jitterMode 2: normal with sigma 25 ms, drawn again beyond +/-50
# Rounded to whole ms and cut at +/-50, a draw lies within +/-25 with a chance of
# P(|z| <= 1.02) / P(|z| <= 2.02) = 0.692 / 0.957 = 0.72, not the 0.68 of an uncut normal.
# Over 200 intervals the share has a spread of sqrt(0.72 * 0.28 / 200) = 0.032, so
# 0.60..0.85 is four spreads either way (a false failure about once in 10^4 runs); a
# uniform draw (0.50) or sigma = J (0.56) falls below it, sigma = J/4 (0.99) above it.
settings "${COORDS[@]}" "${JITTER[@]}" "jitterMode=2" "[Repeat]" "untilStopped=0" "count=201"
start_app
start_hotkey
wait_presses 201 45
read -r N DISTINCT LO HI MEAN WITHIN < <(interval_stats)
echo "3. jitterMode 2: $N intervals, $LO..$HI ms, mean $MEAN ms, share within 100 +/- 25: $WITHIN"
between "$LO" $LOW $HIGH && between "$HI" $LOW $HIGH || win_fail "intervals from $LO to $HI ms, outside 50..150 (slack $LOW..$HIGH)"
between "$WITHIN" 0.60 0.85 || win_fail "$WITHIN of the intervals within 100 +/- 25 ms, expected 0.60..0.85"
# The cut normal's spread is 22 ms, so the mean of 200 has one of 1.6 ms; folded to one
# side it would be 82.4 or 117.6. Leaning up for late ticks, as above.
between "$MEAN" 90 112 || win_fail "mean interval $MEAN ms, expected about 100"
stop_app
expect_saved Interval jitterMode 2

# ---- 4. the pick hotkey: Shift+Ctrl+P (VK 'P' = 80, MOD_CONTROL | MOD_SHIFT = 6), from a
# cursor-mode start with the point at 0,0
settings "[Target]" "mode=0" "[Coords]" "x=0" "y=0" "[Interval]" "ms=10" "[Repeat]" "untilStopped=0" "count=1" \
  "[HotkeyPick]" "vk=80" "mod=6"
start_app
xdotool mousemove 640 480
sleep 0.3
xdotool key --clearmodifiers shift+ctrl+p
sleep 0.5
# The pick is in force at once: with the pointer elsewhere, a run clicks at the point.
xdotool mousemove 900 900
sleep 0.3
start_hotkey
wait_presses 1 5
AT=$(since "$BASE" | cut -d' ' -f1-2)
[ "$AT" = "640 480" ] || win_fail "the run after the pick clicked at \"$AT\", expected 640,480"
stop_app
for kv in "Coords x 640" "Coords y 480" "Target mode 1" "HotkeyPick vk 80" "HotkeyPick mod 6"; do
  # shellcheck disable=SC2086
  expect_saved $kv
done
echo "4. pick: the next run clicked at 640,480; x=640 y=480 mode=1 saved"

# ---- 5. the corner stop
# corner_stop X Y NAME: with a run until stopped clicking at the pointer every 10 ms, the
# pointer moved to X,Y stops it. The target's clock is its own, so the move's time is known
# from the presses: the last one at the old place came before it. LATENCY, the time from
# that press to the last press of all, is thus at least the time from the move to the last
# press.
corner_stop() {
  local base done_count
  xdotool mousemove 640 500
  sleep 0.3
  base=$(clicks)
  start_hotkey
  wait_title "$WIN_RUNNING" 5 || win_fail "$3: the start hotkey did not start a run (caption \"$(title)\")"
  sleep 0.4
  xdotool mousemove "$1" "$2"
  wait_title "$WIN_TITLE" 3 || win_fail "$3: the pointer at $1,$2 did not stop the run (caption \"$(title)\")"
  sleep 0.5
  done_count=$(since "$base" | wc -l)
  LATENCY=$(since "$base" | awk '$1 == 640 && $2 == 500 {old = $3} {last = $3} END {printf "%.1f", last - old}')
  between "$LATENCY" 0 50 || win_fail "$3: clicks went on $LATENCY ms after the last one before the move"
  sleep 0.3
  [ "$(since "$base" | wc -l)" -eq "$done_count" ] || win_fail "$3: clicks went on after the stop"
  [ "$done_count" -gt 10 ] || win_fail "$3: only $done_count clicks before the stop"
  echo "5. $3: stopped; last click at most $LATENCY ms after the move, $done_count clicks"
}
settings "[Target]" "mode=0" "[Interval]" "ms=10" "[Repeat]" "untilStopped=1" "[UI]" "cornerStop=1"
start_app
# 3 px off the corner on both axes is still the screen: the run goes on there.
xdotool mousemove 640 500
sleep 0.3
start_hotkey
wait_title "$WIN_RUNNING" 5 || win_fail "the start hotkey did not start a run (caption \"$(title)\")"
sleep 0.2
xdotool mousemove 3 3
sleep 0.2
NEAR=$(clicks)
sleep 0.3
[ "$(title)" = "$WIN_RUNNING" ] || win_fail "the pointer 3 px off the corner stopped the run (caption \"$(title)\")"
[ "$(since "$NEAR" | awk '$1 == 3 && $2 == 3' | wc -l)" -ge 10 ] || win_fail "the run did not go on clicking at 3,3"
xdotool key --clearmodifiers ctrl+shift+x
wait_title "$WIN_TITLE" 5 || win_fail "the stop hotkey did not end the run"
corner_stop 0 0 "top-left corner"
LAT_TL=$LATENCY
# 2 px off the last pixel on both axes is still the corner.
corner_stop $((SCREEN_W - 3)) $((SCREEN_H - 3)) "bottom-right corner, 2 px off"
LAT_BR=$LATENCY
stop_app
expect_saved UI cornerStop 1

# A coordinates run whose disc reaches the top-left corner puts the pointer there itself:
# that is no signal. 100 draws from the disc around 5,5 (cut at the screen's edge) land in
# the corner's 3 x 3 pixels about 16 times; none at all has a chance of 0.84^100.
settings "[Target]" "mode=1" "[Coords]" "x=5" "y=5" "radius=20" "[Interval]" "ms=5" \
  "[Repeat]" "untilStopped=0" "count=100" "[UI]" "cornerStop=1"
start_app
start_hotkey
wait_presses 100 10
IN_CORNER=$(since "$BASE" | awk '$1 <= 2 && $2 <= 2' | wc -l)
[ "$IN_CORNER" -gt 0 ] || win_fail "no click of the run landed in the corner: the case shows nothing"
echo "5. a run with its disc in the corner: all 100 clicks done, $IN_CORNER of them in the corner"
stop_app

# cornerStop=0, the start-up value: the corner is a place like any other.
settings "[Target]" "mode=0" "[Interval]" "ms=10" "[Repeat]" "untilStopped=1"
start_app
xdotool mousemove 640 500
sleep 0.3
start_hotkey
wait_title "$WIN_RUNNING" 5 || win_fail "the start hotkey did not start a run (caption \"$(title)\")"
sleep 0.2
xdotool mousemove 0 0
sleep 0.2
AT_CORNER=$(clicks)
sleep 0.4
[ "$(title)" = "$WIN_RUNNING" ] || win_fail "with cornerStop=0 the corner stopped the run (caption \"$(title)\")"
[ "$(since "$AT_CORNER" | awk '$1 == 0 && $2 == 0' | wc -l)" -ge 10 ] || win_fail "with cornerStop=0 the run did not go on clicking in the corner"
xdotool key --clearmodifiers ctrl+shift+x
wait_title "$WIN_TITLE" 5 || win_fail "the stop hotkey did not end the run"
stop_app
expect_saved UI cornerStop 0
echo "5. cornerStop=0: the run went on clicking in the corner"

# ---- 6. playback speed: a macro with a click at 0 ms and one at 2000 ms, moves between
{
  printf '\xef\xbb\xbfName=Two clicks 2 s apart\r\nDurationMs=2010\r\n'
  printf 'E=0|0|300|700|-1\r\nE=0|1|300|700|0\r\nE=10|2|300|700|0\r\n'
  for t in 200 400 600 800 1000 1200 1400 1600 1800; do printf 'E=%d|0|%d|700|-1\r\n' $t $((300 + t / 10)); done
  printf 'E=2000|1|500|700|0\r\nE=2010|2|500|700|0\r\n'
} >"$MACROS/speed.qelmac"
# played_gap SPEED EXPECTED_MS: one pass at SPEED; GAP is the time between its two presses.
played_gap() {
  settings "[Target]" "mode=2" "[Repeat]" "untilStopped=0" "count=1" "[Macros]" "selected=0" "speed=$1"
  start_app
  start_hotkey
  wait_presses 2 10
  local at
  at=$(since "$BASE" | cut -d' ' -f1-2 | paste -sd'|')
  [ "$at" = "300 700|500 700" ] || win_fail "speed=$1: presses at $at, expected 300,700 and 500,700"
  GAP=$(since "$BASE" | awk 'NR == 1 {a = $3} NR == 2 {printf "%.1f", $3 - a}')
  between "$GAP" $(($2 - 20)) $(($2 + 20)) || win_fail "speed=$1: the clicks came $GAP ms apart, expected $2 +/- 20"
  stop_app
}
played_gap 200 1000
GAP_200=$GAP
expect_saved Macros speed 200
played_gap 1000 500
GAP_400=$GAP
expect_saved Macros speed 400
echo "6. speed: the 2000 ms between the clicks played in $GAP_200 ms at 200 %, in $GAP_400 ms at 1000 % (held to 400)"

echo "figures: corner stop latency at most ${LAT_TL} ms (top-left), ${LAT_BR} ms (bottom-right)"
echo "PASS windows_options ($(($(date +%s) - T_START)) s)"
