#pragma once

#include <functional>

#include "app/Services.h"

namespace app {

// The start-up sequence after the platform has applied its visual style: the translation
// table, the update gate, the main window, the message loop, and the window's destruction.
// Returns the process exit code.
int RunApplication(Services& services, const std::function<void()>& runMessageLoop);

// For a platform that ends the process as soon as it has told the program (the user logs
// off): closes the main window as the user would and runs its destruction (the settings
// are saved) now, once; RunApplication then skips it. Does nothing without a main window.
void EndSessionNow();

}  // namespace app
