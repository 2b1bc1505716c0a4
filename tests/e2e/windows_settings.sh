#!/bin/bash
# The Windows edition's settings file under Wine + Xvfb:
#  1. a hand-made file (upper-case names, out-of-range and hexadecimal values, both window
#     options on, foreign lines and a foreign section) is loaded and written back at exit:
#     clamped values, only "minimise to tray" left on, every foreign line still there
#     (the system's profile writer lays the file out its own way: values and lines are
#     checked, not bytes);
#  2. bad files (random bytes, 10 MB, a 5000-character value): the main window appears
#     within seconds, the program ends cleanly and writes its start-up values where the
#     file had nothing readable;
#  3. text typed into the spin edits (letters, a minus sign, a number beyond the range,
#     leading zeros) is saved as the number the field settled on when it was left.
#
#   tests/e2e/windows_settings.sh [build dir]    (default: build/windows)
# Environment: QEL_E2E_DISPLAY (default 98), WINEPREFIX (default /tmp/wine-hk).
set -euo pipefail
export QEL_E2E_DISPLAY=${QEL_E2E_DISPLAY:-98}
export WINEPREFIX=${WINEPREFIX:-/tmp/wine-hk}
source "$(dirname "$0")/win/lib.sh"
trap win_cleanup EXIT
win_exe "${1:-}"
T_START=$(date +%s)

win_start_display
win_start_wine
INI_DIR=$WIN_WORK/appdata/"QEL Auto Clicker"
INI=$INI_DIR/settings.ini
mkdir -p "$INI_DIR"
crlf() { printf '%s\r\n' "$@"; }

# run_app NAME: starts the program on the file in place, requires its window within 15 s,
# closes it and requires a clean end.
run_app() {
  local t0 took
  t0=$(date +%s)
  win_start_app >/dev/null
  took=$(($(date +%s) - t0))
  [ "$took" -le 15 ] || win_fail "$1: the main window took $took s"
  sleep 0.5
  win_close_app
  win_wait_app_end 20 || win_fail "$1: the program did not end after its window was closed"
  wait "$WIN_APP_PID" || win_fail "$1: the program did not end cleanly"
  echo "$1: window after $took s, ended cleanly"
}
# has_line TEXT: the file holds the line (key names compared without case, as the
# system's profile functions do; spaces around "=" ignored).
has_line() {
  local key=${1%%=*} value=${1#*=}
  grep -qiE "^ *${key} *= *${value}\$" <(tr -d '\r' <"$INI")  # not a pipe: grep -q stops early
}
has_exact() { tr -d '\r' <"$INI" | grep -qxF "$1"; }

# ---- 1. a hand-made file, loaded and written back
crlf "; my own notes" "[TARGET]" "MODE=1" "" "[interval]" "MS=5000" "h=-3" "m=\$1E" "s=abc" \
  "[Repeat]" "untilStopped=0" "count=0" "[UI]" "topMost=1" "minimizeOnStart=1" \
  "[Coords]" "x=0x20" "y=200000" "[HotkeyStop]" "VK=65" "MOD=8" "[Mine]" "keep = me" >"$INI"
run_app "hand-made file"
for line in "mode=1" "ms=999" "h=0" "m=30" "s=0" "untilStopped=0" "count=1" "topMost=0" \
  "minimizeOnStart=1" "x=32" "y=100000" "vk=65" "mod=8" "keep=me" "jitterMs=0" "holdMs=80" \
  "startDelayS=0" "selected=-1" "recordKeys=0" "recordWheel=0"; do
  has_line "$line" || { cat -A "$INI"; win_fail "after loading and saving, no line \"$line\""; }
done
has_exact "; my own notes" || { cat -A "$INI"; win_fail "the comment line was lost"; }
for section in Target Interval Repeat Click UI Delay HotkeyStart HotkeyStop HotkeyStartMacros Coords Macros Mine; do
  [ "$(tr -d '\r' <"$INI" | grep -ciE "^\[$section\]\$")" -eq 1 ] ||
    { cat "$INI"; win_fail "section [$section] is not there exactly once"; }
done
echo "hand-made file: values clamped and parsed, foreign lines kept"

# ---- 2. bad files
# Random bytes, the same every run.
head -c 65536 /dev/zero | openssl enc -aes-128-ctr -nosalt -pbkdf2 -pass pass:qel-settings 2>/dev/null >"$INI"
[ "$(stat -c %s "$INI")" -eq 65536 ] || win_fail "could not make the random file"
run_app "random bytes"
for line in "ms=100" "count=100" "untilStopped=1" "mode=0"; do
  has_line "$line" || win_fail "random bytes: no start-up value \"$line\" written"
done

# 10 MB of foreign lines, a readable value at the end.
{
  crlf "[Filler]"
  awk 'BEGIN { pad = sprintf("%090d", 0); for (i = 0; i < 105000; i++) printf "key%06d=%s\r\n", i, pad }'
  crlf "[Repeat]" "untilStopped=0" "count=7"
} >"$INI"
[ "$(stat -c %s "$INI")" -ge 10000000 ] || win_fail "the big file is too small"
run_app "10 MB file"
has_line "count=7" || win_fail "10 MB file: the value at its end was not read"
has_line "key104999=0+" || win_fail "10 MB file: its last foreign line was lost"

# A 5000-character value where a number belongs, and one in a foreign key.
LONG=$(printf '9%.0s' $(seq 5000))
crlf "[Interval]" "ms=$LONG" "[Repeat]" "count=42" "[Mine]" "long=$(printf 'x%.0s' $(seq 5000))" >"$INI"
run_app "5000-character value"
has_line "ms=100" || win_fail "5000-character value: \"ms\" is not back at its start-up value"
has_line "count=42" || win_fail "5000-character value: the next section was not read"

# ---- 3. typed text in the spin edits: whatever is typed stays until the field is left, then
# the field shows the number its text reads as, kept in range, or its minimum
crlf "[Target]" "mode=1" "[Repeat]" "untilStopped=0" "count=100" >"$INI"
win_start_app >/dev/null
win_set_field $WIN_COORD_X "abc"
win_set_field $WIN_COORD_Y " -40"  # (a blank first: xdotool would take "-40" for an option)
win_set_field $WIN_MILLIS "99999"
win_set_field $WIN_REPEAT "007"
win_set_field $WIN_DELAY "12x"
win_click $WIN_COORD_X  # leaves the last field
sleep 0.3
win_close_app
win_wait_app_end 20 || win_fail "typed fields: the program did not end after its window was closed"
wait "$WIN_APP_PID" || win_fail "typed fields: the program did not end cleanly"
for line in "x=0" "y=0" "ms=999" "count=7" "startDelayS=0"; do
  has_line "$line" || { cat -A "$INI"; win_fail "typed fields: no line \"$line\""; }
done
echo "typed fields: letters, a sign, a number beyond the range and leading zeros settled"

echo "PASS windows_settings ($(($(date +%s) - T_START)) s)"
