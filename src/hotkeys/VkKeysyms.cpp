#include "hotkeys/VkKeysyms.h"

#include <algorithm>
#include <array>

#include "hotkeys/HotkeyData.h"

namespace hotkeys {

namespace {

struct VkKeysym {
  std::uint32_t vk;
  std::uint32_t keysym;
};

// Windows virtual-key code -> X keysym, US layout. Letters, digits and F1..F24 are ranges
// handled in VkToKeysym; everything else is listed here, sorted by virtual-key code.
//
//   VK                         keysym
constexpr std::array kTable = {
    VkKeysym{0x03, 0xFF6B},      // VK_CANCEL            Break
    VkKeysym{0x08, 0xFF08},      // VK_BACK              BackSpace
    VkKeysym{0x09, 0xFF09},      // VK_TAB               Tab
    VkKeysym{0x0C, 0xFF0B},      // VK_CLEAR             Clear
    VkKeysym{0x0D, 0xFF0D},      // VK_RETURN            Return
    VkKeysym{0x10, 0xFFE1},      // VK_SHIFT             Shift_L
    VkKeysym{0x11, 0xFFE3},      // VK_CONTROL           Control_L
    VkKeysym{0x12, 0xFFE9},      // VK_MENU              Alt_L
    VkKeysym{0x13, 0xFF13},      // VK_PAUSE             Pause
    VkKeysym{0x14, 0xFFE5},      // VK_CAPITAL           Caps_Lock
    VkKeysym{0x1B, 0xFF1B},      // VK_ESCAPE            Escape
    VkKeysym{0x20, 0x0020},      // VK_SPACE             space
    VkKeysym{0x21, 0xFF55},      // VK_PRIOR             Prior
    VkKeysym{0x22, 0xFF56},      // VK_NEXT              Next
    VkKeysym{0x23, 0xFF57},      // VK_END               End
    VkKeysym{0x24, 0xFF50},      // VK_HOME              Home
    VkKeysym{0x25, 0xFF51},      // VK_LEFT              Left
    VkKeysym{0x26, 0xFF52},      // VK_UP                Up
    VkKeysym{0x27, 0xFF53},      // VK_RIGHT             Right
    VkKeysym{0x28, 0xFF54},      // VK_DOWN              Down
    VkKeysym{0x29, 0xFF60},      // VK_SELECT            Select
    VkKeysym{0x2A, 0xFF61},      // VK_PRINT             Print
    VkKeysym{0x2B, 0xFF62},      // VK_EXECUTE           Execute
    VkKeysym{0x2C, 0xFF61},      // VK_SNAPSHOT          Print
    VkKeysym{0x2D, 0xFF63},      // VK_INSERT            Insert
    VkKeysym{0x2E, 0xFFFF},      // VK_DELETE            Delete
    VkKeysym{0x2F, 0xFF6A},      // VK_HELP              Help
    VkKeysym{0x5B, 0xFFEB},      // VK_LWIN              Super_L
    VkKeysym{0x5C, 0xFFEC},      // VK_RWIN              Super_R
    VkKeysym{0x5D, 0xFF67},      // VK_APPS              Menu
    VkKeysym{0x5F, 0x1008FF2F},  // VK_SLEEP             XF86Sleep
    VkKeysym{0x60, 0xFFB0},      // VK_NUMPAD0           KP_0
    VkKeysym{0x61, 0xFFB1},      // VK_NUMPAD1           KP_1
    VkKeysym{0x62, 0xFFB2},      // VK_NUMPAD2           KP_2
    VkKeysym{0x63, 0xFFB3},      // VK_NUMPAD3           KP_3
    VkKeysym{0x64, 0xFFB4},      // VK_NUMPAD4           KP_4
    VkKeysym{0x65, 0xFFB5},      // VK_NUMPAD5           KP_5
    VkKeysym{0x66, 0xFFB6},      // VK_NUMPAD6           KP_6
    VkKeysym{0x67, 0xFFB7},      // VK_NUMPAD7           KP_7
    VkKeysym{0x68, 0xFFB8},      // VK_NUMPAD8           KP_8
    VkKeysym{0x69, 0xFFB9},      // VK_NUMPAD9           KP_9
    VkKeysym{0x6A, 0xFFAA},      // VK_MULTIPLY          KP_Multiply
    VkKeysym{0x6B, 0xFFAB},      // VK_ADD               KP_Add
    VkKeysym{0x6C, 0xFFAC},      // VK_SEPARATOR         KP_Separator
    VkKeysym{0x6D, 0xFFAD},      // VK_SUBTRACT          KP_Subtract
    VkKeysym{0x6E, 0xFFAE},      // VK_DECIMAL           KP_Decimal
    VkKeysym{0x6F, 0xFFAF},      // VK_DIVIDE            KP_Divide
    VkKeysym{0x90, 0xFF7F},      // VK_NUMLOCK           Num_Lock
    VkKeysym{0x91, 0xFF14},      // VK_SCROLL            Scroll_Lock
    VkKeysym{0xA0, 0xFFE1},      // VK_LSHIFT            Shift_L
    VkKeysym{0xA1, 0xFFE2},      // VK_RSHIFT            Shift_R
    VkKeysym{0xA2, 0xFFE3},      // VK_LCONTROL          Control_L
    VkKeysym{0xA3, 0xFFE4},      // VK_RCONTROL          Control_R
    VkKeysym{0xA4, 0xFFE9},      // VK_LMENU             Alt_L
    VkKeysym{0xA5, 0xFFEA},      // VK_RMENU             Alt_R
    VkKeysym{0xA6, 0x1008FF26},  // VK_BROWSER_BACK      XF86Back
    VkKeysym{0xA7, 0x1008FF27},  // VK_BROWSER_FORWARD   XF86Forward
    VkKeysym{0xA8, 0x1008FF29},  // VK_BROWSER_REFRESH   XF86Refresh
    VkKeysym{0xA9, 0x1008FF28},  // VK_BROWSER_STOP      XF86Stop
    VkKeysym{0xAA, 0x1008FF1B},  // VK_BROWSER_SEARCH    XF86Search
    VkKeysym{0xAB, 0x1008FF30},  // VK_BROWSER_FAVORITES XF86Favorites
    VkKeysym{0xAC, 0x1008FF18},  // VK_BROWSER_HOME      XF86HomePage
    VkKeysym{0xAD, 0x1008FF12},  // VK_VOLUME_MUTE       XF86AudioMute
    VkKeysym{0xAE, 0x1008FF11},  // VK_VOLUME_DOWN       XF86AudioLowerVolume
    VkKeysym{0xAF, 0x1008FF13},  // VK_VOLUME_UP         XF86AudioRaiseVolume
    VkKeysym{0xB0, 0x1008FF17},  // VK_MEDIA_NEXT_TRACK  XF86AudioNext
    VkKeysym{0xB1, 0x1008FF16},  // VK_MEDIA_PREV_TRACK  XF86AudioPrev
    VkKeysym{0xB2, 0x1008FF15},  // VK_MEDIA_STOP        XF86AudioStop
    VkKeysym{0xB3, 0x1008FF14},  // VK_MEDIA_PLAY_PAUSE  XF86AudioPlay
    VkKeysym{0xB4, 0x1008FF19},  // VK_LAUNCH_MAIL       XF86Mail
    VkKeysym{0xBA, 0x003B},      // VK_OEM_1             semicolon
    VkKeysym{0xBB, 0x003D},      // VK_OEM_PLUS          equal
    VkKeysym{0xBC, 0x002C},      // VK_OEM_COMMA         comma
    VkKeysym{0xBD, 0x002D},      // VK_OEM_MINUS         minus
    VkKeysym{0xBE, 0x002E},      // VK_OEM_PERIOD        period
    VkKeysym{0xBF, 0x002F},      // VK_OEM_2             slash
    VkKeysym{0xC0, 0x0060},      // VK_OEM_3             grave
    VkKeysym{0xDB, 0x005B},      // VK_OEM_4             bracketleft
    VkKeysym{0xDC, 0x005C},      // VK_OEM_5             backslash
    VkKeysym{0xDD, 0x005D},      // VK_OEM_6             bracketright
    VkKeysym{0xDE, 0x0027},      // VK_OEM_7             apostrophe
    VkKeysym{0xE2, 0x003C},      // VK_OEM_102           less (the extra key of ISO keyboards)
};

static_assert(std::is_sorted(kTable.begin(), kTable.end(),
                             [](const VkKeysym& a, const VkKeysym& b) { return a.vk < b.vk; }));

constexpr std::uint32_t kKnownModFlags = kModAlt | kModControl | kModShift | kModWin | kModNoRepeat;

}  // namespace

std::uint32_t VkToKeysym(std::uint32_t vk) {
  if (vk >= 0x30 && vk <= 0x39) return vk;                  // 0..9: the digit keysyms
  if (vk >= 0x41 && vk <= 0x5A) return vk + 0x20;           // A..Z: the lower-case letter
  if (vk >= 0x70 && vk <= 0x87) return 0xFFBE + (vk - 0x70);  // F1..F24
  const auto it = std::lower_bound(kTable.begin(), kTable.end(), vk,
                                   [](const VkKeysym& e, std::uint32_t v) { return e.vk < v; });
  return (it != kTable.end() && it->vk == vk) ? it->keysym : 0;
}

std::uint32_t KeysymToVk(std::uint32_t keysym) {
  if (keysym == 0) return 0;  // NoSymbol: most codes have no keysym, and none is this
  if (keysym == 0xFE03) return 0xA5;  // ISO_Level3_Shift, the right Alt of many layouts
  if (keysym >= 'A' && keysym <= 'Z') return keysym;
  // The table is small and a recording sees a few keys a second: a plain search will do.
  for (std::uint32_t vk = 1; vk < 0xFF; ++vk)
    if (VkToKeysym(vk) == keysym) return vk;
  return 0;
}

bool ModifiersToXState(std::uint32_t modFlags, const XModifierMasks& masks, unsigned& state) {
  state = 0;
  if (modFlags & ~kKnownModFlags) return false;
  if (modFlags & kModShift) state |= kXShiftMask;
  if (modFlags & kModControl) state |= kXControlMask;
  if (modFlags & kModAlt) {
    if (masks.alt == 0) return false;
    state |= masks.alt;
  }
  if (modFlags & kModWin) {
    if (masks.super == 0) return false;
    state |= masks.super;
  }
  return true;
}

std::vector<unsigned> LockVariants(unsigned state, const XModifierMasks& masks) {
  std::vector<unsigned> out;
  for (unsigned extra : {0u, kXLockMask, masks.numLock, kXLockMask | masks.numLock}) {
    const unsigned v = state | extra;
    if (std::find(out.begin(), out.end(), v) == out.end()) out.push_back(v);
  }
  return out;
}

unsigned SignificantState(unsigned eventState, const XModifierMasks& masks) {
  return eventState & (kXShiftMask | kXControlMask | masks.alt | masks.super);
}

}  // namespace hotkeys
