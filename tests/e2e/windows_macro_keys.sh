#!/bin/bash
# Keys in the Windows edition's macros under Wine + Xvfb, driven from outside with xdotool:
#  1. A macro of keys only ("a" then "b"), played by the start hotkey while the target
#     window has the keyboard: the characters arrive in the target, since the compact
#     window that shows the run does not take the focus.
#  2. Recording with recordKeys=1: "q" and "w" typed during the recording are in the macro
#     as key down/up events; the keys of the start-macros and stop hotkeys are not.
#  3. Recording with recordKeys=0 (the default): the same typing leaves no key events.
#
#   tests/e2e/windows_macro_keys.sh [build dir]    (default: build/windows)
# Environment: see tests/e2e/win/lib.sh.
set -euo pipefail
source "$(dirname "$0")/win/lib.sh"
trap win_cleanup EXIT
win_exe "${1:-}"

win_start_display
win_start_wine
KEYS=$WIN_WORK/keys.txt
TARGET_EXE=$(win_tool win_target)
WIN_CLICKS=$WIN_WORK/clicks.txt
wine "$TARGET_EXE" "$(win_path "$WIN_CLICKS")" 40 120 240 200 "$(win_path "$KEYS")" >"$WIN_WORK/target.log" 2>&1 &
WIN_TARGET_PID=$!
TGT=$(win_find_window "QEL Target" 30) || win_fail "target window did not appear"

DATA="$WIN_WORK/appdata/QEL Auto Clicker"
MACROS="$DATA/Macros"
SETTINGS="$DATA/settings.ini"
mkdir -p "$MACROS"
crlf() { printf '%s\r\n' "$@"; }
wait_title() { e2e_wait_title_match "$WIN" "$1" "$2"; }
focus_target() {
  xdotool mousemove --window "$TGT" 100 100 click 1
  sleep 0.5
}
end_app() {
  win_close_app
  win_wait_app_end 15 || win_fail "the program did not end after its window was closed"
}

# ================= 1. a macro of keys only
printf '\xEF\xBB\xBF' >"$MACROS/ab.qelmac"
crlf "Name=ab" "DurationMs=300" "E=100|3|0|0|65" "E=150|4|0|0|65" "E=250|3|0|0|66" "E=300|4|0|0|66" \
  >>"$MACROS/ab.qelmac"
crlf "[Target]" "mode=2" "[Repeat]" "untilStopped=0" "count=1" "[Macros]" "selected=0" >"$SETTINGS"
win_start_app
focus_target
xdotool key --clearmodifiers shift+ctrl+s
wait_title "^ *Running" 5 || win_fail "the start hotkey did not start the playback: \"$(xdotool getwindowname "$WIN")\""
wait_title "^$WIN_TITLE\$" 10 || win_fail "the playback did not end"
sleep 0.5
GOT=$(tr -d '\r\n' <"$KEYS")
[ "$GOT" = "ab" ] || win_fail "the target got \"$GOT\" from the macro, expected \"ab\""
echo "1. a macro of keys typed \"$GOT\" into the window that had the keyboard"
end_app

# ================= 2. and 3. recording, with and without recordKeys
record() {  # RECORDKEYS: records q, w; sets EVENTS to the macro file's event lines
  rm -f "$MACROS"/*.qelmac
  crlf "[Target]" "mode=2" "[Macros]" "recordKeys=$1" >"$SETTINGS"
  win_start_app
  win_click $((10 + 11 + 20)) $((58 + 127 + 12))   # "Create"
  wait_title "^ *Recording starts in" 5 || win_fail "no countdown after Create"
  if [ "$1" = 1 ]; then
    xdotool getwindowname "$WIN" | grep -q "Keys are recorded too\." ||
      win_fail "the countdown does not say keys are recorded: \"$(xdotool getwindowname "$WIN")\""
  fi
  focus_target
  xdotool key --clearmodifiers shift+ctrl+r
  wait_title "^ *Recording\.\.\. " 5 || win_fail "the recording did not start"
  sleep 0.3
  xdotool key q
  sleep 0.2
  xdotool key w
  sleep 0.3
  xdotool key --clearmodifiers shift+ctrl+x
  wait_title "^$WIN_TITLE\$" 5 || win_fail "the stop hotkey did not end the recording"
  sleep 0.5
  end_app
  local files=("$MACROS"/*.qelmac)
  [ -e "${files[0]}" ] || win_fail "no macro was saved"
  EVENTS=$(tr -d '\r' <"${files[0]}" | sed -n 's/^E=//p')
}
record 1
KEYEV=$(awk -F'|' '$2 == 3 || $2 == 4 {print $2 " " $5}' <<<"$EVENTS" | tr '\n' ',')
[ "$KEYEV" = "3 81,4 81,3 87,4 87," ] || { echo "$EVENTS"; win_fail "recordKeys=1 recorded keys \"$KEYEV\", expected q and w only"; }
echo "2. recordKeys=1: q and w recorded, the hotkeys not"
record 0
KEYEV=$(awk -F'|' '$2 == 3 || $2 == 4' <<<"$EVENTS")
[ -z "$KEYEV" ] || { echo "$EVENTS"; win_fail "recordKeys=0 recorded keys"; }
echo "3. recordKeys=0: no keys recorded"
echo "windows_macro_keys: OK"
