#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing both editions need.
# Only what is missing is installed, so a second run costs a second.
set -euo pipefail

packages=(
  # toolchains and test framework
  cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev g++-mingw-w64-x86-64-posix
  # fuzz targets (clang with libFuzzer)
  clang libclang-rt-14-dev
  # Linux edition
  qt6-base-dev libx11-dev libxtst-dev libxcb-xkb-dev libxi-dev libxrandr-dev libcurl4-openssl-dev
  libssl-dev
  # running and testing under X and Wine (at-spi2-core: the accessibility bus on which
  # tests/e2e/linux_options.sh reads the status line)
  xvfb xauth x11-utils x11-xserver-utils xdotool openbox dbus at-spi2-core trayer imagemagick fonts-dejavu-core
  wine wine64
  # test servers and tools
  python3 openssl ca-certificates librsvg2-bin xdg-utils bc xclip strace
  # the Unicode data from which tools/gen_upper_case_table.py makes the letter-case table
  unicode-data
  # release artifacts (Debian package dependencies, the Windows zip and installer) and
  # their checks (software-centre metadata, desktop entry, Debian policy)
  dpkg-dev zip nsis appstream desktop-file-utils lintian
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "Installing: ${missing[*]}"
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
