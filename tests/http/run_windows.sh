#!/bin/bash
# The Windows edition's WinHTTP client, cross-built and run under wine, against a local
# test server.
# usage: run_windows.sh [UPDATE_DRIVER_EXE | WINDOWS_BUILD_DIR]
#   With a Windows build folder (e.g. build/windows) its driver (tests/windows/update_driver.exe)
#   is used; without an argument the driver is cross-built first in $QEL_HTTP_WIN_BUILD
#   (default /tmp/qel-http-windows).
#   WINEPREFIX (default /tmp/wine-update) and DISPLAY_NUM (default 96, an Xvfb it starts).
#   QEL_RELEASE_TOOL: the Linux build's qel-release-key (default build/linux/tools/...).
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
DRIVER=${1:-}
if [ -z "$DRIVER" ] || [ -d "$DRIVER" ]; then
  BUILD=${DRIVER:-${QEL_HTTP_WIN_BUILD:-/tmp/qel-http-windows}}
  if [ -z "$DRIVER" ]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null || exit 1
    cmake --build "$BUILD" --target update_driver -j2 >/dev/null || exit 1
  fi
  DRIVER="$BUILD/tests/windows/update_driver.exe"
  [ -f "$DRIVER" ] || { echo "missing $DRIVER (build the Windows edition)"; exit 1; }
fi
# The signing side runs here, on Linux: the Linux build's release tool.
RELEASE_TOOL=${QEL_RELEASE_TOOL:-$ROOT/build/linux/tools/qel-release-key}
if [ ! -x "$RELEASE_TOOL" ]; then
  LBUILD=${QEL_HTTP_BUILD:-/tmp/qel-http-linux}
  cmake -S "$ROOT" -B "$LBUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
  cmake --build "$LBUILD" --target qel-release-key -j2 >/dev/null || exit 1
  RELEASE_TOOL="$LBUILD/tools/qel-release-key"
fi
command -v openssl >/dev/null || { echo "openssl is missing (apt-get install openssl)"; exit 1; }

export WINEPREFIX=${WINEPREFIX:-/tmp/wine-update}
# No Mono or Gecko installer dialogs in a fresh prefix: nothing here needs them.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
DISPLAY_NUM=${DISPLAY_NUM:-96}
Xvfb ":$DISPLAY_NUM" -noreset -screen 0 1024x768x24 >/dev/null 2>&1 &
XVFB_PID=$!
export DISPLAY=":$DISPLAY_NUM"
extra_cleanup() {
  wineserver -k 2>/dev/null || true
  kill "$XVFB_PID" 2>/dev/null || true
  wait "$XVFB_PID" 2>/dev/null || true
}

EDITION=windows
INSTALLER_NAME=qel_update.exe
source "$HERE/cases.sh"
TEMP_DIR="$WORK/temp"
mkdir -p "$TEMP_DIR"
TEMP_ARG="Z:${TEMP_DIR//\//\\}\\"
# Wine writes console lines with CR LF.
drive() { timeout 90 wine "$DRIVER" "$@" 2>/dev/null | tr -d '\r'; }
wineboot -i >/dev/null 2>&1 || true
run_cases
