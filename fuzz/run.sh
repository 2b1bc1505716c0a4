#!/usr/bin/env bash
# Runs every fuzz target (or the ones named) for SECONDS each on a copy of its seed corpus,
# so the inputs a run finds never land in the source tree. Crashes, leaks, time-outs and
# out-of-memory inputs are kept in build/fuzz/artifacts/<target>/ and fail the run.
# Each target gets -timeout=10 -rss_limit_mb=2048 -max_len=4096.
# Usage: fuzz/run.sh SECONDS [target...]   (build first with fuzz/build.sh)
# FUZZ_BIN and FUZZ_ARTIFACTS override the folder of the binaries and of the findings.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:?usage: fuzz/run.sh SECONDS [target...]}"
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(macro_file profile_file translation_table update_pages signature_line)

bin="${FUZZ_BIN:-$root/build/fuzz}"
artifacts="${FUZZ_ARTIFACTS:-$bin/artifacts}"
work="$(mktemp -d "${TMPDIR:-/tmp}/qel-fuzz.XXXXXX")"
trap 'rm -rf "$work"' EXIT
failed=0
printf '%-18s %12s %8s %6s %6s  %s\n' target executions exec/s cov ft result
for t in "${targets[@]}"; do
  exe="$bin/fuzz_$t"
  if [ ! -x "$exe" ]; then
    echo "$t: $exe is missing; run fuzz/build.sh" >&2
    failed=1
    continue
  fi
  mkdir -p "$work/$t" "$artifacts/$t"
  cp "$root/fuzz/corpus/$t/"* "$work/$t/"
  dict=()
  [ -f "$root/fuzz/$t.dict" ] && dict=(-dict="$root/fuzz/$t.dict")
  log="$artifacts/$t/last-run.log"
  rc=0
  (cd "$work" && "$exe" "$work/$t" "${dict[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$artifacts/$t/") >"$log" 2>&1 || rc=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -1 | cut -d' ' -f2) || true
  ft=$(grep -oE 'ft: [0-9]+' "$log" | tail -1 | cut -d' ' -f2) || true
  result=ok
  if [ $rc -ne 0 ]; then
    result="FAILED (exit $rc, log $log)"
    failed=1
    grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error|artifact_prefix|Test unit written)' "$log" | head -8 >&2 || true
  fi
  printf '%-18s %12s %8s %6s %6s  %s\n' "$t" "${execs:-?}" "${rate:-?}" "${cov:-?}" "${ft:-?}" "$result"
done
exit $failed
