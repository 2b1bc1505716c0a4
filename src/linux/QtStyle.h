#pragma once

#include <string>

namespace linuxdesktop {

// The "Midnight Express Green" look: Fusion, a dark palette and green accents. False with
// the reason when it cannot be applied; the default look stays then.
bool ApplyMidnightExpressGreen(std::string& error);

}  // namespace linuxdesktop
