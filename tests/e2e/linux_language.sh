#!/usr/bin/env bash
# The Linux edition's interface language, driven from outside under Xvfb + openbox:
#  1. "CurrentLanguage" = "de" in the registry file: the window opens in German and the
#     compact window's caption during a run is the German running text with the stop
#     hotkey filled in;
#  2. the language button opens the menu at its bottom-left corner; "Français" chosen
#     there switches the window at once (the caption of the next run is French) and the
#     registry file says "fr";
#  3. after a restart the window is still French.
# Every run is a 1 s start delay and 3 clicks at an empty spot of the desktop, loaded from
# a prepared settings file. QEL_E2E_SHOTS=1 writes docs/linux-german.png and
# docs/linux-japanese.png (Japanese needs a CJK font for a readable picture; the checks
# do not).
#
#   tests/e2e/linux_language.sh [qel-autoclicker]
# Default: build/linux/src/linux/qel-autoclicker. Environment: E2E_DISPLAY (default 101),
# E2E_KEEP=1 keeps the temp folder.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/tests/e2e/lib.sh"

e2e_program "${1:-}"
TABLE=$(dirname "$APP")/transl.dt
[ -f "$TABLE" ] || e2e_fail "no translation table beside the program: $TABLE"

e2e_tempdir lang

MAIN_TITLE=$QEL_MAIN_TITLE
export APPDATA=$TMP/appdata XDG_CONFIG_HOME=$TMP/config QEL_UPDATE_URL=http://127.0.0.1:9/
DATA="$APPDATA/QEL Auto Clicker"
mkdir -p "$DATA" "$XDG_CONFIG_HOME"
REGISTRY="$DATA/registry.ini"
crlf() { printf '%s\r\n' "$@"; }

# The text of column $2 (0 = English) in the row group of English text $1 of the table.
# Columns: English, Arabic, Chinese, Czech, German (4), Greek, Spanish, French (7), ...
translated() {
  tr -d '\r' <"$TABLE" | sed '1s/^\xEF\xBB\xBF//' | awk -v key="$1" -v col="$2" '
    NR == 1 {n = $0; next}
    ((NR - 2) % n) == 0 {hit = ($0 == key); start = NR}
    hit && NR - start == col {print; exit}' || true  # an early exit of awk is no failure
}
RUN_EN="Running... Press %s to stop"
RUN_DE="  $(translated "$RUN_EN" 4)"
RUN_FR="  $(translated "$RUN_EN" 7)"
RUN_DE=${RUN_DE/\%s/Shift+Ctrl+X}
RUN_FR=${RUN_FR/\%s/Shift+Ctrl+X}
[ "$RUN_DE" != "  " ] && [ "$RUN_FR" != "  " ] || e2e_fail "the table has no German or French running text"
e2e_log "German running caption: \"$RUN_DE\", French: \"$RUN_FR\""

# Coordinates 20,20 (bare desktop, away from the compact window at the bottom right), 100 ms, 3 clicks after a 1 s start delay.
crlf "[Target]" "mode=1" "[Interval]" "ms=100" "[Repeat]" "untilStopped=0" "count=3" \
  "[Delay]" "startDelayS=1" "[Coords]" "x=20" "y=20" >"$DATA/settings.ini"
crlf "[Software\\QEL Auto Clicker]" "CurrentLanguage=de" >"$REGISTRY"

e2e_start_display "${E2E_DISPLAY:-101}" 1280x1024x24

APP_PID=
WIN=
start_app() {
  "$APP" >"$TMP/app-$1.log" 2>&1 &
  APP_PID=$!
  e2e_track $APP_PID
  WIN=$(e2e_wait_window "$MAIN_TITLE" 30) || { cat "$TMP/app-$1.log"; e2e_fail "the main window did not appear ($1)"; }
  sleep 0.5
}
stop_app() {
  kill -TERM "$APP_PID"
  for _ in $(seq 1 100); do
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$APP_PID" 2>/dev/null && e2e_fail "the program did not end"
  wait "$APP_PID" || e2e_fail "the program exited with $?"
}
click_at() { xdotool mousemove --window "$WIN" "$1" "$2" click 1; sleep 0.2; }
# run_caption EXPECTED: Start, then the caption must read EXPECTED during the start delay
# and be the main title again once the three clicks are done.
run_caption() {
  local seen
  xprop -id "$WIN" -spy _NET_WM_NAME >"$TMP/titles.txt" 2>/dev/null &
  local spy=$!
  e2e_track $spy
  sleep 0.3
  click_at $QEL_AT_START # Start
  for _ in $(seq 1 60); do
    [ "$(e2e_window_title "$WIN")" = "$1" ] && break
    sleep 0.05
  done
  seen=$(e2e_window_title "$WIN") || true
  for _ in $(seq 1 50); do
    [ "$(e2e_window_title "$WIN")" = "$MAIN_TITLE" ] && break
    sleep 0.1
  done
  kill "$spy" 2>/dev/null || true
  [ "$seen" = "$1" ] || { cat "$TMP/titles.txt"; e2e_fail "the caption during the run read \"$seen\", expected \"$1\""; }
  [ "$(e2e_window_title "$WIN")" = "$MAIN_TITLE" ] || e2e_fail "the run did not end: caption \"$(e2e_window_title "$WIN")\""
  sleep 0.3
}
# Opens the language menu from the button; sets MENU and its place and size MX MY MW MH.
open_menu() {
  read -r OX OY < <(e2e_window_origin "$WIN")
  click_at $QEL_AT_LANGUAGE # the language button
  MENU=
  for _ in $(seq 1 20); do
    MENU=$(xwininfo -root -children | awk '/"QEL Auto Clicker": \("qel-autoclicker"/ && $0 !~ /2\.4/ {print $1}' |
      while read -r w; do xwininfo -id "$w" | grep -q "IsViewable" && echo "$w"; done | head -n1) || true
    [ -n "$MENU" ] && break
    sleep 0.1
  done
  [ -n "$MENU" ] || e2e_fail "the language button opened no menu"
  sleep 0.3
  read -r MX MY < <(e2e_window_origin "$MENU")
  MW=$(xwininfo -id "$MENU" | awk '/^ *Width:/ {print $2}')
  MH=$(xwininfo -id "$MENU" | awk '/^ *Height:/ {print $2}')
}
# Picks entry $1 (0 = the first) of the open menu with the mouse: the entries share the
# menu's height (a thin border does not move the middle of an entry out of it).
LANGUAGES=$(sed -n '1{s/^\xEF\xBB\xBF//;s/\r$//;p}' "$TABLE")
pick_entry() {
  xdotool mousemove $((MX + MW / 2)) $((MY + MH * (2 * $1 + 1) / (2 * LANGUAGES))) click 1
  sleep 0.5
}
choose_language() {
  open_menu
  pick_entry "$1"
}

# ---- 1. German from the registry
start_app german
[ "${QEL_E2E_SHOTS:-0}" = 1 ] && { read -r OX OY < <(e2e_window_origin "$WIN"); mkdir -p "$ROOT/docs"; \
  import -window root -crop "569x585+$OX+$OY" +repage "$ROOT/docs/linux-german.png"; }
run_caption "$RUN_DE"
e2e_log "German at start, running caption \"$RUN_DE\""

# ---- 2. French from the menu, at once
# The menu opens at the button's bottom-left corner (client 253,556), moved up only as far
# as the screen's bottom edge makes it.
open_menu
{ [ "$MX" -eq $((OX + 253)) ] && { [ "$MY" -eq $((OY + 556)) ] || [ $((MY + MH)) -eq 1024 ]; }; } ||
  e2e_fail "the menu opened at $MX,$MY (${MH} high), not at the button's corner $((OX + 253)),$((OY + 556))"
pick_entry 7
tr -d '\r' <"$REGISTRY" | grep -qx "CurrentLanguage=fr" || { cat "$REGISTRY"; e2e_fail "the registry file does not say fr"; }
run_caption "$RUN_FR"
e2e_log "Français chosen: registry says fr, running caption \"$RUN_FR\""

# Japanese, only for the picture; then back to French for the restart check.
if [ "${QEL_E2E_SHOTS:-0}" = 1 ]; then
  choose_language 10
  read -r OX OY < <(e2e_window_origin "$WIN")
  import -window root -crop "569x585+$OX+$OY" +repage "$ROOT/docs/linux-japanese.png"
  choose_language 7
fi
stop_app

# ---- 3. still French after a restart
tr -d '\r' <"$REGISTRY" | grep -qx "CurrentLanguage=fr" || { cat "$REGISTRY"; e2e_fail "the registry file does not say fr at exit"; }
start_app french
run_caption "$RUN_FR"
stop_app
e2e_log "after a restart: French"

echo "PASS linux_language"
