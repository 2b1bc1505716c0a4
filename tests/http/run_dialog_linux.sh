#!/bin/bash
# The Linux edition's real update dialog at start-up, driven as a user would under Xvfb +
# openbox: the optional offer's Skip, close box and Esc lead to the main window, the
# mandatory offer's Exit ends the program before any main window exists; a download the
# release key did not sign is refused; Abort, the close box and Esc abort a download.
# usage: run_dialog_linux.sh [QEL_AUTOCLICKER_BINARY] [DISPLAY_NUM (default 96)]
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
APP=${1:-}
NUM=${2:-96}
if [ -z "$APP" ]; then
  BUILD=${QEL_HTTP_BUILD:-/tmp/qel-http-linux}
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
  cmake --build "$BUILD" --target qel-autoclicker -j2 >/dev/null || exit 1
  APP="$BUILD/src/linux/qel-autoclicker"
fi
source "$ROOT/tests/e2e/lib.sh"
WORK=$(mktemp -d /tmp/qel-dialog-XXXXXX)
trap 'e2e_cleanup; rm -rf "$WORK"' EXIT

python3 "$HERE/update_server.py" "$WORK" &
e2e_track $!
for _ in $(seq 1 100); do [ -s "$WORK/port" ] && break; sleep 0.05; done
PORT=$(cat "$WORK/port")
e2e_start_display "$NUM"

DIALOG=" QEL Auto Clicker"
MAIN="  QEL Auto Clicker 2\.4"
APP_PID=

# A stand-in for xdg-open, first on the program's PATH: it notes what it was handed.
mkdir -p "$WORK/bin"
cat >"$WORK/bin/xdg-open" <<EOS
#!/bin/sh
echo "\$*" >>"$WORK/xdg-open.log"
EOS
chmod +x "$WORK/bin/xdg-open"

start_app() {  # start_app SCENARIO
  rm -rf "$WORK/appdata" "$WORK/temp"
  mkdir -p "$WORK/appdata" "$WORK/temp"
  APPDATA="$WORK/appdata" XDG_CONFIG_HOME="$WORK/appdata" QEL_UPDATE_URL="http://127.0.0.1:$PORT/s/$1" \
    TMPDIR="$WORK/temp" PATH="$WORK/bin:$PATH" "$APP" >"$WORK/app.log" 2>&1 &
  APP_PID=$!
  e2e_track "$APP_PID"
}

# click_in WINDOW X Y: a left click at a point of the window's client area.
click_in() {
  local origin
  origin=$(e2e_window_origin "$1")
  xdotool mousemove $((${origin% *} + $2)) $((${origin#* } + $3)) click 1
}

# The second button, "Skip" or "Exit", at 299,136 (75 x 25) of the dialog.
SECOND_BUTTON="336 148"

e2e_log "optional offer, Skip"
start_app ok
id=$(e2e_wait_window "$DIALOG" 20) || e2e_fail "no update dialog (log: $(cat "$WORK/app.log"))"
e2e_wait_window "$MAIN" 1 >/dev/null && e2e_fail "main window shown while the update dialog is open"
click_in "$id" $SECOND_BUTTON
e2e_wait_window "$MAIN" 20 >/dev/null || e2e_fail "Skip did not lead to the main window"
kill "$APP_PID"; wait "$APP_PID" 2>/dev/null || true

e2e_log "optional offer, close box"
start_app ok
id=$(e2e_wait_window "$DIALOG" 20) || e2e_fail "no update dialog"
xdotool windowactivate --sync "$id" key alt+F4 || true
e2e_wait_window "$MAIN" 20 >/dev/null || e2e_fail "closing the optional offer did not lead to the main window"
kill "$APP_PID"; wait "$APP_PID" 2>/dev/null || true

e2e_log "mandatory offer, Exit"
start_app mandatory
id=$(e2e_wait_window "$DIALOG" 20) || e2e_fail "no update dialog"
click_in "$id" $SECOND_BUTTON
for _ in $(seq 1 100); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$APP_PID" 2>/dev/null && e2e_fail "Exit in the mandatory offer did not end the program"
[ -n "$(find "$WORK/appdata" -name settings.ini)" ] && e2e_fail "settings written although no main window existed"

# answer_error_box DIALOG_ID WHAT: the error box that follows a failed download is
# confirmed, the program ends and the web site is opened.
answer_error_box() {
  local box=""
  for _ in $(seq 1 50); do
    box=$(xdotool search --onlyvisible --name ".+" 2>/dev/null | grep -vx "$1" | while read -r w; do
      [ "$(xdotool getwindowname "$w" 2>/dev/null)" != "$DIALOG" ] && echo "$w"; done | tail -n1) || true
    [ -n "$box" ] && break
    sleep 0.1
  done
  [ -n "$box" ] || e2e_fail "no error box after $2"
  xdotool windowactivate --sync "$box" key Return 2>/dev/null || true
  for _ in $(seq 1 100); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$APP_PID" 2>/dev/null && e2e_fail "the program did not end after $2"
  # The opener runs on its own: its log may come a moment after the program has ended.
  for _ in $(seq 1 50); do [ -s "$WORK/xdg-open.log" ] && break; sleep 0.1; done
  [ "$(cat "$WORK/xdg-open.log")" = "https://qel-autoclicker.app" ] ||
    e2e_fail "web site not opened after $2: $(cat "$WORK/xdg-open.log")"
}

e2e_log "optional offer, Esc"
start_app ok
id=$(e2e_wait_window "$DIALOG" 20) || e2e_fail "no update dialog"
xdotool windowactivate --sync "$id" key Escape || true
e2e_wait_window "$MAIN" 20 >/dev/null || e2e_fail "Esc in the optional offer did not lead to the main window"
kill "$APP_PID"; wait "$APP_PID" 2>/dev/null || true

e2e_log "optional offer, Update Now: a package the release key did not sign is refused"
start_app ok
id=$(e2e_wait_window "$DIALOG" 20) || e2e_fail "no update dialog"
# Another user's link at the old fixed name: nothing may be written through it.
echo precious >"$WORK/victim"
ln -s "$WORK/victim" "$WORK/temp/qel_update.deb"
: >"$WORK/xdg-open.log"
click_in "$id" 236 148   # "Update Now" at 186,136 (100 x 25)
answer_error_box "$id" "the refused download"
[ "$(cat "$WORK/victim")" = precious ] || e2e_fail "the download was written through a link"
[ -z "$(find "$WORK/temp" -name 'qel-update-*')" ] ||
  e2e_fail "the refused download was left behind: $(find "$WORK/temp" -name 'qel-update-*')"
[ -n "$(find "$WORK/appdata" -name settings.ini)" ] && e2e_fail "settings written although no main window existed"

# During a download, the Abort button, the close box and Esc all abort it; the dialog
# takes them while the download runs.
for how in button closebox escape; do
  e2e_log "Update Now, then $how during a slow download"
  start_app slow
  id=$(e2e_wait_window "$DIALOG" 20) || e2e_fail "no update dialog (log: $(cat "$WORK/app.log"))"
  : >"$WORK/xdg-open.log"
  click_in "$id" 236 148
  sleep 1.5
  case $how in
    button) click_in "$id" $SECOND_BUTTON ;;
    closebox) xdotool windowactivate --sync "$id" key alt+F4 || true ;;
    escape) xdotool windowactivate --sync "$id" key Escape || true ;;
  esac
  e2e_wait_window "$DIALOG" 1 >/dev/null || e2e_fail "$how hid the dialog while the download went on"
  answer_error_box "$id" "$how during the download"
done

e2e_log "no newer version: straight to the main window"
start_app current
e2e_wait_window "$MAIN" 20 >/dev/null || e2e_fail "no main window"
e2e_wait_window "$DIALOG" 1 >/dev/null && e2e_fail "update dialog without a newer version"
kill "$APP_PID"; wait "$APP_PID" 2>/dev/null || true

e2e_log "update dialog at start-up: all cases passed"
