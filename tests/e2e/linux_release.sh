#!/usr/bin/env bash
# The Debian package of the Linux edition, unpacked into an empty root as dpkg would lay it
# out: the program and transl.dt side by side in /usr/lib/qel-autoclicker, /usr/bin holding
# a link to it, the menu entry, the icons at the usual sizes, and a control file that names
# the libraries it needs. The installed program is started through the /usr/bin link under
# Xvfb: its main window must appear, and the process must see its executable in the private
# folder (where it then finds transl.dt). SIGTERM ends it.
#
#   tests/e2e/linux_release.sh      (takes dist/qel-autoclicker_2.4_amd64.deb, built by
#                                    scripts/build-release.sh linux when missing)
# Environment: QEL_E2E_DISPLAY (default 103).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/tests/e2e/lib.sh"
VERSION=$(sed -n 's/^project(QELAutoClicker VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
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
for lib in libc6 libqt6widgets6 libcurl4 libxtst6 libxi6; do
  grep -qw "$lib" <<<"$depends" || e2e_fail "Depends lacks $lib: $depends"
done
[ "$(dpkg-deb -f "$DEB" Package)" = qel-autoclicker ] || e2e_fail "wrong package name"
[ "$(dpkg-deb -f "$DEB" Version)" = "$VERSION" ] || e2e_fail "wrong version"
e2e_log "package contents as expected ($(stat -c %s "$DEB") bytes)"

# ---- the installed program, started through the link
e2e_start_display "${QEL_E2E_DISPLAY:-103}"
export APPDATA=$TMP/appdata XDG_CONFIG_HOME=$TMP/config QEL_UPDATE_URL=http://127.0.0.1:9/
mkdir -p "$APPDATA" "$XDG_CONFIG_HOME"
"$R/usr/bin/qel-autoclicker" >"$TMP/app.log" 2>&1 &
APP_PID=$!
e2e_track $APP_PID
WIN=$(e2e_wait_window "  QEL Auto Clicker $VERSION" 30) || { cat "$TMP/app.log"; e2e_fail "main window did not appear"; }
exe=$(readlink "/proc/$APP_PID/exe")
[ "$exe" = "$(realpath "$LIB/qel-autoclicker")" ] || e2e_fail "the process runs $exe"
e2e_log "main window $WIN of the installed program (running $exe)"
kill -TERM "$APP_PID"
for _ in $(seq 1 100); do
  kill -0 "$APP_PID" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$APP_PID" 2>/dev/null && e2e_fail "the program did not end on SIGTERM"
wait "$APP_PID" 2>/dev/null || true
echo "PASS linux_release"
