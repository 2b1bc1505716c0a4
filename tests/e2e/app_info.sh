# The program's identity as the scripts see it (sourced): the version from the build's one
# version line, and the main window's caption made from it.
_app_info_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
QEL_VERSION=$(sed -n 's/^set(QEL_VERSION \([0-9.]*\))$/\1/p' "$_app_info_root/cmake/Version.cmake")
[ -n "$QEL_VERSION" ] || { echo "app_info.sh: no version in cmake/Version.cmake" >&2; exit 1; }
# The caption starts with two blanks, as the program writes it.
QEL_MAIN_TITLE="  QEL Auto Clicker $QEL_VERSION"
unset _app_info_root
