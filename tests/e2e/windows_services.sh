#!/usr/bin/env bash
# The Windows edition's machine services against Wine on a private X display: absolute
# moves and clicks through SendInput, the low-level mouse hook, hotkeys (once when held,
# also inside a message box's loop, a taken combination refused), key names, the registry,
# profile files, environment, clock and shell (tests/e2e/winsvc/services_probe.cpp), then
# the profile-file agreement with the portable INI rules (tests/e2e/winsvc/ini_agreement.cpp),
# and the fitting of long captions (tests/e2e/winsvc/fit_font.cpp).
#
# The probe asks for outside input by printing "STEP <id> <xdotool arguments>"; this script
# runs xdotool and answers with <id>.done in the handshake folder.
#
# Environment: QEL_WIN_BUILD (the cross build folder holding libqel_core.a; default
# build/windows, configured and built here when missing), QEL_WIN_CORE_LIB (a ready
# libqel_core.a instead), WINEPREFIX (default
# /tmp/wine-winsvc), QEL_E2E_DISPLAY (default 95).
set -uo pipefail
cd "$(dirname "$0")/../.."
source tests/e2e/lib.sh

ROOT=$PWD
BUILD=${QEL_WIN_BUILD:-$ROOT/build/windows}
DISPLAY_NUM=${QEL_E2E_DISPLAY:-95}
export WINEPREFIX=${WINEPREFIX:-/tmp/wine-winsvc}
# QEL_WINEDEBUG lets a checking run (tests/e2e/wine_heapcheck.sh) turn Wine's own checks on.
export WINEDEBUG=${QEL_WINEDEBUG:--all}
# No Mono or Gecko installer dialogs while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="
CXX=x86_64-w64-mingw32-g++-posix
WORK=$(mktemp -d /tmp/qel-winsvc-e2e.XXXXXX)

cleanup() {
  e2e_cleanup
  wineserver -k >/dev/null 2>&1
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# --- build -----------------------------------------------------------------------------------
t0=$(date +%s)
CORE_LIB=${QEL_WIN_CORE_LIB:-}
if [ -z "$CORE_LIB" ]; then
  if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null || e2e_fail "configure $BUILD"
  fi
  cmake --build "$BUILD" --target qel_core -j2 >/dev/null || e2e_fail "building qel_core in $BUILD"
  CORE_LIB=$BUILD/libqel_core.a
fi
# QEL_WIN_CXXFLAGS: extra flags, the same the core in QEL_WIN_BUILD was built with.
build_tool() {  # build_tool NAME: tests/e2e/winsvc/NAME.cpp with the services and the core
  # shellcheck disable=SC2086  # the extra flags are a list
  $CXX -std=c++20 -O2 ${QEL_WIN_CXXFLAGS:-} -Wall -Wextra -Werror -I"$ROOT/src" "$ROOT/tests/e2e/winsvc/$1.cpp" \
    "$ROOT"/src/win32/Win32Services*.cpp "$CORE_LIB" \
    -static -luser32 -lshell32 -ladvapi32 -lgdi32 -lwinmm -o "$WORK/$1.exe"
}
build_tool services_probe || e2e_fail "building services_probe.exe"
build_tool ini_agreement || e2e_fail "building ini_agreement.exe"
$CXX -std=c++20 -O2 ${QEL_WIN_CXXFLAGS:-} -Wall -Wextra -Werror -I"$ROOT/src" "$ROOT/tests/e2e/winsvc/fit_font.cpp" \
  "$ROOT/src/win32/Win32Style.cpp" "$ROOT/src/win32/Win32Pictures.cpp" "$ROOT/src/ui/CaptionFit.cpp" \
  -static -luser32 -lgdi32 -lgdiplus -lshlwapi -lole32 -o "$WORK/fit_font.exe" || e2e_fail "building fit_font.exe"
e2e_log "built the probes in $(( $(date +%s) - t0 )) s"

# --- display and prefix ------------------------------------------------------------------------
e2e_start_display "$DISPLAY_NUM" 1280x1024x24
t0=$(date +%s)
wineboot -i >/dev/null 2>&1 || e2e_fail "wineboot -i in $WINEPREFIX"
timeout 120 wineserver -w
e2e_log "prefix $WINEPREFIX ready in $(( $(date +%s) - t0 )) s"

winpath() { printf 'Z:%s' "${1//\//\\}"; }

# --- services probe, run from a folder deeper than MAX_PATH -----------------------------------
deep="$WORK/exe"
for part in first-folder-with-a-rather-long-name second-folder-with-a-rather-long-name \
            third-folder-with-a-rather-long-name fourth-folder-with-a-rather-long-name \
            fifth-folder-with-a-rather-long-name sixth-folder-with-a-rather-long-name \
            seventh-folder-with-a-long-name; do
  deep="$deep/$part"
done
mkdir -p "$deep" "$WORK/handshake"
cp "$WORK/services_probe.exe" "$deep/"
e2e_log "probe path: ${#deep} characters"

log="$WORK/probe.log"
t0=$(date +%s)
wine "$deep/services_probe.exe" "$(winpath "$WORK/handshake")" >"$log" 2>&1 &
probe=$!
e2e_track "$probe"

handled=0
deadline=$(( $(date +%s) + 300 ))
while kill -0 "$probe" 2>/dev/null; do
  mapfile -t steps < <(grep -a '^STEP ' "$log" | tr -d '\r')
  while (( handled < ${#steps[@]} )); do
    read -r _ id args <<<"${steps[$handled]}"
    eval "xdotool $args" >"$WORK/handshake/$id.tmp" 2>&1
    mv "$WORK/handshake/$id.tmp" "$WORK/handshake/$id.done"
    handled=$((handled + 1))
  done
  if (( $(date +%s) > deadline )); then
    cat "$log"
    e2e_fail "services_probe.exe did not finish within 300 s"
  fi
  sleep 0.1
done
wait "$probe"
rc=$?
grep -av '^STEP ' "$log" | tr -d '\r'
e2e_log "services probe: exit $rc after $(( $(date +%s) - t0 )) s"
[ "$rc" -eq 0 ] || e2e_fail "services_probe.exe reported failures (exit $rc)"

# --- profile files agree with the portable INI rules -------------------------------------------
cases="$ROOT/tests/data/ini_cases.txt"
[ -f "$cases" ] || e2e_fail "missing $cases"
t0=$(date +%s)
mkdir -p "$WORK/ini"
wine "$WORK/ini_agreement.exe" "$(winpath "$cases")" "$(winpath "$WORK/ini")" 2>&1 | tr -d '\r'
rc=${PIPESTATUS[0]}
e2e_log "ini agreement: exit $rc after $(( $(date +%s) - t0 )) s"
[ "$rc" -eq 0 ] || e2e_fail "GetPrivateProfileStringW disagrees with the INI case table (exit $rc)"

wine "$WORK/fit_font.exe" 2>&1 | tr -d '\r'
[ "${PIPESTATUS[0]}" -eq 0 ] || e2e_fail "fitting a long caption (fit_font.exe)"

e2e_log "PASS windows services"
