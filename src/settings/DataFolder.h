#pragma once

#include <string>

#include "platform/System.h"

namespace settings {

// The per-user data folder: APPDATA when set and not empty; otherwise the platform's
// per-user configuration folder (empty on Windows); otherwise the executable's folder;
// then a delimiter and the application title. Asking for either path below creates the
// folder with its missing parents; a failure shows only later, when the file is written.
std::string GetDataFolder(platform::Environment& env);

// The data folder, a delimiter and "settings.ini".
std::string GetSettingsFileName(platform::Environment& env);

// The macro folder below the data folder ("Macros", no delimiter at the end), created too.
std::string GetMacrosFolder(platform::Environment& env);

}  // namespace settings
