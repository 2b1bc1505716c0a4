#pragma once

#include <string>

namespace linuxdesktop {

// Whether an X server can be reached at all (DISPLAY set and accepting us); the reason
// in plain words when not. Checked before Qt starts, which would abort without one.
bool CanReachX11Display(std::string& why);

}  // namespace linuxdesktop
