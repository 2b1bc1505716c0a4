#!/bin/bash
# End-to-end test of the Windows edition under Wine + Xvfb: settings changed by the user
# survive the end of the session (log-off), which may end the process right after
# WM_ENDSESSION. The session is ended with `wineboot --end-session`.
#
#   tests/e2e/windows_session_end.sh [build dir]    (default: build/windows)
# Environment: see tests/e2e/win/lib.sh.
set -euo pipefail
source "$(dirname "$0")/win/lib.sh"
trap win_cleanup EXIT
win_exe "${1:-}"

win_start_display
win_start_wine
win_start_app

# shellcheck disable=SC2086
{
  win_click $WIN_TOPMOST                       # "Always on top"
  win_click $WIN_REPEAT_COUNT                  # "Repeat", which enables its count
  win_set_field $WIN_REPEAT 777
  win_click $WIN_MILLIS                        # leaves the repeat field: 777 is taken
  win_click $WIN_CLICK_TYPE                    # opens "Click Type", then picks "Hold"
}
xdotool key Down Down Return
sleep 0.5

T0=$(date +%s.%N)
wineboot --end-session >/dev/null 2>&1 || true
win_wait_app_end 10 || win_fail "the program did not end with the session"
echo "session ended in $(echo "$(date +%s.%N) - $T0" | bc) s"

INI="$WIN_APPDATA/QEL Auto Clicker/settings.ini"
[ -f "$INI" ] || win_fail "no settings file after the session ended"
SETTINGS=$(tr -d '\r' <"$INI")
for line in topMost=1 count=777 type=2; do
  grep -qx "$line" <<<"$SETTINGS" || win_fail "\"$line\" not saved: $SETTINGS"
done
echo "PASS"
