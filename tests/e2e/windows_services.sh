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
# Environment: QEL_WIN_BUILD (the cross build folder whose tests/windows holds the probes;
# default build/windows), WINEPREFIX (default /tmp/wine-winsvc), QEL_E2E_DISPLAY (default 95).
set -euo pipefail
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
WORK=$(mktemp -d /tmp/qel-winsvc-e2e.XXXXXX)

cleanup() {
  e2e_cleanup
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# --- the probes, built with the edition -------------------------------------------------------
for tool in services_probe ini_agreement fit_font; do
  [ -f "$BUILD/tests/windows/$tool.exe" ] || e2e_fail "missing $BUILD/tests/windows/$tool.exe (build the Windows edition)"
  cp "$BUILD/tests/windows/$tool.exe" "$WORK/"
done

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
    eval "xdotool $args" >"$WORK/handshake/$id.tmp" 2>&1 || true  # the probe judges the step
    mv "$WORK/handshake/$id.tmp" "$WORK/handshake/$id.done"
    handled=$((handled + 1))
  done
  if (( $(date +%s) > deadline )); then
    cat "$log"
    e2e_fail "services_probe.exe did not finish within 300 s"
  fi
  sleep 0.1
done
rc=0
wait "$probe" || rc=$?
grep -av '^STEP ' "$log" | tr -d '\r' || true
e2e_log "services probe: exit $rc after $(( $(date +%s) - t0 )) s"
[ "$rc" -eq 0 ] || e2e_fail "services_probe.exe reported failures (exit $rc)"

# --- profile files agree with the portable INI rules -------------------------------------------
cases="$ROOT/tests/data/ini_cases.txt"
[ -f "$cases" ] || e2e_fail "missing $cases"
t0=$(date +%s)
mkdir -p "$WORK/ini"
rc=0
wine "$WORK/ini_agreement.exe" "$(winpath "$cases")" "$(winpath "$WORK/ini")" 2>&1 | tr -d '\r' || rc=${PIPESTATUS[0]}
e2e_log "ini agreement: exit $rc after $(( $(date +%s) - t0 )) s"
[ "$rc" -eq 0 ] || e2e_fail "GetPrivateProfileStringW disagrees with the INI case table (exit $rc)"

wine "$WORK/fit_font.exe" 2>&1 | tr -d '\r' || e2e_fail "fitting a long caption (fit_font.exe)"

e2e_log "PASS windows services"
