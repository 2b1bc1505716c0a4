# Helpers of the Windows edition's end-to-end scripts (sourced): an Xvfb display with
# openbox, a Wine prefix, the click-counting target window and the program itself, all
# driven from outside with xdotool. Every process started here is stopped by win_cleanup
# (the scripts trap EXIT), by its PID, and the prefix's wine server with `wineserver -k`.
#
# Environment: QEL_E2E_DISPLAY (display number, default 94), WINEPREFIX (default
# /tmp/wine-winui, created on first use).

WIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
source "$WIN_ROOT/tests/e2e/app_info.sh"
WIN_TITLE=$QEL_MAIN_TITLE
WIN_RUNNING="  Running... Press Shift+Ctrl+X to stop"
WIN_DISPLAY_NUM=${QEL_E2E_DISPLAY:-94}
WIN_DISPLAY_NUM=${WIN_DISPLAY_NUM#:}
export WINEPREFIX=${WINEPREFIX:-/tmp/wine-winui}
# QEL_WINEDEBUG lets a checking run (tests/e2e/wine_heapcheck.sh) turn Wine's own checks on.
export WINEDEBUG=${QEL_WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

WIN_XVFB_PID="" WIN_WM_PID="" WIN_TARGET_PID="" WIN_APP_PID=""
WIN_WORK=$(mktemp -d /tmp/qel-win-e2e.XXXXXX)

win_cleanup() {
  set +e
  for p in $WIN_APP_PID $WIN_TARGET_PID; do kill "$p" 2>/dev/null; done
  wineserver -k 2>/dev/null
  for p in $WIN_WM_PID $WIN_XVFB_PID; do
    kill "$p" 2>/dev/null
    wait "$p" 2>/dev/null
  done
  rm -rf "$WIN_WORK"
}

win_fail() {
  echo "FAIL: $*"
  exit 1
}

# What the display and Wine show when a window fails to appear: the named top-level
# windows, the Wine processes and the program's own output.
win_diagnose() {
  echo "windows on $DISPLAY:"
  local id
  for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
    echo "  $id \"$(xdotool getwindowname "$id" 2>/dev/null)\""
  done
  echo "wine processes:"
  ps -eo pid,stat,etime,args | grep -i '[w]ine\|[.]exe' | sed 's/^/  /'
  echo "program output:"
  tail -20 "$WIN_WORK/app.log" 2>/dev/null | sed 's/^/  /'
}

# A Unix path as Wine's Z: drive sees it.
win_path() { echo "Z:${1//\//\\}"; }

# The built program: $1 is the build folder (default build/windows).
win_exe() {
  local build=${1:-$WIN_ROOT/build/windows}
  WIN_EXE=$build/src/win32/QELAutoClicker.exe
  WIN_TRANSL=$build/src/win32/transl.dt
  WIN_TOOLS=$build/tests/windows
  [ -f "$WIN_EXE" ] || win_fail "missing $WIN_EXE (build the Windows edition first)"
}

# win_tool NAME: the path of a helper program built with the edition (tests/windows).
WIN_TOOLS=$WIN_ROOT/build/windows/tests/windows
win_tool() {
  [ -f "$WIN_TOOLS/$1.exe" ] || win_fail "missing $WIN_TOOLS/$1.exe (build the Windows edition first)"
  printf '%s' "$WIN_TOOLS/$1.exe"
}

win_start_display() {
  Xvfb ":$WIN_DISPLAY_NUM" -noreset -screen 0 1280x1024x24 >"$WIN_WORK/xvfb.log" 2>&1 &
  WIN_XVFB_PID=$!
  export DISPLAY=":$WIN_DISPLAY_NUM"
  for _ in $(seq 1 50); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
  done
  xdpyinfo >/dev/null 2>&1 || win_fail "Xvfb did not start on $DISPLAY"
  openbox >"$WIN_WORK/openbox.log" 2>&1 &
  WIN_WM_PID=$!
}

win_start_wine() {
  local t0
  t0=$(date +%s)
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "initialising wine prefix $WINEPREFIX"
    wineboot -i >"$WIN_WORK/wineboot.log" 2>&1 || true
  fi
  wineboot >/dev/null 2>&1 || true
  echo "wine ready after $(($(date +%s) - t0)) s"
}

# A window whose name is exactly $1, waited for up to $2 seconds; prints its id.
win_find_window() {
  local name=$1 limit=$2 id=""
  for _ in $(seq 1 $((limit * 10))); do
    id=$(xdotool search --name "^${name}\$" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && {
      echo "$id"
      return 0
    }
    sleep 0.1
  done
  return 1
}

# Sets X Y WIDTH HEIGHT of the client area of window $1. xdotool's own geometry counts the
# window manager's frame twice; xwininfo's absolute place is exact.
win_geometry() {
  local info
  info=$(xwininfo -id "$1")
  X=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
  Y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
  WIDTH=$(awk '/^ *Width:/ {print $2}' <<<"$info")
  HEIGHT=$(awk '/^ *Height:/ {print $2}' <<<"$info")
}

# The target window (left 40, top 120, 240 x 200) logging presses to $WIN_CLICKS.
win_start_target() {
  local target
  target=$(win_tool win_target) || exit 1
  WIN_CLICKS=$WIN_WORK/clicks.txt
  wine "$target" "$(win_path "$WIN_CLICKS")" 40 120 240 200 >"$WIN_WORK/target.log" 2>&1 &
  WIN_TARGET_PID=$!
  win_find_window "QEL Target" 30 >/dev/null || win_fail "target window did not appear"
}

# The target's log as Unix text ("x y ms" lines).
win_clicks() { tr -d '\r' <"$WIN_CLICKS"; }

# Starts the program with its own data folder ($WIN_APPDATA) and an update server that
# answers nothing; sets WIN (its main window) and OX, OY (its client origin).
win_start_app() {
  WIN_APPDATA=$WIN_WORK/appdata
  mkdir -p "$WIN_APPDATA"
  cp "$WIN_EXE" "$WIN_WORK/"
  [ -f "$WIN_TRANSL" ] && cp "$WIN_TRANSL" "$WIN_WORK/"
  # Wine sets APPDATA from the prefix for a process started from Unix; a process started
  # by another Windows process inherits that one's variables. So cmd sets it, and waits.
  (cd "$WIN_WORK" && QEL_UPDATE_URL=http://127.0.0.1:9/ exec wine cmd /c \
    "set APPDATA=$(win_path "$WIN_APPDATA")&& start /wait QELAutoClicker.exe" >"$WIN_WORK/app.log" 2>&1) &
  WIN_APP_PID=$!
  local t0
  t0=$(date +%s)
  WIN=$(win_find_window "$WIN_TITLE" 60) || {
    win_diagnose
    win_fail "main window did not appear"
  }
  # Wine titles the X window when the program creates it, before the program has read its
  # settings and macros and shown it; clicks before the window is mapped are lost, and a
  # large macro folder makes that gap seconds long on a slow machine.
  local _
  for _ in $(seq 1 600); do
    xwininfo -id "$WIN" 2>/dev/null | grep -q "Map State: IsViewable" && break
    sleep 0.1
  done
  echo "main window after $(($(date +%s) - t0)) s"
  sleep 1
  win_geometry "$WIN"
  OX=$X OY=$Y
}

# Clicks at a point of the main window's client area (its design's 96-DPI pixels).
win_click() {
  xdotool mousemove $((OX + $1)) $((OY + $2)) click 1
  sleep 0.3
}

# A spin edit at client point $1,$2 gets the text $3.
win_set_field() {
  win_click "$1" "$2"
  xdotool key End
  for _ in 1 2 3 4 5 6 7; do xdotool key BackSpace; done
  xdotool type --delay 30 "$3"
  sleep 0.2
}

# Places of the main window's controls: group origin + control origin + a little inside.
WIN_START="$((10 + 50)) $((14 + 12))"
WIN_COORDINATES="$((10 + 11 + 8)) $((58 + 59 + 8))"
WIN_COORD_X="$((10 + 109 + 12)) $((58 + 56 + 12))"
WIN_COORD_Y="$((10 + 176 + 12)) $((58 + 56 + 12))"
WIN_MILLIS="$((253 + 224 + 20)) $((10 + 40 + 12))"
WIN_REPEAT_COUNT="$((253 + 16 + 8)) $((301 + 48 + 8))"
WIN_REPEAT="$((253 + 121 + 20)) $((301 + 46 + 12))"
WIN_DELAY="$((253 + 121 + 20)) $((231 + 20 + 12))"
WIN_TOPMOST="$((253 + 16 + 8)) $((400 + 60 + 8))"
WIN_CLICK_TYPE="$((253 + 152 + 60)) $((120 + 24 + 10))"

# Waits up to $1 seconds for the program to end.
win_wait_app_end() {
  for _ in $(seq 1 $(($1 * 10))); do
    kill -0 "$WIN_APP_PID" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}

# Closes the main window as a user does (Alt+F4 through the window manager).
win_close_app() {
  xdotool windowactivate --sync "$WIN" 2>/dev/null || true
  xdotool key alt+F4
}

# e2e_wait_title ID TEXT SECONDS
source "$(dirname "${BASH_SOURCE[0]}")/../wait_title.sh"
