#!/usr/bin/env bash
# The Linux edition's macros, driven from outside under Xvfb + openbox:
#  1. "Macros:", Create, the start-macros hotkey (Shift+Ctrl+R) cuts the countdown short,
#     a few pointer moves and two left clicks inside a target window, the stop hotkey
#     (Shift+Ctrl+X): a new .qelmac file holds exactly those positions, with the gaps the
#     target window saw between the presses.
#  2. Start with "Repeat" 2, nothing selected by hand (the new macro must be): the target
#     gets the two clicks twice at the recorded places, each pass as long as the recording.
#  3. A hostile macro folder (1000 files, one of 50 MB, random bytes, one million events):
#     the program starts, skips what it cannot read and still answers clicks.
#
#   tests/e2e/linux_macros.sh [qel-autoclicker [xtarget]]
# Defaults: build/linux/src/linux/qel-autoclicker, build/linux/tests/e2e/xtarget.
# Environment: E2E_DISPLAY (default 99), E2E_KEEP=1 keeps the temp folder.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/tests/e2e/lib.sh"

e2e_program "${1:-}"
e2e_target "${2:-}"

e2e_tempdir macros

MAIN_TITLE=$QEL_MAIN_TITLE
REC_TITLE="Recording\.\.\. Press Shift\+Ctrl\+X to stop"
e2e_start_display "${E2E_DISPLAY:-99}" 1280x1024x24

CLICKS=$TMP/clicks.txt
"$TARGET" "QEL macro target" "$CLICKS" 700 120 300 300 &
e2e_track $!
TARGET_WIN=$(e2e_wait_window "QEL macro target" 30) || e2e_fail "the target window did not appear"
read -r TX TY < <(e2e_window_origin "$TARGET_WIN")
e2e_log "target window at $TX,$TY"

export APPDATA=$TMP/appdata XDG_CONFIG_HOME=$TMP/config QEL_UPDATE_URL=http://127.0.0.1:9/
mkdir -p "$APPDATA" "$XDG_CONFIG_HOME"
MACROS="$APPDATA/QEL Auto Clicker/Macros"

# start_app LOG: starts the program and sets APP_PID and WIN.
start_app() {
  "$APP" >"$1" 2>&1 &
  APP_PID=$!
  e2e_track $APP_PID
  WIN=$(e2e_wait_window "$MAIN_TITLE" 30) || { cat "$1"; e2e_fail "the main window did not appear"; }
}
# stop_app: Alt+F4, and the program must end by itself.
stop_app() {
  xdotool windowactivate --sync "$WIN" 2>/dev/null || true
  xdotool key --clearmodifiers alt+F4
  for _ in $(seq 1 100); do
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$APP_PID" 2>/dev/null && e2e_fail "the program did not end after Alt+F4"
  local rc=0
  wait "$APP_PID" || rc=$?
  [ $rc -eq 0 ] || e2e_fail "the program exited with $rc"
}
click_at() { xdotool mousemove --window "$WIN" "$1" "$2" click 1; sleep 0.15; }
type_into() {
  click_at "$1" "$2"
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 20 "$3"
  xdotool key Tab
  sleep 0.1
}
wait_title() { e2e_wait_title_match "$WIN" "$1" "$2"; }  # REGEX SECONDS

# ================= 1. recording
T0=$(date +%s%N)
start_app "$TMP/app1.log"
e2e_log "start-up with an empty macro folder: the window after $((($(date +%s%N) - T0) / 1000000)) ms"
sleep 0.5
xdotool windowactivate --sync "$WIN" 2>/dev/null || true
click_at $QEL_AT_MACROS                  # "Macros:"
click_at $QEL_AT_CREATE                  # "Create"
wait_title "^ *Recording starts in" 5 || e2e_fail "no countdown after Create: \"$(e2e_window_title "$WIN")\""
# The pointer rests inside the target when the recording begins: that is the first event.
xdotool mousemove $((TX + 20)) $((TY + 30))
sleep 0.3
xdotool key --clearmodifiers shift+ctrl+r
wait_title "^ *$REC_TITLE\$" 3 || e2e_fail "the start-macros hotkey did not start the recording: \"$(e2e_window_title "$WIN")\""
# The target keeps its log open, so presses are counted from a line onwards, not truncated.
presses_since() { tail -n +$(($1 + 1)) "$CLICKS"; }
BASE=$(wc -l <"$CLICKS")
# Moves and clicks, as window-relative points of the target.
PATH_POINTS="40,50 60,70 80,90 100,110"
for p in $PATH_POINTS; do
  xdotool mousemove $((TX + ${p%,*})) $((TY + ${p#*,}))
  sleep 0.1
done
xdotool click 1                  # at 100,110
sleep 0.3
for p in 150,160 200,210; do
  xdotool mousemove $((TX + ${p%,*})) $((TY + ${p#*,}))
  sleep 0.1
done
sleep 0.5
xdotool click 1                  # at 200,210
sleep 0.4
xdotool mousemove $((TX + 250)) $((TY + 250))
sleep 0.3
xdotool key --clearmodifiers shift+ctrl+x
wait_title "^$MAIN_TITLE\$" 5 || e2e_fail "the stop hotkey did not end the recording"
sleep 0.3
[ "$(presses_since "$BASE" | wc -l)" -eq 2 ] || e2e_fail "the target saw $(presses_since "$BASE" | wc -l) presses while recording, expected 2"

shopt -s nullglob
FILES=("$MACROS"/*.qelmac)
shopt -u nullglob
[ ${#FILES[@]} -eq 1 ] || { ls -la "$MACROS"; e2e_fail "expected one macro file, found ${#FILES[@]}"; }
MAC=${FILES[0]}
e2e_log "macro file: $(basename "$MAC")"
[[ "$(basename "$MAC")" =~ ^[0-9]{4}-[0-9]{2}-[0-9]{2}_[0-9]{2}\.[0-9]{2}\.[0-9]{2}\.qelmac$ ]] ||
  e2e_fail "macro file name: $(basename "$MAC")"
[ "$(head -c3 "$MAC" | od -An -tx1 | tr -d ' ')" = efbbbf ] || e2e_fail "the macro file has no UTF-8 byte-order mark"
tr -d '\r' <"$MAC" | sed '1s/^\xef\xbb\xbf//' >"$TMP/mac.txt"
EVENTS=$TMP/events.txt
sed -n 's/^E=//p' "$TMP/mac.txt" | tr '|' ' ' >"$EVENTS"
# The expected sequence in screen pixels: kind x y button.
{
  echo "0 $((TX + 20)) $((TY + 30)) -1"
  for p in $PATH_POINTS; do echo "0 $((TX + ${p%,*})) $((TY + ${p#*,})) -1"; done
  echo "1 $((TX + 100)) $((TY + 110)) 0"
  echo "2 $((TX + 100)) $((TY + 110)) 0"
  for p in 150,160 200,210; do echo "0 $((TX + ${p%,*})) $((TY + ${p#*,})) -1"; done
  echo "1 $((TX + 200)) $((TY + 210)) 0"
  echo "2 $((TX + 200)) $((TY + 210)) 0"
  echo "0 $((TX + 250)) $((TY + 250)) -1"
} >"$TMP/expected.txt"
cut -d' ' -f2- "$EVENTS" | diff "$TMP/expected.txt" - >"$TMP/diff.txt" ||
  { cat "$TMP/mac.txt"; cat "$TMP/diff.txt"; e2e_fail "the recorded events differ from what was done"; }
# Times: from the start, never decreasing; the duration is the last event's time; the gap
# between the presses is the one the target window saw (server time), within 15 ms.
sort -n -c -k1,1 "$EVENTS" 2>/dev/null || e2e_fail "event times decrease: $(cut -d' ' -f1 "$EVENTS" | tr '\n' ' ')"
DUR=$(sed -n 's/^DurationMs=//p' "$TMP/mac.txt")
LAST=$(tail -n1 "$EVENTS" | cut -d' ' -f1)
[ "$DUR" = "$LAST" ] || e2e_fail "DurationMs=$DUR, last event at $LAST"
REC_GAP=$(awk '$2 == 1 {d[n++] = $1} END {print d[1] - d[0]}' "$EVENTS")
SEEN_GAP=$(presses_since "$BASE" | awk '{t[n++] = $4} END {print t[1] - t[0]}')
e2e_log "recorded: $(wc -l <"$EVENTS") events, ${DUR} ms; press gap ${REC_GAP} ms (target saw ${SEEN_GAP} ms)"
[ $((REC_GAP - SEEN_GAP)) -le 15 ] && [ $((SEEN_GAP - REC_GAP)) -le 15 ] ||
  e2e_fail "the recorded gap between the presses ($REC_GAP ms) is not the one seen ($SEEN_GAP ms)"
NAME=$(sed -n 's/^Name=//p' "$TMP/mac.txt")
[[ "$NAME" =~ ^[0-9-]{10}\ [0-9.]{8}\ \([0-9]+[.,][0-9]s\)$ ]] || e2e_fail "macro name: \"$NAME\""

# ================= 2. playback, twice, of the macro the recording selected
xdotool mousemove --window "$WIN" 300 360
sleep 0.2
click_at $QEL_AT_REPEAT_COUNT                 # "Repeat" (count)
type_into 410 359 2
BASE=$(wc -l <"$CLICKS")
click_at $QEL_AT_START                   # Start
for _ in $(seq 1 $((DUR / 100 * 2 + 50))); do
  [ "$(presses_since "$BASE" | wc -l)" -ge 4 ] && [ "$(e2e_window_title "$WIN")" = "$MAIN_TITLE" ] && break
  sleep 0.1
done
sleep 0.5
presses_since "$BASE" >"$TMP/played.txt"
COUNT=$(wc -l <"$TMP/played.txt")
[ "$COUNT" -eq 4 ] || { cat "$TMP/played.txt"; e2e_fail "playback: the target got $COUNT presses, expected 4"; }
WANT="1 100 110|1 200 210|1 100 110|1 200 210"
GOT=$(cut -d' ' -f1-3 "$TMP/played.txt" | paste -sd'|')
[ "$GOT" = "$WANT" ] || e2e_fail "playback presses at $GOT, expected $WANT"
read -r P1 P2 P3 P4 < <(cut -d' ' -f4 "$TMP/played.txt" | paste -sd' ')
PASS=$((P3 - P1))
e2e_log "playback: 4 presses at the recorded places; pass ${PASS} ms (recording ${DUR} ms), press gaps $((P2 - P1)) / $((P4 - P3)) ms (recorded ${REC_GAP})"
within5() { [ $((100 * ($1 - $2))) -le $((5 * $2)) ] && [ $((100 * ($2 - $1))) -le $((5 * $2)) ]; }
within5 "$PASS" "$DUR" || e2e_fail "a pass took $PASS ms, the recording $DUR ms"
within5 $((P2 - P1)) "$REC_GAP" && within5 $((P4 - P3)) "$REC_GAP" || e2e_fail "the gaps between the presses were not kept"
wait_title "^$MAIN_TITLE\$" 3 || e2e_fail "the caption did not come back after playback"
stop_app

# ================= 3. a hostile macro folder
# 994 small macros, one of about 50 MB in long lines, one of a million events, and four
# of random bytes that are not UTF-8 (skipped), plus things beside the macros that must
# be ignored. 996 macros load, so the stored selection 995 is kept and 996 is not.
export APPDATA=$TMP/hostile
MACROS="$APPDATA/QEL Auto Clicker/Macros"
mkdir -p "$MACROS/sub"
T0=$(date +%s%N)
python3 "$ROOT/tests/e2e/hostile_macros.py" "$MACROS"
e2e_log "hostile folder written in $((($(date +%s%N) - T0) / 1000000)) ms: $(find "$MACROS" -maxdepth 1 -name '*.qelmac' | wc -l) files, $(du -sm "$MACROS" | cut -f1) MB"
SETTINGS="$APPDATA/QEL Auto Clicker/settings.ini"
for sel in 996 995; do
  printf '[Target]\r\nmode=0\r\n[Macros]\r\nselected=%d\r\n' "$sel" >"$SETTINGS"
  T0=$(date +%s%N)
  start_app "$TMP/app-hostile-$sel.log"
  STARTUP=$((($(date +%s%N) - T0) / 1000000))
  e2e_log "start-up with the hostile folder: the window after $STARTUP ms"
  sleep 0.3
  xdotool windowactivate --sync "$WIN" 2>/dev/null || true
  click_at $QEL_AT_MACROS                # "Macros:" enables Create
  click_at $QEL_AT_CREATE                # "Create" shows the countdown
  wait_title "^ *Recording starts in" 5 ||
    e2e_fail "the program does not answer with the hostile folder: \"$(e2e_window_title "$WIN")\""
  stop_app
  SAVED=$(tr -d '\r' <"$SETTINGS" | sed -n '/^\[Macros\]/,/^\[/s/^selected=//p')
  WANT=$([ "$sel" = 996 ] && echo 0 || echo 995)
  [ "$SAVED" = "$WANT" ] || e2e_fail "stored selection $sel came back as $SAVED, expected $WANT (996 readable macros)"
done
e2e_log "996 of 1000 files loaded, the unreadable ones skipped; the program stayed responsive"
rm -rf "$APPDATA"

echo "PASS linux_macros"
