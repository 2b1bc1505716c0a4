#!/bin/bash
# The Linux edition's libcurl client against a local test server.
# usage: run_linux.sh [UPDATE_DRIVER]   (builds it in $QEL_HTTP_BUILD when not given)
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
DRIVER=${1:-}
if [ -z "$DRIVER" ]; then
  BUILD=${QEL_HTTP_BUILD:-/tmp/qel-http-linux}
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
  cmake --build "$BUILD" --target update_driver -j2 >/dev/null || exit 1
  DRIVER="$BUILD/tests/http/update_driver"
fi
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
