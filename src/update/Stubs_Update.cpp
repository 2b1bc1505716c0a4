// TODO(update): the version check, the update dialog and the download.
#include "update/UpdateGate.h"

namespace update {
bool RunStartupGate(app::Services&) { return true; }
}  // namespace update
