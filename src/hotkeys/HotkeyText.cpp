#include "hotkeys/HotkeyText.h"

#include "hotkeys/HotkeyData.h"
#include "i18n/Translation.h"

namespace hotkeys {

std::string FixedKeyName(std::uint32_t key) {
  switch (key) {
    case 0x08: return "BkSp";
    case 0x09: return "Tab";
    case 0x0D: return "Enter";
    case 0x1B: return "Esc";
    case 0x20: return "Space";
    case 0x21: return "PgUp";
    case 0x22: return "PgDn";
    case 0x23: return "End";
    case 0x24: return "Home";
    case 0x25: return "Left";
    case 0x26: return "Up";
    case 0x27: return "Right";
    case 0x28: return "Down";
    case 0x2D: return "Ins";
    case 0x2E: return "Del";
    default: break;
  }
  if (key >= 0x30 && key <= 0x39) return std::string(1, static_cast<char>(key));
  if (key >= 0x41 && key <= 0x5A) return std::string(1, static_cast<char>(key));
  if (key >= 0x70 && key <= 0x87) return std::string("F").append(std::to_string(key - 0x6F));
  return {};
}

std::string HotkeyToText(std::uint32_t Vk, std::uint32_t Modifiers,
                         const std::function<std::string(std::uint32_t)>& platformName) {
  const std::string prefix = (Modifiers & kModWin) ? "Win+" : "";
  const std::uint32_t key = Vk & 0xFFFF;
  std::string name;
  if (key == kVkMButton) {
    name = TranslateText("Middle button");
  } else if (key == kVkXButton1) {
    name = TranslateText("Side button 1");
  } else if (key == kVkXButton2) {
    name = TranslateText("Side button 2");
  } else if (key <= 0xFF) {
    name = FixedKeyName(key);
    if (name.empty() && platformName) name = platformName(key);
  }
  if (name.empty()) return prefix;
  std::string text = prefix;
  if (Modifiers & kModShift) text.append("Shift+");
  if (Modifiers & kModControl) text.append("Ctrl+");
  if (Modifiers & kModAlt) text.append("Alt+");
  text.append(name);
  return text;
}

}  // namespace hotkeys
