#!/usr/bin/env bash
# The Linux end-to-end scripts once more, against the program built with AddressSanitizer,
# LeakSanitizer and UBSan (preset linux-asan), one after the other. Every sanitized process
# writes its reports into a folder per script (the scripts themselves often discard the
# program's stderr), and a summary at the end tells reports that pass through our own
# sources (src/) from those that stay inside libraries. It fails when a script fails or a
# report reaches our code.
#
#   tests/e2e/sanitized.sh [SCRIPT...]
# Default: every tests/e2e/linux_*.sh, then the update dialog's run against a local server
# (tests/http/run_dialog_linux.sh). The benchmark smoke check is left out: its display is
# fixed and its threshold is meant for the ordinary build.
# Environment: QEL_SAN_DISPLAY (first of the display numbers used, default 160; a script
# gets one number, the next script the next; linux_faults.sh borrows the number after its
# own while it runs), QEL_SAN_REPORTS (report folder, default
# build/linux-asan/sanitizer-reports, emptied first), QEL_SAN_BUILD=0 skips the build.
# linux_release.sh checks the Debian package, which holds the ordinary build: it runs here
# for completeness but exercises no sanitized binary.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT" || exit 1
BUILD=$ROOT/build/linux-asan
REPORTS=${QEL_SAN_REPORTS:-$BUILD/sanitizer-reports}

if [ "${QEL_SAN_BUILD:-1}" = 1 ]; then
  cmake --preset linux-asan >/dev/null || exit 1
  cmake --build --preset linux-asan -j2 || exit 1
fi

# An entry may carry arguments; @DISPLAY@ stands for the display number it gets.
if [ $# -gt 0 ]; then
  scripts=("$@")
else
  scripts=(tests/e2e/linux_*.sh "tests/http/run_dialog_linux.sh $BUILD/src/linux/qel-autoclicker @DISPLAY@")
fi

rm -rf "$REPORTS"
mkdir -p "$REPORTS"
export QEL_LINUX_BIN=$BUILD/src/linux/qel-autoclicker
export QEL_XTARGET=$BUILD/tests/e2e/xtarget
export QEL_X11_PROBE=$BUILD/tests/e2e/x11/x11_services_probe

display=${QEL_SAN_DISPLAY:-160}
declare -A result duration
name_of() { basename "${1%% *}" .sh; }
for s in "${scripts[@]}"; do
  name=$(name_of "$s")
  dir=$REPORTS/$name
  mkdir -p "$dir"
  export ASAN_OPTIONS="detect_leaks=1:log_path=$dir/asan:malloc_context_size=40:detect_stack_use_after_return=1:check_initialization_order=1"
  export LSAN_OPTIONS="suppressions=$ROOT/tests/e2e/lsan.supp:print_suppressions=1"
  export UBSAN_OPTIONS="print_stacktrace=1:log_path=$dir/ubsan"
  export E2E_DISPLAY=$display QEL_E2E_DISPLAY=$display E2E_X11_DISPLAY=$display
  display=$((display + 1))
  echo "---- $s (display :$E2E_DISPLAY)"
  start=$(date +%s)
  # shellcheck disable=SC2086  # the entries carry their arguments
  if timeout 1200 bash ${s//@DISPLAY@/$E2E_DISPLAY}; then result[$name]=pass; else result[$name]=FAIL; fi
  duration[$name]=$(($(date +%s) - start))
  echo "---- ${result[$name]} $s (${duration[$name]} s)"
done
unset ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS

# One line per script, then the reports in full whose first frame outside the sanitizer
# runtime and the C and C++ runtimes lies in src/ (ours), and one line for each report
# that reaches a library from our code (the library frame, then our nearest frame).
names=()
for s in "${scripts[@]}"; do names+=("$(name_of "$s")"); done
clean=0
python3 - "$REPORTS" "$ROOT/src/" "${names[@]}" <<'EOF' || clean=$?
import os, re, sys
reports, src, scripts = sys.argv[1], sys.argv[2], sys.argv[3:]
start = re.compile(r"^(==\d+==ERROR: \w+Sanitizer|Direct leak of|Indirect leak of|.*: runtime error: )")
frame = re.compile(r"^\s*#\d+ 0x[0-9a-f]+ (?:in )?(.*)$")
runtime = re.compile(r"libsanitizer|libasan|libubsan|libc\.so|libstdc\+\+|/libc-|csu/|sysdeps/|include/c\+\+/")
ours_total = 0  # ours and library calls of ours: both need a look
details = []
for name in scripts:
    d = os.path.join(reports, name)
    counts = {"ours": 0, "via": 0, "libs": 0}
    suppressed = {}
    for f in sorted(os.listdir(d)) if os.path.isdir(d) else []:
        lines = open(os.path.join(d, f), errors="replace").read().splitlines()
        blocks, cur, in_supp = [], None, False
        for line in lines:
            if line.startswith("Suppressions used:"):
                in_supp = True
                continue
            m = re.match(r"^\s*(\d+)\s+(\d+)\s+(\S+)$", line)
            if in_supp and m:
                suppressed[m.group(3)] = suppressed.get(m.group(3), 0) + int(m.group(1))
                continue
            elif in_supp and line.startswith("---"):
                in_supp = False
            if start.match(line):
                cur = [line]
                blocks.append(cur)
            elif cur is not None and line.strip():
                cur.append(line)
            elif cur is not None and len(cur) > 2:
                cur = None
        for b in blocks:
            if b[0].startswith("==") and "LeakSanitizer" in b[0]:
                continue
            frames = [m.group(1) for m in map(frame.match, b) if m]
            if not frames and src in b[0]:
                frames = [b[0]]          # UBSan without a stack: the place is in the line
            first = next((fr for fr in frames if not runtime.search(fr)), "")
            if src in first:
                counts["ours"] += 1
                details.append(f"== {name}/{f}\n" + "\n".join(b))
            elif any(src in fr for fr in frames):
                counts["via"] += 1
                mine = next(fr for fr in frames if src in fr)
                details.append(f"-- {name}/{f}: {b[0].strip()[:60]} | {first[:90]} | from {mine}")
            else:
                counts["libs"] += 1
    ours_total += counts["ours"] + counts["via"]
    print(f"{name:24} ours: {counts['ours']:3}  library, called by us: {counts['via']:3}"
          f"  library only: {counts['libs']:3}" + (" suppressed: " + ", ".join(f"{k} x{v}" for k, v in suppressed.items()) if suppressed else ""))
for t in details:
    print(t)
sys.exit(1 if ours_total else 0)
EOF

echo
for name in "${names[@]}"; do echo "${result[$name]} $name (${duration[$name]} s)"; done
echo "reports: $REPORTS"
failed=0
for name in "${names[@]}"; do [ "${result[$name]}" = pass ] || failed=1; done
[ $failed = 0 ] && [ $clean = 0 ]
