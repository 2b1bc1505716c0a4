#!/usr/bin/env bash
# The Linux edition's options that come from the settings file, driven from outside under
# Xvfb + openbox, each from a file written before the start. The clicks land in a target
# window that covers the whole screen, corners included, and logs every press with the X
# server's time (CLOCK_MONOTONIC milliseconds):
#  1. radius=20 in the coordinates mode: 50 clicks, all within 20 px of the point, spread
#     over the disc;
#  2. jitterMode=1, J=50 on 100 ms: the intervals take many values, all within 50..150;
#  3. jitterMode=2, J=50 on 100 ms: about seven in ten intervals within 100 +/- 25 ms, none
#     outside 50..150;
#  4. a pick hotkey (Shift+Ctrl+P) with the pointer at 640,480: the status line says
#     "Point picked: 640, 480", a run started then clicks there although the pointer has
#     moved on, and the file has x=640, y=480, mode=1 at exit;
#  5. cornerStop=1: the pointer moved into the top-left and the bottom-right corner stops a
#     run until stopped within 50 ms, the status line tells it with the run's own count;
#     3 px away from a corner is no corner; a coordinates run whose own disc reaches a
#     corner is not stopped by the pointer it puts there; cornerStop=0 does not stop;
#  6. speed=200: a macro whose two clicks lie 2000 ms apart plays them 1000 ms apart;
#     speed=1000 is held to 400 (500 ms apart) and saved so.
# The status line is read over the accessibility bus (tests/e2e/atspi_names.py), on a
# session bus of the script's own.
#
#   tests/e2e/linux_options.sh [qel-autoclicker [xtarget]]
# Defaults: build/linux/src/linux/qel-autoclicker, build/linux/tests/e2e/xtarget.
# Environment: E2E_DISPLAY (default 111), E2E_KEEP=1 keeps the temp folder.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
# A session bus of the script's own, which dbus-run-session ends with it; the accessibility
# bus it starts on demand puts its socket in XDG_RUNTIME_DIR, so that is private too.
if [ -z "${QEL_OPTIONS_INNER:-}" ]; then
  RUNTIME=$(mktemp -d /tmp/qel-e2e-options-run.XXXXXX)
  rc=0
  QEL_OPTIONS_INNER=1 XDG_RUNTIME_DIR=$RUNTIME dbus-run-session -- bash "$0" "$@" || rc=$?
  rm -rf "$RUNTIME"
  exit $rc
fi
source "$ROOT/tests/e2e/lib.sh"

e2e_program "${1:-}"
e2e_target "${2:-}"
e2e_tempdir options
T_START=$SECONDS

MAIN_TITLE=$QEL_MAIN_TITLE
RUN_TITLE="  Running... Press Shift+Ctrl+X to stop"
export XDG_CONFIG_HOME=$TMP/config QEL_UPDATE_URL=http://127.0.0.1:9/
mkdir -p "$XDG_CONFIG_HOME"
e2e_use_data "$TMP/appdata"

e2e_start_display "${E2E_DISPLAY:-111}" 1280x1024x24
SCREEN_W=1280 SCREEN_H=1024

# ---- the target: the whole screen, above the window manager's windows, so window points
# are screen points and a press in a corner is seen too
CLICKS=$TMP/clicks.txt
XTARGET_OVERRIDE=1 "$TARGET" "QEL options target" "$CLICKS" 0 0 "$SCREEN_W" "$SCREEN_H" &
e2e_track $!
TARGET_WIN=$(e2e_wait_window "QEL options target" 30) || e2e_fail "the target window did not appear"
[ "$(e2e_window_origin "$TARGET_WIN")" = "0 0" ] || e2e_fail "the target is at $(e2e_window_origin "$TARGET_WIN"), not 0 0"

clicks() { wc -l <"$CLICKS"; }
# The presses after the first $1, as "button x y ms".
since() { tail -n +$(($1 + 1)) "$CLICKS"; }
# The presses since BASE as "X Y MS", the form the shared statistics read.
presses() { since "$BASE" | cut -d' ' -f2-; }
title() { e2e_window_title "$WIN"; }

# settings LINE...: the settings file the next start reads, in the program's CR LF.
settings() { printf '%s\r\n' "$@" >"$SETTINGS"; }
# saved SECTION KEY: the value the program wrote for the key.
saved() { e2e_ini_value "$SETTINGS" "$1" "$2"; }
expect_saved() {
  [ "$(saved "$1" "$2")" = "$3" ] || { cat "$SETTINGS"; e2e_fail "at exit [$1] $2 is \"$(saved "$1" "$2")\", expected $3"; }
}

APP_PID='' WIN='' BASE=0
# start_app NAME [a11y]: the program on the file in place; with "a11y" it also shows its
# widgets on the accessibility bus. BASE is the number of presses logged before it.
start_app() {
  if [ "${2:-}" = a11y ]; then
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$APP" >"$TMP/app-$1.log" 2>&1 &
  else
    "$APP" >"$TMP/app-$1.log" 2>&1 &
  fi
  APP_PID=$!
  e2e_track $APP_PID
  WIN=$(e2e_wait_window "$MAIN_TITLE" 30) || { cat "$TMP/app-$1.log"; e2e_fail "the main window did not appear ($1)"; }
  sleep 0.5
  # The main window goes to the top-right corner, clear of every point the cases click, and
  # the target covers it again: a click on it would be lost to the count (or worse, press
  # one of its buttons).
  xdotool windowmove "$WIN" $((SCREEN_W - 580)) 0
  sleep 0.2
  xdotool windowraise "$TARGET_WIN"
  xdotool mousemove 900 900
  sleep 0.2
  BASE=$(clicks)
}
stop_app() { e2e_stop_app "$APP_PID"; }
# wait_presses N SECONDS: N presses since BASE, then the caption back; no press after them.
wait_presses() {
  for _ in $(seq 1 $(($2 * 10))); do
    [ "$(since "$BASE" | wc -l)" -ge "$1" ] && break
    sleep 0.1
  done
  e2e_wait_title "$WIN" "$MAIN_TITLE" 5 || e2e_fail "the run did not end (caption \"$(title)\")"
  sleep 0.3
  local got
  got=$(since "$BASE" | wc -l)
  [ "$got" -eq "$1" ] || e2e_fail "the run made $got clicks, expected $1"
}
# status_is TEXT: the status line reads TEXT within a few seconds (the program joins the
# accessibility bus a moment after its window appears).
status_is() {
  for _ in $(seq 1 25); do
    python3 "$ROOT/tests/e2e/atspi_names.py" >"$TMP/names.txt" 2>"$TMP/names.err" || true
    grep -qxF "$1" "$TMP/names.txt" && return 0
    sleep 0.2
  done
  cat "$TMP/names.err"
  e2e_fail "the status line never read \"$1\"; the window shows: $(paste -sd'|' "$TMP/names.txt")"
}
# Monotonic milliseconds just before an xdotool call: Xvfb stamps events with the same
# clock, so the target's press times compare with it.
stamp_xdotool() { python3 -c 'import subprocess,sys,time
t=time.clock_gettime(time.CLOCK_MONOTONIC); subprocess.run(["xdotool"]+sys.argv[1:],check=True)
print(int(t*1000))' "$@"; }
start_hotkey() { xdotool key --clearmodifiers ctrl+shift+s; }

# The coordinates cases click around this point, clear of every corner (left single clicks,
# the start-up choice). [Coords] comes last, so a case can add to it.
CX=400 CY=600
COORDS=("[Target]" "mode=1" "[Coords]" "x=$CX" "y=$CY")

# ---- 1. radius 20: 50 clicks in the disc
settings "${COORDS[@]}" "radius=20" "[Interval]" "ms=10" "[Repeat]" "untilStopped=0" "count=50"
start_app radius
start_hotkey
wait_presses 50 10
# Distance from the point (the desktop has no scaling: a drawn pixel is the pixel clicked),
# distinct points and the quarters of the disc that got a click: 50 draws from the disc's
# 1257 pixels all land within 15 px of the centre with a chance of 0.56^50, and leave a
# quarter empty with one of 4 * 0.75^50, both far below one in a million.
read -r MAX2 DISTINCT QUARTERS < <(presses | e2e_disc_stats "$CX" "$CY")
OTHER=$(since "$BASE" | awk '$1 != 1' | wc -l)
MAXD=$(echo "scale=2; sqrt($MAX2)" | bc)
e2e_log "1. radius 20: 50 clicks, farthest ${MAXD} px from the point, $DISTINCT distinct points, $QUARTERS quarters"
[ "$OTHER" -eq 0 ] || e2e_fail "$OTHER of the clicks were not left clicks"
[ "$MAX2" -le 400 ] || e2e_fail "a click landed ${MAXD} px from the point, beyond the radius of 20"
[ "$MAX2" -ge 225 ] || e2e_fail "no click farther than ${MAXD} px out: the disc is not spread to its radius"
[ "$DISTINCT" -ge 20 ] || e2e_fail "only $DISTINCT distinct points in 50 clicks"
[ "$QUARTERS" -eq 4 ] || e2e_fail "the clicks fill only $QUARTERS quarters of the disc"
stop_app
expect_saved Coords radius 20

interval_stats() { presses | e2e_interval_stats; }
# Scheduling slack at the edges of 50..150. An interval is measured from press to press as
# the server stamped them: in whole milliseconds (1 ms either way), and when Xvfb got to the
# fake press, so a press it handled a little late lengthens its interval and shortens the
# next by as much (2 ms short has been seen); a tick that comes late only lengthens, and
# load makes it later (up to 12 ms with a compile beside the test on two cores). So a few
# ms below 50, more above 150.
LOW=$((50 - 5)) HIGH=$((150 + 15))
JITTER=("[Interval]" "ms=100" "jitterEnabled=1" "jitterMs=50")

# ---- 2. jitterMode 1: any whole number of ms in -50..+50
settings "${COORDS[@]}" "${JITTER[@]}" "jitterMode=1" "[Repeat]" "untilStopped=0" "count=101"
start_app uniform
start_hotkey
wait_presses 101 25
read -r N DISTINCT LO HI MEAN _ < <(interval_stats)
e2e_log "2. jitterMode 1: $N intervals, $DISTINCT distinct, $LO..$HI ms, mean $MEAN ms"
[ "$LO" -ge $LOW ] && [ "$HI" -le $HIGH ] || e2e_fail "intervals from $LO to $HI ms, outside 50..150 (slack $LOW..$HIGH)"
[ "$DISTINCT" -ge 30 ] || e2e_fail "only $DISTINCT distinct intervals"
# 100 draws from 101 values reach both outer sixths (the 16 values at each end) but with a
# chance of 2 * (85/101)^100, about 6e-8: a narrower draw fails here.
[ "$LO" -le 65 ] && [ "$HI" -ge 135 ] || e2e_fail "the intervals ($LO..$HI ms) do not reach out to 50 and 150"
# The mean of 100 such draws has a spread of 2.9 ms; a draw of one side only has a mean of
# 75 or 125. Late ticks only lengthen, and load makes them later (a mean of 108.9 ms has
# been seen on a busy machine), so the band leans up.
[ "$(echo "$MEAN >= 85 && $MEAN <= 118" | bc)" = 1 ] || e2e_fail "mean interval $MEAN ms, expected about 100"
stop_app
expect_saved Interval jitterMode 1

# ---- 3. jitterMode 2: normal with sigma 25 ms, drawn again beyond +/-50
# Rounded to whole ms and cut at +/-50, a draw lies within +/-25 with a chance of
# P(|z| <= 1.02) / P(|z| <= 2.02) = 0.692 / 0.957 = 0.72, not the 0.68 of an uncut normal.
# Over 200 intervals the share has a spread of sqrt(0.72 * 0.28 / 200) = 0.032, so
# 0.60..0.85 is four spreads either way (a false failure about once in 10^4 runs); a
# uniform draw (0.50) or sigma = J (0.56) falls below it, sigma = J/4 (0.99) above it.
settings "${COORDS[@]}" "${JITTER[@]}" "jitterMode=2" "[Repeat]" "untilStopped=0" "count=201"
start_app normal
start_hotkey
wait_presses 201 45
read -r N DISTINCT LO HI MEAN WITHIN < <(interval_stats)
e2e_log "3. jitterMode 2: $N intervals, $LO..$HI ms, mean $MEAN ms, share within 100 +/- 25: $WITHIN"
[ "$LO" -ge $LOW ] && [ "$HI" -le $HIGH ] || e2e_fail "intervals from $LO to $HI ms, outside 50..150 (slack $LOW..$HIGH)"
[ "$(echo "$WITHIN >= 0.60 && $WITHIN <= 0.85" | bc)" = 1 ] || e2e_fail "$WITHIN of the intervals within 100 +/- 25 ms, expected 0.60..0.85"
# The cut normal's spread is 22 ms, so the mean of 200 has one of 1.6 ms; folded to one
# side it would be 82.4 or 117.6. Leaning up for late ticks, as above.
[ "$(echo "$MEAN >= 90 && $MEAN <= 112" | bc)" = 1 ] || e2e_fail "mean interval $MEAN ms, expected about 100"
stop_app
expect_saved Interval jitterMode 2

# ---- 4. the pick hotkey: Shift+Ctrl+P (vk 'P' = 80, MOD_CONTROL | MOD_SHIFT = 6), from a
# cursor-mode start with the point at 0,0
settings "[Target]" "mode=0" "[Coords]" "x=0" "y=0" "[Interval]" "ms=10" "[Repeat]" "untilStopped=0" "count=1" \
  "[HotkeyPick]" "vk=80" "mod=6"
start_app pick a11y
status_is "Ready"
xdotool mousemove 640 480
sleep 0.2
xdotool key --clearmodifiers shift+ctrl+p
status_is "Point picked: 640, 480"
# The pick is in force at once: with the pointer elsewhere, a run clicks at the point.
xdotool mousemove 900 900
sleep 0.2
start_hotkey
wait_presses 1 5
AT=$(since "$BASE" | cut -d' ' -f1-3)
[ "$AT" = "1 640 480" ] || e2e_fail "the run after the pick clicked at \"$AT\", expected 640,480"
stop_app
for kv in "Coords x 640" "Coords y 480" "Target mode 1" "HotkeyPick vk 80" "HotkeyPick mod 6"; do
  # shellcheck disable=SC2086
  expect_saved $kv
done
e2e_log "4. pick: status \"Point picked: 640, 480\", the next run clicked there, x=640 y=480 mode=1 saved"

# ---- 5. the corner stop
# corner_stop X Y NAME: with a run until stopped clicking at the pointer, the pointer moved
# to X,Y stops it; the presses in the target tell how soon. LATENCY is the time from the
# move to the last press, in ms.
corner_stop() {
  local base move late last done_count
  xdotool mousemove 640 500
  sleep 0.2
  base=$(clicks)
  start_hotkey
  e2e_wait_title "$WIN" "$RUN_TITLE" 5 || e2e_fail "$3: the start hotkey did not start a run (caption \"$(title)\")"
  sleep 0.4
  move=$(stamp_xdotool mousemove "$1" "$2")
  e2e_wait_title "$WIN" "$MAIN_TITLE" 3 || e2e_fail "$3: the pointer at $1,$2 did not stop the run (caption \"$(title)\")"
  sleep 0.5
  done_count=$(since "$base" | wc -l)
  last=$(since "$base" | tail -n1 | cut -d' ' -f4)
  LATENCY=$((last - move))
  late=$(since "$base" | awk -v t=$((move + 50)) '$4 > t' | wc -l)
  [ "$late" -eq 0 ] || e2e_fail "$3: $late clicks more than 50 ms after the pointer reached $1,$2"
  sleep 0.3
  [ "$(since "$base" | wc -l)" -eq "$done_count" ] || e2e_fail "$3: clicks went on after the stop"
  [ "$done_count" -gt 10 ] || e2e_fail "$3: only $done_count clicks before the stop"
  status_is "Stopped: pointer in a screen corner. Clicks done: $done_count"
  e2e_log "5. $3: stopped; last click $LATENCY ms after the move, $done_count clicks, as the status line counts"
}
settings "[Target]" "mode=0" "[Interval]" "ms=10" "[Repeat]" "untilStopped=1" "[UI]" "cornerStop=1"
start_app corner a11y
# 3 px off the corner on both axes is still the screen: the run goes on there.
xdotool mousemove 640 500
sleep 0.2
start_hotkey
e2e_wait_title "$WIN" "$RUN_TITLE" 5 || e2e_fail "the start hotkey did not start a run (caption \"$(title)\")"
sleep 0.2
xdotool mousemove 3 3
sleep 0.2
NEAR=$(clicks)
sleep 0.3
[ "$(title)" = "$RUN_TITLE" ] || e2e_fail "the pointer 3 px off the corner stopped the run (caption \"$(title)\")"
[ "$(since "$NEAR" | awk '$2 == 3 && $3 == 3' | wc -l)" -ge 10 ] || e2e_fail "the run did not go on clicking at 3,3"
xdotool key --clearmodifiers ctrl+shift+x
e2e_wait_title "$WIN" "$MAIN_TITLE" 5 || e2e_fail "the stop hotkey did not end the run"
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
start_app own-corner a11y
start_hotkey
wait_presses 100 10
IN_CORNER=$(since "$BASE" | awk '$2 <= 2 && $3 <= 2' | wc -l)
[ "$IN_CORNER" -gt 0 ] || e2e_fail "no click of the run landed in the corner: the case shows nothing"
status_is "Completed repeat count. Clicks done: 100"
e2e_log "5. a run with its disc in the corner: all 100 clicks done, $IN_CORNER of them in the corner"
stop_app

# cornerStop=0, the start-up value: the corner is a place like any other.
settings "[Target]" "mode=0" "[Interval]" "ms=10" "[Repeat]" "untilStopped=1"
start_app no-corner
xdotool mousemove 640 500
sleep 0.2
start_hotkey
e2e_wait_title "$WIN" "$RUN_TITLE" 5 || e2e_fail "the start hotkey did not start a run (caption \"$(title)\")"
sleep 0.2
xdotool mousemove 0 0
sleep 0.2
AT_CORNER=$(clicks)
sleep 0.4
[ "$(title)" = "$RUN_TITLE" ] || e2e_fail "with cornerStop=0 the corner stopped the run (caption \"$(title)\")"
[ "$(since "$AT_CORNER" | awk '$2 == 0 && $3 == 0' | wc -l)" -ge 10 ] || e2e_fail "with cornerStop=0 the run did not go on clicking in the corner"
xdotool key --clearmodifiers ctrl+shift+x
e2e_wait_title "$WIN" "$MAIN_TITLE" 5 || e2e_fail "the stop hotkey did not end the run"
stop_app
expect_saved UI cornerStop 0
e2e_log "5. cornerStop=0: the run went on clicking in the corner"

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
  start_app "speed-$1"
  start_hotkey
  wait_presses 2 10
  local at
  at=$(since "$BASE" | cut -d' ' -f1-3 | paste -sd'|')
  [ "$at" = "1 300 700|1 500 700" ] || e2e_fail "speed=$1: presses at $at, expected 300,700 and 500,700"
  GAP=$(since "$BASE" | awk 'NR == 1 {a = $4} NR == 2 {print $4 - a}')
  [ "$GAP" -ge $(($2 - 20)) ] && [ "$GAP" -le $(($2 + 20)) ] || e2e_fail "speed=$1: the clicks came $GAP ms apart, expected $2 +/- 20"
  stop_app
}
played_gap 200 1000
GAP_200=$GAP
expect_saved Macros speed 200
played_gap 1000 500
GAP_400=$GAP
expect_saved Macros speed 400
e2e_log "6. speed: the 2000 ms between the clicks played in $GAP_200 ms at 200 %, in $GAP_400 ms at 1000 % (held to 400)"

e2e_log "figures: corner stop latency ${LAT_TL} ms (top-left), ${LAT_BR} ms (bottom-right)"
echo "PASS linux_options ($((SECONDS - T_START)) s)"
