# The program's identity as the scripts see it (sourced): the version from the build's one
# version line, and the main window's caption made from it.
_app_info_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
QEL_VERSION=$(sed -n 's/^set(QEL_VERSION \([0-9.]*\))$/\1/p' "$_app_info_root/cmake/Version.cmake")
[ -n "$QEL_VERSION" ] || { echo "app_info.sh: no version in cmake/Version.cmake" >&2; exit 1; }
# The caption starts with two blanks, as the program writes it.
QEL_MAIN_TITLE="  QEL Auto Clicker $QEL_VERSION"
unset _app_info_root

# Where the main window's controls are, in its client area at 96 DPI ("X Y", for
# xdotool mousemove --window): one place for every script of both editions.
QEL_AT_START="62 26"
QEL_AT_COORDINATES="50 125"
QEL_AT_MACROS="50 160"
QEL_AT_CREATE="43 197"
QEL_AT_REMOVE="112 197"
QEL_AT_RENAME="180 197"
QEL_AT_REPEAT_UNTIL_STOPPED="290 333"
QEL_AT_REPEAT_COUNT="290 357"
QEL_AT_LANGUAGE="280 543"
QEL_AT_ABOUT="495 543"
QEL_AT_OPTIONS="70 543"
QEL_AT_COORD_X="130 126"
QEL_AT_COORD_Y="196 126"
# The options dialog's controls, in its client area.
QEL_OPT_AT_RADIUS="330 28"
QEL_OPT_AT_CORNER_STOP="20 96"
QEL_OPT_AT_RECORD_KEYS="20 122"
QEL_OPT_AT_RECORD_WHEEL="20 148"
QEL_OPT_AT_SPEED="330 180"
QEL_OPT_AT_HOTKEYS="67 224"
QEL_OPT_AT_OK="252 224"
QEL_OPT_AT_CANCEL="345 224"
