#!/usr/bin/env bash
# The Debian package of the Linux edition, unpacked into an empty root as dpkg would lay it
# out: the program and transl.dt side by side in /usr/lib/qel-autoclicker, /usr/bin holding
# a link to it, the menu entry, the icons at the usual sizes, and a control file that names
# the libraries it needs. The installed program is started through the /usr/bin link under
# Xvfb with German chosen: its main window must appear, the process must see its executable
# in the private folder, and the caption during a run must be the German running text, so
# the table beside it was found there. SIGTERM ends it.
#
#   tests/e2e/linux_release.sh      (takes dist/qel-autoclicker_2.4_amd64.deb, built by
#                                    scripts/build-release.sh linux when missing)
# Environment: QEL_E2E_DISPLAY (default 103).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/tests/e2e/lib.sh"
VERSION=$QEL_VERSION
DEB=$ROOT/dist/qel-autoclicker_${VERSION}_amd64.deb
TMP=$(mktemp -d /tmp/qel-rel-lin.XXXXXX)
trap 'set +e; e2e_cleanup; rm -rf "$TMP"' EXIT

[ -f "$DEB" ] || "$ROOT/scripts/build-release.sh" linux
[ -f "$DEB" ] || e2e_fail "no $DEB"

# ---- the package's contents
dpkg-deb -x "$DEB" "$TMP/root"
R=$TMP/root
LIB=$R/usr/lib/qel-autoclicker
[ -x "$LIB/qel-autoclicker" ] || e2e_fail "no executable in /usr/lib/qel-autoclicker"
cmp -s "$LIB/transl.dt" "$ROOT/data/transl.dt" || e2e_fail "transl.dt beside the executable is missing or differs"
[ -L "$R/usr/bin/qel-autoclicker" ] || e2e_fail "/usr/bin/qel-autoclicker is not a link"
[ "$(realpath "$R/usr/bin/qel-autoclicker")" = "$(realpath "$LIB/qel-autoclicker")" ] ||
  e2e_fail "/usr/bin/qel-autoclicker points to $(readlink "$R/usr/bin/qel-autoclicker")"
DESKTOP=$R/usr/share/applications/qel-autoclicker.desktop
[ -f "$DESKTOP" ] || e2e_fail "no menu entry"
for line in "Type=Application" "Name=QEL Auto Clicker" "Exec=qel-autoclicker" "Icon=qel-autoclicker"; do
  grep -qxF "$line" "$DESKTOP" || e2e_fail "menu entry lacks \"$line\""
done
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$DESKTOP"; fi
for size in 16 32 48 64 128 256; do
  png=$R/usr/share/icons/hicolor/${size}x${size}/apps/qel-autoclicker.png
  [ -f "$png" ] || e2e_fail "no ${size}x${size} icon"
  got=$(identify -format '%wx%h' "$png")
  [ "$got" = "${size}x${size}" ] || e2e_fail "the ${size}x${size} icon is $got"
done
depends=$(dpkg-deb -f "$DEB" Depends)
[ -n "$depends" ] || e2e_fail "the control file names no dependencies"
for lib in libc6 libqt6widgets6 libcurl4 libxtst6; do
  grep -qw "$lib" <<<"$depends" || e2e_fail "Depends lacks $lib: $depends"
done
# XInput is not used by the program; the package must not pull it in.
! grep -qw libxi6 <<<"$depends" || e2e_fail "Depends names libxi6, which the program does not use: $depends"
[ "$(dpkg-deb -f "$DEB" Package)" = qel-autoclicker ] || e2e_fail "wrong package name"
[ "$(dpkg-deb -f "$DEB" Version)" = "$VERSION" ] || e2e_fail "wrong version"
e2e_log "package contents as expected ($(stat -c %s "$DEB") bytes)"

# ---- the installed program, started through the link
e2e_start_display "${QEL_E2E_DISPLAY:-103}"
export APPDATA=$TMP/appdata XDG_CONFIG_HOME=$TMP/config QEL_UPDATE_URL=http://127.0.0.1:9/
DATA="$APPDATA/QEL Auto Clicker"
mkdir -p "$DATA" "$XDG_CONFIG_HOME"
# The German running text: row groups of (count of languages) lines, English first,
# German in column 4.
RUN_DE=$(tr -d '\r' <"$LIB/transl.dt" | sed '1s/^\xEF\xBB\xBF//' | awk -v key="Running... Press %s to stop" '
  NR == 1 {n = $0; next}
  ((NR - 2) % n) == 0 {hit = ($0 == key); start = NR}
  hit && NR - start == 4 && !found {print; found = 1}')
[ -n "$RUN_DE" ] || e2e_fail "the table has no German running text"
RUN_DE="  ${RUN_DE/\%s/Shift+Ctrl+X}"
# Coordinates 20,20 (bare desktop), 100 ms, 3 clicks after a 1 s start delay; German.
printf '%s\r\n' "[Target]" "mode=1" "[Interval]" "ms=100" "[Repeat]" "untilStopped=0" "count=3" \
  "[Delay]" "startDelayS=1" "[Coords]" "x=20" "y=20" >"$DATA/settings.ini"
printf '%s\r\n' "[Software\\QEL Auto Clicker]" "CurrentLanguage=de" >"$DATA/registry.ini"
"$R/usr/bin/qel-autoclicker" >"$TMP/app.log" 2>&1 &
APP_PID=$!
e2e_track $APP_PID
WIN=$(e2e_wait_window "  QEL Auto Clicker $VERSION" 30) || { cat "$TMP/app.log"; e2e_fail "main window did not appear"; }
exe=$(readlink "/proc/$APP_PID/exe")
[ "$exe" = "$(realpath "$LIB/qel-autoclicker")" ] || e2e_fail "the process runs $exe"
e2e_log "main window $WIN of the installed program (running $exe)"
sleep 0.5
TITLE="  QEL Auto Clicker $VERSION"
xdotool mousemove --window "$WIN" 62 26 click 1 # Start
seen=""
for _ in $(seq 1 60); do
  seen=$(e2e_window_title "$WIN" || true)
  [ "$seen" = "$RUN_DE" ] && break
  sleep 0.05
done
[ "$seen" = "$RUN_DE" ] || e2e_fail "the caption during the run read \"$seen\", expected \"$RUN_DE\""
for _ in $(seq 1 50); do
  [ "$(e2e_window_title "$WIN")" = "$TITLE" ] && break
  sleep 0.1
done
[ "$(e2e_window_title "$WIN")" = "$TITLE" ] || e2e_fail "the run did not end: caption \"$(e2e_window_title "$WIN")\""
e2e_log "German running caption \"$RUN_DE\""
kill -TERM "$APP_PID"
for _ in $(seq 1 100); do
  kill -0 "$APP_PID" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$APP_PID" 2>/dev/null && e2e_fail "the program did not end on SIGTERM"
wait "$APP_PID" 2>/dev/null || true
echo "PASS linux_release"
