#!/usr/bin/env bash
# Runs every end-to-end script (Linux under Xvfb, Windows under Wine + Xvfb, the HTTP
# clients, the benchmark smoke check) one after the other, and sums them up.
# Each script starts and stops its own Xvfb, window manager, Wine server and servers.
set -uo pipefail
cd "$(dirname "$0")/../.."

# Every script with the arguments that point it at the CI build folders.
lin=build/linux
win=build/windows
scripts=()
for s in tests/e2e/linux_*.sh tests/e2e/windows_*.sh; do scripts+=("$s"); done
# The libcurl client's own cases run under ctest (http_linux); the rest run here.
scripts+=("tests/http/run_windows.sh $win"
          "tests/http/run_dialog_linux.sh $lin/src/linux/qel-autoclicker"
          "tests/http/run_dialog_windows.sh $win"
          "bench/smoke.sh $lin"
          "bench/soak.sh --clicks 20000 --passes 50")

passed=0
failed=0
failures=()
for s in "${scripts[@]}"; do
  echo "---- $s"
  start=$(date +%s)
  # shellcheck disable=SC2086  # the entries carry their arguments
  if timeout 900 bash $s; then
    passed=$((passed + 1))
    echo "---- PASS $s ($(( $(date +%s) - start )) s)"
  else
    failed=$((failed + 1))
    failures+=("$s")
    echo "---- FAIL $s ($(( $(date +%s) - start )) s)"
  fi
done

for f in "${failures[@]}"; do echo "failed: $f"; done
echo "e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
