#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace hotkeys {

// The fixed name of a key, or empty when the key is outside the fixed table.
std::string FixedKeyName(std::uint32_t key);

// "Win+" "Shift+" "Ctrl+" "Alt+" and the key name, in exactly that order. `platformName`
// names the keys outside the fixed table (empty when it has none).
std::string HotkeyToText(std::uint32_t Vk, std::uint32_t Modifiers,
                         const std::function<std::string(std::uint32_t)>& platformName);

}  // namespace hotkeys
