#pragma once

#include <cstdint>

namespace app {

inline constexpr const char* kAppTitle = "QEL Auto Clicker";
inline constexpr const char* kVersionText = "2.4";
// The version as the update server compares it: the version times ten.
inline constexpr int kVersionNumber = 24;
// The maker's web address, full form for the link and short form for the about box.
inline constexpr const char* kWebsiteUrl = "https://qel-autoclicker.app";
inline constexpr const char* kWebsiteHost = "qel-autoclicker.app";
// The maker's update server: the version page, the changes page and the installer.
inline constexpr const char* kUpdateBaseUrl = "https://update.qel-autoclicker.app";
inline constexpr std::uint32_t kLinkColour = 0x6BD433;  // RGB 107, 212, 51

}  // namespace app
