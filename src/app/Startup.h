#pragma once

#include <functional>

#include "app/Services.h"

namespace app {

// The start-up sequence after the platform has applied its visual style: the translation
// table, the update gate, the main window, the message loop, and the window's destruction.
// Returns the process exit code.
int RunApplication(Services& services, const std::function<void()>& runMessageLoop);

}  // namespace app
