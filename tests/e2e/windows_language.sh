#!/bin/bash
# The Windows edition's interface language under Wine + Xvfb, driven from outside:
#  1. HKCU\Software\QEL Auto Clicker\CurrentLanguage = "de": the window opens in German
#     and the compact window's caption during a run is the German running text with the
#     stop hotkey filled in;
#  2. the language button opens the menu at its bottom-left corner; "Français" chosen
#     there makes the next run's caption French at once and the registry value says "fr";
#  3. after a restart the window is still French.
# Every run is a 1 s start delay and 3 clicks at an empty spot of the screen, loaded from a
# prepared settings file. QEL_E2E_SHOTS=1 writes docs/windows-german.png and
# docs/windows-japanese.png.
#
#   tests/e2e/windows_language.sh [build dir]    (default: build/windows)
# Environment: see tests/e2e/win/lib.sh (display 102 and prefix /tmp/wine-lang by default
# here).
set -euo pipefail
export QEL_E2E_DISPLAY=${QEL_E2E_DISPLAY:-102}
export WINEPREFIX=${WINEPREFIX:-/tmp/wine-lang}
source "$(dirname "$0")/win/lib.sh"
trap win_cleanup EXIT
win_exe "${1:-}"
SHOTS=${QEL_E2E_SHOTS:-0}
[ -f "$WIN_TRANSL" ] || win_fail "no translation table beside the program: $WIN_TRANSL"

# The text of column $2 (0 = English) in the row group of English text $1 of the table.
# (awk reads to the end: an early exit would break the pipe, fatal under pipefail.)
# Columns: English, Arabic, Chinese, Czech, German (4), Greek, Spanish, French (7), ...
translated() {
  tr -d '\r' <"$WIN_TRANSL" | sed '1s/^\xEF\xBB\xBF//' | awk -v key="$1" -v col="$2" '
    NR == 1 {n = $0; next}
    ((NR - 2) % n) == 0 {hit = ($0 == key); start = NR}
    hit && NR - start == col && !found {print; found = 1}'
}
RUN_EN="Running... Press %s to stop"
RUN_DE="  $(translated "$RUN_EN" 4)"
RUN_FR="  $(translated "$RUN_EN" 7)"
RUN_DE=${RUN_DE/\%s/Shift+Ctrl+X}
RUN_FR=${RUN_FR/\%s/Shift+Ctrl+X}
[ "$RUN_DE" != "  " ] && [ "$RUN_FR" != "  " ] || win_fail "the table has no German or French running text"
echo "German running caption: \"$RUN_DE\", French: \"$RUN_FR\""

KEY='HKCU\Software\QEL Auto Clicker'
reg_language() {
  wine reg query "$KEY" /v CurrentLanguage 2>/dev/null | tr -d '\r' | awk '/CurrentLanguage/ {print $NF}'
}

win_start_display
win_start_wine
wine reg add "$KEY" /v CurrentLanguage /t REG_SZ /d de /f >/dev/null 2>&1 || win_fail "reg add"
[ "$(reg_language)" = de ] || win_fail "the registry value could not be set"

# Coordinates 20,20 (bare screen, away from the compact window at the bottom right),
# 100 ms, 3 clicks after a 1 s start delay.
mkdir -p "$WIN_WORK/appdata/QEL Auto Clicker"
printf '%s\r\n' "[Target]" "mode=1" "[Interval]" "ms=100" "[Repeat]" "untilStopped=0" "count=3" \
  "[Delay]" "startDelayS=1" "[Coords]" "x=20" "y=20" >"$WIN_WORK/appdata/QEL Auto Clicker/settings.ini"

# run_caption EXPECTED: Start; the caption must read EXPECTED during the start delay and be
# the main title again once the three clicks are done.
run_caption() {
  local seen="" name
  # shellcheck disable=SC2086
  win_click $WIN_START
  for _ in $(seq 1 60); do
    seen=$(xdotool getwindowname "$WIN" 2>/dev/null || true)
    [ "$seen" = "$1" ] && break
    sleep 0.05
  done
  for _ in $(seq 1 80); do
    name=$(xdotool getwindowname "$WIN" 2>/dev/null || true)
    [ "$name" = "$WIN_TITLE" ] && break
    sleep 0.1
  done
  [ "$seen" = "$1" ] || win_fail "the caption during the run read \"$seen\", expected \"$1\""
  [ "$name" = "$WIN_TITLE" ] || win_fail "the run did not end: caption \"$name\""
  sleep 0.5
}
# Opens the language menu from the button; sets MENU and its place and size MX MY MW MH.
open_menu() {
  win_geometry "$WIN"
  OX=$X OY=$Y
  win_click 280 543
  MENU=""
  for _ in $(seq 1 20); do
    MENU=$(xwininfo -root -children | awk '/\(has no name\): \("qelautoclicker.exe"/ && $0 !~ / 1x1\+/ {print $1}' |
      while read -r w; do xwininfo -id "$w" | grep -q "IsViewable" && echo "$w"; done | head -n1 || true)
    [ -n "$MENU" ] && break
    sleep 0.1
  done
  [ -n "$MENU" ] || win_fail "the language button opened no menu"
  sleep 0.3
  win_geometry "$MENU"
  MX=$X MY=$Y MW=$WIDTH MH=$HEIGHT
}
# Picks entry $1 (0 = the first) of the open menu with the mouse: the entries share the
# menu's height (the thin border does not move the middle of an entry out of it).
LANGUAGES=$(sed -n '1{s/^\xEF\xBB\xBF//;s/\r$//;p}' "$WIN_TRANSL")
pick_entry() {
  xdotool mousemove $((MX + MW / 2)) $((MY + MH * (2 * $1 + 1) / (2 * LANGUAGES))) click 1
  sleep 0.7
}
stop_app() {
  win_close_app
  win_wait_app_end 15 || win_fail "the program did not end after its window was closed"
}

# A CJK font in place of the window's font while the Japanese picture is taken (Wine has
# no font of its own with those glyphs; the checks do not need it). Taken back at exit.
SUBST='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
cjk_font() {
  if [ "$1" = on ]; then
    wine reg add "$SUBST" /v "Segoe UI" /t REG_SZ /d "WenQuanYi Zen Hei" /f >/dev/null 2>&1 || true
  else
    wine reg delete "$SUBST" /v "Segoe UI" /f >/dev/null 2>&1 || true
  fi
}

# ---- 1. German from the registry
win_start_app
if [ "$SHOTS" = 1 ]; then
  mkdir -p "$WIN_ROOT/docs"
  import -window root "$WIN_WORK/screen-german.png"
  convert "$WIN_WORK/screen-german.png" -crop "$((WIDTH + 16))x$((HEIGHT + 48))+$((OX - 8))+$((OY - 40))" \
    +repage "$WIN_ROOT/docs/windows-german.png"
fi
run_caption "$RUN_DE"
echo "German at start, running caption \"$RUN_DE\""

# ---- 2. French from the menu, at once
# The menu opens at the button's bottom-left corner (client 253,556), moved up only as far
# as the screen's bottom edge makes it.
open_menu
{ [ "$MX" -eq $((OX + 253)) ] && { [ "$MY" -eq $((OY + 556)) ] || [ $((MY + MH)) -eq 1024 ]; }; } ||
  win_fail "the menu opened at $MX,$MY (${MH} high), not at the button's corner $((OX + 253)),$((OY + 556))"
pick_entry 7
[ "$(reg_language)" = fr ] || win_fail "the registry value is \"$(reg_language)\" after choosing Français"
run_caption "$RUN_FR"
echo "Français chosen: registry says fr, running caption \"$RUN_FR\""
# Japanese, only for the picture; then back to French for the restart check.
if [ "$SHOTS" = 1 ]; then
  open_menu
  pick_entry 10
  stop_app
  cjk_font on
  win_start_app
  cjk_font off
  import -window root "$WIN_WORK/screen-japanese.png"
  convert "$WIN_WORK/screen-japanese.png" -crop "$((WIDTH + 16))x$((HEIGHT + 48))+$((X - 8))+$((Y - 40))" \
    +repage "$WIN_ROOT/docs/windows-japanese.png"
  open_menu
  pick_entry 7
fi
stop_app

# ---- 3. still French after a restart
win_start_app
run_caption "$RUN_FR"
stop_app
echo "after a restart: French"
echo "PASS"
