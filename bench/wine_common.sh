# Helpers of the Wine benchmark scripts (sourced after common.sh): the Wine prefix and its
# server, the Windows program copied beside its translation table, the Win32 target window
# that stamps the clicks it receives, and the program started with a prepared data folder.
# Environment: BENCH_WIN_EXE (default build/windows/src/win32/QELAutoClicker.exe),
# WINEPREFIX (default /tmp/wine-bench).
export WINEPREFIX=${WINEPREFIX:-/tmp/wine-bench} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
WINE_EXE=${BENCH_WIN_EXE:-$(dirname "$BENCH_HERE")/build/windows/src/win32/QELAutoClicker.exe}

# wine_copy_bare_loop: the bare Win32 loop of the same build copied beside the program; the
# platform's limit that both the rate and the CPU figures are set against.
wine_copy_bare_loop() {
  local bare
  bare="$(dirname "$(dirname "$(dirname "$WINE_EXE")")")/tests/windows/win_bare_loop.exe"
  [ -f "$bare" ] || { echo "missing $bare (build the Windows edition)"; exit 1; }
  cp "$bare" "$BENCH_WORK/win_bare_loop.exe"
}

winpath() { echo "Z:${1//\//\\}"; }

# wine_setup: the display, a ready prefix, a window manager, and the program in BENCH_WORK.
wine_setup() {
  [ -f "$WINE_EXE" ] || { echo "missing $WINE_EXE"; exit 2; }
  trap 'wineserver -k 2>/dev/null || true; bench_cleanup' EXIT
  bench_start_display
  [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
  wineboot >/dev/null 2>&1
  openbox >/dev/null 2>&1 &
  bench_track $!
  cp "$WINE_EXE" "$BENCH_WORK/"
  local tr
  tr="$(dirname "$WINE_EXE")/transl.dt"
  [ -f "$tr" ] && cp "$tr" "$BENCH_WORK/"
  return 0
}

# wine_start_target LOG: the Win32 target window at 900,700 (240x200), logging each press.
wine_start_target() {
  local target
  target="$(dirname "$(dirname "$(dirname "$WINE_EXE")")")/tests/windows/win_target.exe"
  [ -f "$target" ] || { echo "missing $target (build the Windows edition)"; exit 1; }
  wine "$target" "$(winpath "$1")" 900 700 240 200 >/dev/null 2>&1 &
  bench_track $!
  for _ in $(seq 300); do xdotool search --name "QEL Target" >/dev/null 2>&1 && break; sleep 0.1; done
}

# wine_start_app DATA: the program with DATA as its APPDATA; sets APP_PID and WIN.
# A process started from Unix gets APPDATA from the prefix; one started by cmd inherits cmd's.
wine_start_app() {
  (cd "$BENCH_WORK" && exec wine cmd /c "set APPDATA=$(winpath "$1")&& start /wait QELAutoClicker.exe" \
    >"$BENCH_WORK/app.log" 2>&1) &
  APP_PID=$!
  bench_track $APP_PID
  bench_wait_window 60
}
