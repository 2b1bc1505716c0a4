#!/usr/bin/env bash
# The Linux edition's settings file, driven from outside under Xvfb + openbox:
#  1. first start without a file: closing writes all 34 keys, in order, with the start-up
#     values;
#  2. a hand-made file (upper-case names, out-of-range and hexadecimal values, both window
#     options on, foreign lines) is loaded and written back: clamped values, only
#     "minimise to tray" left on, foreign lines and the file's own spelling kept;
#  3. a read-only file: closing shows an error box, the program still ends, the file keeps
#     its contents;
#  4. bad files (random bytes, 10 MB, a 5000-character value): the main window appears
#     within seconds, the program ends cleanly and writes its start-up values where the
#     file had nothing readable.
#
#   tests/e2e/linux_settings.sh [qel-autoclicker]
# Default: build/linux/src/linux/qel-autoclicker. Environment: E2E_DISPLAY (default 93),
# E2E_KEEP=1 keeps the temp folder.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/tests/e2e/lib.sh"

e2e_program "${1:-}"

e2e_tempdir settings

MAIN_TITLE=$QEL_MAIN_TITLE
export APPDATA=$TMP/appdata XDG_CONFIG_HOME=$TMP/config QEL_UPDATE_URL=http://127.0.0.1:9/
mkdir -p "$APPDATA" "$XDG_CONFIG_HOME"
SETTINGS="$APPDATA/QEL Auto Clicker/settings.ini"

e2e_start_display "${E2E_DISPLAY:-93}" 1280x1024x24

APP_PID=
WIN=
start_app() {
  "$APP" >"$TMP/app-$1.log" 2>&1 &
  APP_PID=$!
  e2e_track $APP_PID
  WIN=$(e2e_wait_window "$MAIN_TITLE" 30) || { cat "$TMP/app-$1.log"; e2e_fail "the main window did not appear ($1)"; }
  sleep 0.5
}
# SIGTERM closes the window as a close does (the settings are saved), then waits.
stop_app() {
  kill -TERM "$APP_PID"
  for _ in $(seq 1 100); do
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$APP_PID" 2>/dev/null && e2e_fail "the program did not end"
  wait "$APP_PID"
}
crlf() { printf '%s\r\n' "$@"; }

# ---- 1. first start
start_app first
[ -d "$APPDATA/QEL Auto Clicker" ] || e2e_fail "the data folder was not created at start"
[ -e "$SETTINGS" ] && e2e_fail "a settings file exists before the first close"
stop_app || e2e_fail "the program exited with $?"
crlf "[Target]" "mode=0" "" \
  "[Interval]" "h=0" "m=0" "s=0" "ms=100" "jitterEnabled=0" "jitterMs=0" "jitterMode=0" "" \
  "[Repeat]" "untilStopped=1" "count=100" "" \
  "[Click]" "button=0" "type=0" "holdMs=80" "" \
  "[UI]" "topMost=0" "minimizeOnStart=0" "cornerStop=0" "" \
  "[Delay]" "startDelayS=0" "" \
  "[HotkeyStart]" "vk=83" "mod=6" "toggle=0" "hold=0" "" \
  "[HotkeyStop]" "vk=88" "mod=6" "" \
  "[HotkeyStartMacros]" "vk=82" "mod=6" "" \
  "[HotkeyPick]" "vk=0" "mod=0" "" \
  "[Coords]" "x=0" "y=0" "radius=0" "" \
  "[Macros]" "selected=-1" "recordKeys=0" "recordWheel=0" "speed=100" >"$TMP/first.expected"
cmp -s "$SETTINGS" "$TMP/first.expected" || { diff "$SETTINGS" "$TMP/first.expected"; e2e_fail "first-start file differs"; }
e2e_log "first start: 34 keys written in order"

# ---- 2. a hand-made file, loaded and written back
crlf "; my own notes" "[TARGET]" "MODE=1" "" "[interval]" "MS=5000" "h=-3" "m=\$1E" "s=abc" \
  "[Repeat]" "untilStopped=0" "count=0" "[UI]" "topMost=1" "minimizeOnStart=1" \
  "[Coords]" "x=0x20" "y=200000" "[HotkeyStop]" "VK=65" "MOD=8" "[Mine]" "keep = me" >"$SETTINGS"
start_app handmade
xprop -id "$WIN" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE && e2e_fail "the window is on top although minimise-to-tray won"
stop_app || e2e_fail "the program exited with $?"
for line in "; my own notes" "[TARGET]" "MODE=1" "MS=999" "h=0" "m=30" "s=0" "untilStopped=0" "count=1" \
  "topMost=0" "minimizeOnStart=1" "x=32" "y=100000" "VK=65" "MOD=8" "[Mine]" "keep = me" "jitterMs=0"; do
  grep -qxF "$line"$'\r' "$SETTINGS" || { cat -A "$SETTINGS"; e2e_fail "after loading and saving, no line \"$line\""; }
done
[ "$(grep -c '^\[' "$SETTINGS")" -eq 13 ] || { cat "$SETTINGS"; e2e_fail "expected 12 sections and [Mine]"; }
e2e_log "hand-made file: values clamped and parsed, foreign lines kept"

# ---- 3. a read-only file: one error box at exit, the file unchanged
cp "$SETTINGS" "$TMP/before.ini"
chmod 444 "$SETTINGS"
start_app readonly
kill -TERM "$APP_PID"
BOX=
for _ in $(seq 1 100); do
  BOX=$(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | grep -vx "$WIN" | head -n1) || true
  [ -n "$BOX" ] && break
  kill -0 "$APP_PID" 2>/dev/null || break
  sleep 0.1
done
[ -n "$BOX" ] || e2e_fail "no error box when the settings could not be written"
e2e_log "error box $BOX: $(e2e_window_title "$BOX")"
e2e_screenshot "$TMP/readonly-error.png"
xdotool windowactivate --sync "$BOX" 2>/dev/null || true
xdotool key --clearmodifiers Return
for _ in $(seq 1 100); do
  kill -0 "$APP_PID" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$APP_PID" 2>/dev/null && e2e_fail "the program did not end after the error box"
wait "$APP_PID" || true  # how it ends is not the point here, only that it does
cmp -s "$SETTINGS" "$TMP/before.ini" || e2e_fail "the read-only file was changed"
e2e_log "read-only file: error shown, program ended, file unchanged"

# ---- 4. bad files
chmod 644 "$SETTINGS"
# grep -q may stop reading early; with pipefail the cut-off tr would fail the check.
has_line() { grep -qxF "$1" <(tr -d '\r' <"$SETTINGS"); }
# start_bad NAME: the window within 15 s, then a clean end.
start_bad() {
  local t0=$SECONDS
  start_app "$1"
  [ $((SECONDS - t0)) -le 15 ] || e2e_fail "$1: the main window took $((SECONDS - t0)) s"
  stop_app || e2e_fail "$1: the program exited with $?"
}
# Random bytes, the same every run.
head -c 65536 /dev/zero | openssl enc -aes-128-ctr -nosalt -pbkdf2 -pass pass:qel-settings 2>/dev/null >"$SETTINGS"
[ "$(stat -c %s "$SETTINGS")" -eq 65536 ] || e2e_fail "could not make the random file"
start_bad random
for line in "ms=100" "count=100" "untilStopped=1" "mode=0"; do
  has_line "$line" || e2e_fail "random bytes: no start-up value \"$line\" written"
done
# 10 MB of foreign lines, a readable value at the end.
{
  crlf "[Filler]"
  awk 'BEGIN { pad = sprintf("%090d", 0); for (i = 0; i < 105000; i++) printf "key%06d=%s\r\n", i, pad }'
  crlf "[Repeat]" "untilStopped=0" "count=7"
} >"$SETTINGS"
[ "$(stat -c %s "$SETTINGS")" -ge 10000000 ] || e2e_fail "the big file is too small"
start_bad big
has_line "count=7" || e2e_fail "10 MB file: the value at its end was not read"
has_line "key104999=$(printf '%090d' 0)" || e2e_fail "10 MB file: its last foreign line was lost"
# A 5000-character value where a number belongs, and one in a foreign key.
LONG=$(printf '9%.0s' $(seq 5000))
LONGX=$(printf 'x%.0s' $(seq 5000))
crlf "[Interval]" "ms=$LONG" "[Repeat]" "count=42" "[Mine]" "long=$LONGX" >"$SETTINGS"
start_bad long
has_line "ms=100" || e2e_fail "5000-character value: \"ms\" is not back at its start-up value"
has_line "count=42" || e2e_fail "5000-character value: the next section was not read"
has_line "long=$LONGX" || e2e_fail "5000-character value: the long foreign line was lost"
e2e_log "bad files: random bytes, 10 MB and a 5000-character value start and end cleanly"

echo "PASS linux_settings"
