#!/usr/bin/env bash
# CI guard against gross timing regressions only (the figures themselves are measured by
# bench/run.sh, never asserted): the program must deliver at least 500 clicks/s at 1 ms.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
table=$("$here/run.sh" "${1:-$(dirname "$here")/build/linux}" --quick)
echo "$table"
rate=$(echo "$table" | awk -F'|' '/QEL Auto Clicker, 1 ms/ {gsub(/ /, "", $4); print $4}')
echo "program at 1 ms: ${rate:-none} clicks/s"
awk -v r="${rate:-0}" 'BEGIN { exit !(r >= 500) }'
