#!/bin/bash
# The Windows edition's real update dialog at start-up, under Wine + Xvfb + openbox: the
# optional offer's Skip and close box lead to the main window, the mandatory offer's Exit
# ends the program before any main window exists, an installer the release key did not
# sign is deleted and not started, and the close box and Esc abort a running download.
# usage: run_dialog_windows.sh [WINDOWS_BUILD_DIR]   (holding src/win32/QELAutoClicker.exe)
# Environment: QEL_E2E_DISPLAY (default 96), WINEPREFIX (default /tmp/wine-update).
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
export QEL_E2E_DISPLAY=${QEL_E2E_DISPLAY:-96}
export WINEPREFIX=${WINEPREFIX:-/tmp/wine-update}
source "$HERE/../e2e/win/lib.sh"
SERVER_PID=""
trap '[ -n "$SERVER_PID" ] && kill "$SERVER_PID" 2>/dev/null || true; win_cleanup' EXIT
win_exe "${1:-}"

cp "$(win_tool fake_installer)" "$WIN_WORK/fake_installer.exe" || win_fail "the fake installer is not built"
QEL_TEST_INSTALLER="$WIN_WORK/fake_installer.exe" python3 "$HERE/update_server.py" "$WIN_WORK" &
SERVER_PID=$!
for _ in $(seq 1 100); do [ -s "$WIN_WORK/port" ] && break; sleep 0.05; done
PORT=$(cat "$WIN_WORK/port")
win_start_display
win_start_wine
cp "$WIN_EXE" "$WIN_WORK/"
[ -f "$WIN_TRANSL" ] && cp "$WIN_TRANSL" "$WIN_WORK/"

DIALOG=" QEL Auto Clicker"
start_app() {  # start_app SCENARIO
  rm -rf "$WIN_WORK/appdata" "$WIN_WORK/temp"
  mkdir -p "$WIN_WORK/appdata" "$WIN_WORK/temp"
  local temp
  temp=$(win_path "$WIN_WORK/temp")
  (cd "$WIN_WORK" && QEL_UPDATE_URL="http://127.0.0.1:$PORT/s/$1" exec wine cmd /c \
    "set APPDATA=$(win_path "$WIN_WORK/appdata")&& set TEMP=$temp&& set TMP=$temp&& start /wait QELAutoClicker.exe" \
    >"$WIN_WORK/app.log" 2>&1) &
  WIN_APP_PID=$!
}
# The second button, "Skip" or "Exit", at 299,136 (75 x 25) of the dialog's client area.
click_second_button() {
  win_geometry "$1"
  xdotool mousemove $((X + 336)) $((Y + 148)) click 1
}
stop_app() {
  kill "$WIN_APP_PID" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  wait "$WIN_APP_PID" 2>/dev/null || true
}

echo "optional offer, Skip"
start_app ok
id=$(win_find_window "$DIALOG" 60) || win_fail "no update dialog"
sleep 1
win_find_window "$WIN_TITLE" 1 >/dev/null && win_fail "main window shown while the update dialog is open"
click_second_button "$id"
win_find_window "$WIN_TITLE" 30 >/dev/null || win_fail "Skip did not lead to the main window"
stop_app

echo "optional offer, close box"
start_app ok
id=$(win_find_window "$DIALOG" 60) || win_fail "no update dialog"
sleep 1
xdotool windowactivate --sync "$id" 2>/dev/null || true; xdotool key alt+F4
win_find_window "$WIN_TITLE" 30 >/dev/null || win_fail "closing the optional offer did not lead to the main window"
stop_app

echo "mandatory offer, Exit"
start_app mandatory
id=$(win_find_window "$DIALOG" 60) || win_fail "no update dialog"
sleep 1
click_second_button "$id"
win_wait_app_end 15 || win_fail "Exit in the mandatory offer did not end the program"
[ -n "$(find "$WIN_WORK/appdata" -name settings.ini)" ] && win_fail "settings written although no main window existed"

# answer_error_box WHAT: the error box after a failed download appears, Return confirms
# it, and the program ends.
answer_error_box() {
  local box=""
  for _ in $(seq 1 100); do
    box=$(xdotool search --onlyvisible --name "^QEL Auto Clicker\$" 2>/dev/null | head -1 || true)
    [ -n "$box" ] && break
    sleep 0.1
  done
  [ -n "$box" ] || win_fail "no error box after $1"
  xdotool windowactivate --sync "$box" 2>/dev/null || true
  sleep 0.3
  xdotool key Return
  win_wait_app_end 30 || win_fail "the program did not end after $1"
}
click_update_now() {
  win_geometry "$1"
  xdotool mousemove $((X + 236)) $((Y + 148)) click 1   # "Update Now" at 186,136 (100 x 25)
}

echo "optional offer, Update Now: an installer the release key did not sign is refused"
start_app ok
printf 'an earlier, much longer download %.0s' $(seq 1 5000) >"$WIN_WORK/temp/qel_update.exe"
id=$(win_find_window "$DIALOG" 60) || win_fail "no update dialog"
sleep 1
click_update_now "$id"
answer_error_box "the refused download"
[ -f "$WIN_WORK/temp/qel_update.exe" ] && win_fail "the refused installer was not deleted"
sleep 1
[ -f "$WIN_WORK/temp/installer-ran.txt" ] && win_fail "the unsigned installer was started"
win_find_window "$WIN_TITLE" 1 >/dev/null && win_fail "main window after the download"

# During a download the close box and Esc abort it, as the Abort button does.
for how in closebox escape; do
  echo "Update Now, then $how during a slow download"
  start_app slow
  id=$(win_find_window "$DIALOG" 60) || win_fail "no update dialog"
  sleep 1
  click_update_now "$id"
  sleep 2
  xdotool windowactivate --sync "$id" 2>/dev/null || true
  case $how in
    closebox) xdotool key alt+F4 ;;
    escape) xdotool key Escape ;;
  esac
  answer_error_box "$how during the download"
done

echo "update dialog at start-up (Windows): all cases passed"
