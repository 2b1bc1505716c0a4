#!/bin/bash
# The Linux edition's libcurl client against a local test server.
# usage: run_linux.sh [UPDATE_DRIVER [RELEASE_TOOL]]   (both built in $QEL_HTTP_BUILD when not given)
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
DRIVER=${1:-}
RELEASE_TOOL=${2:-}
if [ -z "$DRIVER" ]; then
  BUILD=${QEL_HTTP_BUILD:-/tmp/qel-http-linux}
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
  cmake --build "$BUILD" --target update_driver qel-release-key -j2 >/dev/null || exit 1
  DRIVER="$BUILD/tests/http/update_driver"
  RELEASE_TOOL="$BUILD/tools/qel-release-key"
fi
RELEASE_TOOL=${RELEASE_TOOL:-$(dirname "$DRIVER")/../../tools/qel-release-key}
command -v openssl >/dev/null || { echo "openssl is missing (apt-get install openssl)"; exit 1; }

EDITION=linux
TLS_TRUST_SUPPORTED=1
INSTALLER_NAME=qel_update.deb
source "$HERE/cases.sh"
TEMP_DIR="$WORK/temp"
mkdir -p "$TEMP_DIR"
TEMP_ARG="$TEMP_DIR/"
drive() { timeout 60 "$DRIVER" "$@"; }
run_cases
