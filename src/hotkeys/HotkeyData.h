#pragma once

#include <cstdint>

namespace hotkeys {

// Windows MOD_* flags: stored in the settings file as they are, on every platform.
inline constexpr std::uint32_t kModAlt = 0x1;
inline constexpr std::uint32_t kModControl = 0x2;
inline constexpr std::uint32_t kModShift = 0x4;
inline constexpr std::uint32_t kModWin = 0x8;
inline constexpr std::uint32_t kModNoRepeat = 0x4000;

// Mouse buttons as hotkeys keep the Windows virtual-key codes of the buttons.
inline constexpr std::uint32_t kVkMButton = 0x04;
inline constexpr std::uint32_t kVkXButton1 = 0x05;
inline constexpr std::uint32_t kVkXButton2 = 0x06;
inline constexpr bool IsMouseButtonVk(std::uint32_t vk) {
  return vk == kVkMButton || vk == kVkXButton1 || vk == kVkXButton2;
}

inline constexpr int kStartHotkeyId = 1001;
inline constexpr int kStopHotkeyId = 1002;
inline constexpr int kStartMacrosHotkeyId = 1003;
inline constexpr int kPickHotkeyId = 1004;

}  // namespace hotkeys

struct THotkeyData {
  std::uint32_t Vk = 0;
  std::uint32_t Modifiers = 0;
};
