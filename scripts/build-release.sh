#!/usr/bin/env bash
# Builds what a user downloads into dist/:
#   qel-autoclicker_<version>_amd64.deb   the Linux edition as a Debian package
#   QELAutoClicker-<version>-win64.zip    the Windows edition, portable (exe + transl.dt)
#   QELAutoClicker-<version>-setup.exe    the Windows edition's installer (NSIS, per user)
#
#   scripts/build-release.sh [all|linux|windows]     (default: all)
#
# Build folders: QEL_LINUX_BUILD (default build/linux, the "linux" preset) and
# QEL_WINDOWS_BUILD (default build/windows, the "windows-cross" preset). A folder that is
# already configured is reused and only brought up to date; a missing one is configured.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
what=${1:-all}
case $what in all | linux | windows) ;; *) echo "usage: $0 [all|linux|windows]" >&2; exit 2 ;; esac

LIN=${QEL_LINUX_BUILD:-build/linux}
WIN=${QEL_WINDOWS_BUILD:-build/windows}
VERSION=$(sed -n 's/^set(QEL_VERSION \([0-9.]*\))$/\1/p' cmake/Version.cmake)
[ -n "$VERSION" ] || { echo "no version in CMakeLists.txt" >&2; exit 1; }
DIST=$ROOT/dist
mkdir -p "$DIST"
WORK=$(mktemp -d /tmp/qel-release.XXXXXX)
trap 'rm -rf "$WORK"' EXIT

# configure DIR PRESET PRESET_DIR [cmake arguments]: the preset when DIR is its own folder.
configure() {
  local dir=$1 preset=$2 preset_dir=$3
  shift 3
  [ -f "$dir/CMakeCache.txt" ] && return 0
  if [ "$(realpath -m "$dir")" = "$(realpath -m "$preset_dir")" ]; then
    cmake --preset "$preset"
  else
    cmake -S "$ROOT" -B "$dir" -G Ninja "$@"
  fi
}

has_target() { cmake --build "$1" --target help 2>/dev/null | grep -qw "$2"; }

if [ "$what" != windows ]; then
  echo "== Linux package ($LIN)"
  configure "$LIN" linux build/linux -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$LIN" --target qel-autoclicker
  if has_target "$LIN" qel_icons; then cmake --build "$LIN" --target qel_icons; fi
  cmake --build "$LIN" --target qel_package_docs
  [ -f "$LIN/CPackConfig.cmake" ] || { echo "$LIN has no packaging set up (reconfigure it)" >&2; exit 1; }
  cpack --config "$LIN/CPackConfig.cmake" -G DEB -B "$WORK/deb" >"$WORK/cpack.log" 2>&1 ||
    { cat "$WORK/cpack.log" >&2; exit 1; }
  deb=$WORK/deb/qel-autoclicker_${VERSION}_amd64.deb
  [ -f "$deb" ] || { cat "$WORK/cpack.log" >&2; echo "cpack made no $deb" >&2; exit 1; }
  cp "$deb" "$DIST/"
  echo "$DIST/$(basename "$deb") ($(stat -c %s "$deb") bytes)"
fi

if [ "$what" != linux ]; then
  echo "== Windows zip ($WIN)"
  configure "$WIN" windows-cross build/windows -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release
  cmake --build "$WIN" --target QELAutoClicker
  name=QELAutoClicker-${VERSION}-win64
  stage=$WORK/zip/$name
  mkdir -p "$stage"
  cp "$WIN/src/win32/QELAutoClicker.exe" "$stage/"
  cp data/transl.dt "$stage/"
  rm -f "$DIST/$name.zip"
  (cd "$WORK/zip" && zip -q -X -r "$DIST/$name.zip" "$name")
  echo "$DIST/$name.zip ($(stat -c %s "$DIST/$name.zip") bytes)"

  echo "== Windows installer"
  command -v makensis >/dev/null || { echo "makensis is missing (scripts/install-deps.sh)" >&2; exit 1; }
  setup=QELAutoClicker-${VERSION}-setup.exe
  makensis -V2 -WX -DVERSION="$VERSION" -DEXE="$(realpath "$WIN")/src/win32/QELAutoClicker.exe" \
    -DTRANSL="$ROOT/data/transl.dt" -DOUTFILE="$DIST/$setup" installer/QELAutoClicker.nsi >"$WORK/nsis.log" 2>&1 ||
    { cat "$WORK/nsis.log" >&2; exit 1; }
  echo "$DIST/$setup ($(stat -c %s "$DIST/$setup") bytes)"
fi
