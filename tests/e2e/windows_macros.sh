#!/bin/bash
# The Windows edition's macros under Wine + Xvfb, driven from outside with xdotool only:
#  1. "Macros:", Create, the start-macros hotkey (Shift+Ctrl+R) cuts the countdown short,
#     pointer moves and two left clicks inside a target window, the stop hotkey
#     (Shift+Ctrl+X): a new .qelmac file holds exactly those positions, with the gap the
#     target window measured between the presses.
#  2. Start with "Repeat" 2, nothing selected by hand (the new macro must be): the target
#     gets the two clicks twice at the recorded places, each pass as long as the recording.
#  3. A hostile macro folder (1000 files, one of 50 MB, random bytes, one million events):
#     the program starts, skips what it cannot read and still answers clicks.
#  4. A new recording among older macros, then a restart: the selection restored from the
#     settings is the new recording (Start plays it).
# Wine hands a hotkey to the program only while one of its windows has the keyboard, so
# every key goes to the compact window or to the target window, both Wine windows.
#
#   tests/e2e/windows_macros.sh [build dir]    (default: build/windows)
# Environment: see tests/e2e/win/lib.sh.
set -euo pipefail
source "$(dirname "$0")/win/lib.sh"
trap win_cleanup EXIT
win_exe "${1:-}"

win_start_display
win_start_wine
win_start_target
TGT=$(win_find_window "QEL Target" 5)
win_geometry "$TGT"
TX=$X TY=$Y
echo "target client at $TX,$TY"
win_start_app
MACROS="$WIN_APPDATA/QEL Auto Clicker/Macros"

# The caption of the main window matches the extended regular expression $1 within $2 s.
wait_title() { e2e_wait_title_match "$WIN" "$1" "$2"; }
# The target's presses from line $1 on.
presses_since() { win_clicks | tail -n +$(($1 + 1)); }
move_in_target() {
  xdotool mousemove $((TX + $1)) $((TY + $2))
  sleep 0.15
}

# ================= 1. recording
# shellcheck disable=SC2086
{
  win_click $((10 + 11 + 8)) $((58 + 94 + 8))      # "Macros:"
  win_click $((10 + 11 + 20)) $((58 + 127 + 12))   # "Create"
}
wait_title "^ *Recording starts in" 5 || win_fail "no countdown after Create: \"$(xdotool getwindowname "$WIN")\""
# The pointer rests inside the target when the recording begins: that is the first event.
move_in_target 20 30
xdotool key ctrl+shift+r
wait_title "^ *Recording\.\.\. Press Shift\+Ctrl\+X to stop$" 3 ||
  win_fail "the start-macros hotkey did not start the recording: \"$(xdotool getwindowname "$WIN")\""
BASE=$(win_clicks | wc -l)
PATH_POINTS="40,50 60,70 80,90 100,110"
for p in $PATH_POINTS; do move_in_target "${p%,*}" "${p#*,}"; done
xdotool click 1                  # at 100,110
sleep 0.3
for p in 150,160 200,180; do move_in_target "${p%,*}" "${p#*,}"; done
sleep 0.5
xdotool click 1                  # at 200,180
sleep 0.4
move_in_target 220 190
sleep 0.3
xdotool key ctrl+shift+x          # the target, a Wine window, has the keyboard
wait_title "^$WIN_TITLE\$" 5 || win_fail "the stop hotkey did not end the recording: \"$(xdotool getwindowname "$WIN")\""
sleep 0.3
[ "$(presses_since "$BASE" | wc -l)" -eq 2 ] || win_fail "the target saw $(presses_since "$BASE" | wc -l) presses while recording"

shopt -s nullglob
FILES=("$MACROS"/*.qelmac)
shopt -u nullglob
[ ${#FILES[@]} -eq 1 ] || { ls -la "$MACROS" || true; win_fail "expected one macro file, found ${#FILES[@]}"; }
MAC=${FILES[0]}
echo "macro file: $(basename "$MAC")"
[[ "$(basename "$MAC")" =~ ^[0-9]{4}-[0-9]{2}-[0-9]{2}_[0-9]{2}\.[0-9]{2}\.[0-9]{2}\.qelmac$ ]] ||
  win_fail "macro file name: $(basename "$MAC")"
[ "$(head -c3 "$MAC" | od -An -tx1 | tr -d ' ')" = efbbbf ] || win_fail "the macro file has no UTF-8 byte-order mark"
tr -d '\r' <"$MAC" | sed '1s/^\xef\xbb\xbf//' >"$WIN_WORK/mac.txt"
EVENTS=$WIN_WORK/events.txt
sed -n 's/^E=//p' "$WIN_WORK/mac.txt" | tr '|' ' ' >"$EVENTS"
{
  echo "0 $((TX + 20)) $((TY + 30)) -1"
  for p in $PATH_POINTS; do echo "0 $((TX + ${p%,*})) $((TY + ${p#*,})) -1"; done
  echo "1 $((TX + 100)) $((TY + 110)) 0"
  echo "2 $((TX + 100)) $((TY + 110)) 0"
  for p in 150,160 200,180; do echo "0 $((TX + ${p%,*})) $((TY + ${p#*,})) -1"; done
  echo "1 $((TX + 200)) $((TY + 180)) 0"
  echo "2 $((TX + 200)) $((TY + 180)) 0"
  echo "0 $((TX + 220)) $((TY + 190)) -1"
} >"$WIN_WORK/expected.txt"
cut -d' ' -f2- "$EVENTS" | diff "$WIN_WORK/expected.txt" - >"$WIN_WORK/diff.txt" ||
  { cat "$WIN_WORK/mac.txt" "$WIN_WORK/diff.txt"; win_fail "the recorded events differ from what was done"; }
sort -n -c -k1,1 "$EVENTS" 2>/dev/null || win_fail "event times decrease: $(cut -d' ' -f1 "$EVENTS" | tr '\n' ' ')"
DUR=$(sed -n 's/^DurationMs=//p' "$WIN_WORK/mac.txt")
LAST=$(tail -n1 "$EVENTS" | cut -d' ' -f1)
[ "$DUR" = "$LAST" ] || win_fail "DurationMs=$DUR, last event at $LAST"
REC_GAP=$(awk '$2 == 1 {d[n++] = $1} END {print d[1] - d[0]}' "$EVENTS")
SEEN_GAP=$(presses_since "$BASE" | awk '{t[n++] = $3} END {printf "%.0f", t[1] - t[0]}')
echo "recorded: $(wc -l <"$EVENTS") events, $DUR ms; press gap $REC_GAP ms (target saw $SEEN_GAP ms)"
[ $((REC_GAP - SEEN_GAP)) -le 20 ] && [ $((SEEN_GAP - REC_GAP)) -le 20 ] ||
  win_fail "the recorded gap between the presses ($REC_GAP ms) is not the one seen ($SEEN_GAP ms)"
NAME=$(sed -n 's/^Name=//p' "$WIN_WORK/mac.txt")
[[ "$NAME" =~ ^[0-9-]{10}\ [0-9.]{8}\ \([0-9]+[.,][0-9]s\)$ ]] || win_fail "macro name: \"$NAME\""

# ================= 2. playback, twice, of the macro the recording selected
# shellcheck disable=SC2086
{
  win_click $WIN_REPEAT_COUNT
  win_set_field $WIN_REPEAT 2
}
BASE=$(win_clicks | wc -l)
# shellcheck disable=SC2086
xdotool mousemove $((OX + ${WIN_START% *})) $((OY + ${WIN_START#* })) click 1
for _ in $(seq 1 $((DUR / 100 * 2 + 80))); do
  [ "$(presses_since "$BASE" | wc -l)" -ge 4 ] && break
  sleep 0.1
done
wait_title "^$WIN_TITLE\$" 5 || win_fail "the caption did not come back after playback"
sleep 0.5
presses_since "$BASE" >"$WIN_WORK/played.txt"
COUNT=$(wc -l <"$WIN_WORK/played.txt")
[ "$COUNT" -eq 4 ] || { cat "$WIN_WORK/played.txt"; win_fail "playback: the target got $COUNT presses, expected 4"; }
A="$((TX + 100)) $((TY + 110))" B="$((TX + 200)) $((TY + 180))"
WANT="$A|$B|$A|$B"
GOT=$(cut -d' ' -f1-2 "$WIN_WORK/played.txt" | paste -sd'|')
[ "$GOT" = "$WANT" ] || win_fail "playback presses at $GOT, expected $WANT"
read -r P1 P2 P3 P4 < <(cut -d' ' -f3 "$WIN_WORK/played.txt" | paste -sd' ')
PASS=$(echo "$P3 - $P1" | bc)
GAP1=$(echo "$P2 - $P1" | bc)
GAP2=$(echo "$P4 - $P3" | bc)
echo "playback: 4 presses at the recorded places; pass $PASS ms (recording $DUR ms), press gaps $GAP1 / $GAP2 ms (recorded $REC_GAP)"
within5() { [ "$(echo "d = $1 - $2; if (d < 0) d = -d; 100 * d <= 5 * $2" | bc)" = 1 ]; }
within5 "$PASS" "$DUR" || win_fail "a pass took $PASS ms, the recording $DUR ms"
within5 "$GAP1" "$REC_GAP" && within5 "$GAP2" "$REC_GAP" || win_fail "the gaps between the presses were not kept"

win_close_app
win_wait_app_end 10 || win_fail "the program did not end after its window was closed"
# ================= 3. a hostile macro folder (see hostile_macros.py): 996 of its 1000
# files load, so a stored selection of 995 is kept and one of 996 falls back to the first
# line; the program starts and still answers a click on a radio button.
rm -f "$MACROS"/*.qelmac
python3 "$WIN_ROOT/tests/e2e/hostile_macros.py" "$MACROS"
SETTINGS="$WIN_APPDATA/QEL Auto Clicker/settings.ini"
for sel in 996 995; do
  printf '[Target]\r\nmode=0\r\n[Macros]\r\nselected=%d\r\n' "$sel" >"$SETTINGS"
  T0=$(date +%s%N)
  win_start_app
  echo "start-up with the hostile folder: the window after $((($(date +%s%N) - T0) / 1000000)) ms (1 s of it the script's own pause)"
  # shellcheck disable=SC2086
  {
    win_click $((10 + 11 + 8)) $((58 + 94 + 8))      # "Macros:" enables Create
    win_click $((10 + 11 + 20)) $((58 + 127 + 12))   # "Create" shows the countdown
  }
  wait_title "^ *Recording starts in" 5 ||
    win_fail "the program does not answer with the hostile folder: \"$(xdotool getwindowname "$WIN")\""
  win_close_app
  win_wait_app_end 10 || win_fail "the program did not end after its window was closed"
  SAVED=$(tr -d '\r' <"$SETTINGS" | sed -n '/^\[Macros\]/,/^\[/s/^selected=//p')
  WANT=$([ "$sel" = 996 ] && echo 0 || echo 995)
  [ "$SAVED" = "$WANT" ] || win_fail "stored selection $sel came back as $SAVED, expected $WANT (996 readable macros)"
done
echo "996 of 1000 files loaded, the unreadable ones skipped; the program stayed responsive"

# ================= 4. the selection survives a restart: a new recording among older macros
# takes the place the next start will give it (files sorted by name), so the stored
# position finds it again. Start after the restart plays it: its one move tells which.
rm -f "$MACROS"/*.qelmac
one_move() { printf '\xef\xbb\xbfName=%s\r\nDurationMs=0\r\nE=0|0|%s|-1\r\n' "$2" "$3" >"$MACROS/$1"; }
one_move 2025-01-10_09.00.00.qelmac January "101|101"
one_move Work.qelmac Work "202|202"
printf '[Target]\r\nmode=2\r\n[Repeat]\r\nuntilStopped=0\r\ncount=1\r\n[Macros]\r\nselected=0\r\n' >"$SETTINGS"
win_start_app
win_click $((10 + 11 + 20)) $((58 + 127 + 12))   # "Create"
wait_title "^ *Recording starts in" 5 || win_fail "no countdown after Create"
xdotool mousemove 303 303
sleep 0.3
xdotool key ctrl+shift+r
wait_title "^ *Recording\.\.\." 3 || win_fail "the start-macros hotkey did not start the recording"
xdotool key ctrl+shift+x
wait_title "^$WIN_TITLE\$" 5 || win_fail "the stop hotkey did not end the recording"
win_close_app
win_wait_app_end 10 || win_fail "the program did not end after its window was closed"
SAVED=$(tr -d '\r' <"$SETTINGS" | sed -n '/^\[Macros\]/,/^\[/s/^selected=//p')
win_start_app
# shellcheck disable=SC2086
xdotool mousemove $((OX + ${WIN_START% *})) $((OY + ${WIN_START#* })) click 1
wait_title "^$WIN_TITLE\$" 5 || win_fail "playback did not end"
sleep 0.3
AT=$(xdotool getmouselocation | sed 's/x:\([0-9]*\) y:\([0-9]*\).*/\1,\2/')
echo "a new recording among [January, Work]: stored selected=$SAVED; after a restart Start moved the pointer to $AT"
[ "$AT" = "303,303" ] || win_fail "after a restart the selection is not the new recording (its move is to 303,303)"
win_close_app
win_wait_app_end 10 || win_fail "the program did not end after its window was closed"

echo "PASS"
