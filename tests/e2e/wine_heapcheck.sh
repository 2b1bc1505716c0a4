#!/usr/bin/env bash
# The Windows end-to-end scripts once more, with the closest check to a sanitizer that the
# cross build allows (mingw-w64 has no ASan runtime):
#  - the Windows edition built with libstdc++'s assertions (bounds of operator[], front(),
#    back(), iterators...) and stack protectors, in build/windows-check;
#  - Wine's heap checking: WINEDEBUG warn+heap turns on parameter validation and tail and
#    free checking for the process heap, and the GlobalFlag of QELAutoClicker.exe and of the
#    services probes (validate all, tail, free, parameters) sets them for every heap of
#    those processes, the C runtime's too, and has every heap call check the whole heap.
# Wine's stderr of every process goes into a log per script (the scripts often discard
# it); the summary lists every heap complaint, every assertion or stack-protector abort
# and every unhandled exception found there.
#
#   tests/e2e/wine_heapcheck.sh [SCRIPT...]    (default: every tests/e2e/windows_*.sh)
# Environment: QEL_HEAP_DISPLAY (first display number, default 169, one per script),
# QEL_HEAP_PREFIX (Wine prefix stem, default /tmp/qel-heapcheck-wine; each script gets a
# copy of one prefix made here), QEL_HEAP_LOGS (default build/windows-check/heap-logs),
# QEL_HEAP_GLOBALFLAG (default 0xf0, see below), QEL_HEAP_WINEDEBUG (default
# -all,err+all,warn+heap).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT" || exit 1
BUILD=$ROOT/build/windows-check
LOGS=${QEL_HEAP_LOGS:-$BUILD/heap-logs}
PREFIX=${QEL_HEAP_PREFIX:-/tmp/qel-heapcheck-wine}

# Also the flags for the probes that windows_services.sh builds against this core.
export QEL_WIN_CXXFLAGS="-D_GLIBCXX_ASSERTIONS -fstack-protector-strong"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS=$QEL_WIN_CXXFLAGS" >/dev/null || exit 1
cmake --build "$BUILD" -j2 || exit 1

if [ $# -gt 0 ]; then scripts=("$@"); else scripts=(tests/e2e/windows_*.sh); fi
rm -rf "$LOGS"
mkdir -p "$LOGS"

# One prefix, made once, with the heap flags for our executable; every script gets a copy.
export WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
if [ ! -f "$PREFIX-template/system.reg" ]; then
  WINEPREFIX=$PREFIX-template wineboot -i >/dev/null 2>&1 || true
  WINEPREFIX=$PREFIX-template wineserver -w
fi
# FLG_HEAP_ENABLE_TAIL_CHECK | FLG_HEAP_ENABLE_FREE_CHECK | FLG_HEAP_VALIDATE_PARAMETERS |
# FLG_HEAP_VALIDATE_ALL. The last walks the whole heap on every call: with the 1000 files of
# windows_macros.sh's hostile folder the program then misses that script's 5 s answer, and
# QEL_HEAP_GLOBALFLAG=0x70 leaves it out (each block is still checked when it is freed).
# Any of these flags slows Wine's own profile writer so much that windows_settings.sh's
# 10 MB file is not written back within that script's 20 s.
# The probes of windows_services.sh run our services and core too.
for exe in QELAutoClicker.exe services_probe.exe ini_agreement.exe; do
  WINEPREFIX=$PREFIX-template wine reg add \
    "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\$exe" \
    /v GlobalFlag /t REG_DWORD /d "${QEL_HEAP_GLOBALFLAG:-0xf0}" /f >/dev/null 2>&1 || exit 1
done
WINEPREFIX=$PREFIX-template wineserver -w

# A `wine` first on PATH that copies each process's stderr into the script's log and still
# passes it on, so the scripts see what they always saw.
SHIM=$(mktemp -d /tmp/qel-heapcheck-shim.XXXXXX)
trap 'rm -rf "$SHIM"' EXIT
REAL_WINE=$(command -v wine)
cat >"$SHIM/wine" <<EOF
#!/usr/bin/env bash
exec "$REAL_WINE" "\$@" 2> >(tee -a "\$QEL_HEAP_LOG" >&2)
EOF
chmod +x "$SHIM/wine"
export PATH=$SHIM:$PATH
export QEL_WINEDEBUG=${QEL_HEAP_WINEDEBUG:--all,err+all,warn+heap}

display=${QEL_HEAP_DISPLAY:-169}
declare -A result duration
for s in "${scripts[@]}"; do
  name=$(basename "$s" .sh)
  export QEL_HEAP_LOG=$LOGS/$name.log
  : >"$QEL_HEAP_LOG"
  export WINEPREFIX=$PREFIX-$name
  rm -rf "$WINEPREFIX"
  cp -a "$PREFIX-template" "$WINEPREFIX"
  export QEL_E2E_DISPLAY=$display QEL_WIN_BUILD=$BUILD
  display=$((display + 1))
  echo "---- $s (display :$QEL_E2E_DISPLAY, prefix $WINEPREFIX)"
  start=$(date +%s)
  if timeout 1200 bash "$s" "$BUILD"; then result[$name]=pass; else result[$name]=FAIL; fi
  duration[$name]=$(($(date +%s) - start))
  wineserver -k 2>/dev/null || true
  echo "---- ${result[$name]} $s (${duration[$name]} s)"
done

echo
found=0
pattern='(warn|err):heap|heap.*(corrupt|invalid|overwritten|bad )|_GLIBCXX|__stack_chk_fail|stack smashing|Assertion|Unhandled exception|page fault|err:seh'
for s in "${scripts[@]}"; do
  name=$(basename "$s" .sh)
  n=$(grep -Eic "$pattern" "$LOGS/$name.log") || true
  [ "$n" -gt 0 ] && found=1
  echo "${result[$name]} $name (${duration[$name]} s): $n heap or check reports, $(wc -l <"$LOGS/$name.log") log lines"
done
if [ $found = 1 ]; then
  echo "-- reports"
  grep -EiH "$pattern" "$LOGS"/*.log | sort | uniq -c | sort -rn | head -50 || true
fi
echo "logs: $LOGS"
failed=0
for s in "${scripts[@]}"; do [ "${result[$(basename "$s" .sh)]}" = pass ] || failed=1; done
[ $failed = 0 ] && [ $found = 0 ]
