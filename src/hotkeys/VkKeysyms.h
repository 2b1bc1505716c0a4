#pragma once

#include <cstdint>
#include <vector>

// How the stored Windows hotkey numbers become X11 keys. Numbers only: the X keysym and
// modifier-mask values are the protocol's, so the decisions stay testable without a display.
namespace hotkeys {

// The X keysym of a Windows virtual-key code on a US layout, or 0 when the key has none.
std::uint32_t VkToKeysym(std::uint32_t vk);

// The virtual-key code of an X keysym as the keyboard's first level reports it, or 0 when
// no code stands for it. An upper-case letter comes back as its letter key.
std::uint32_t KeysymToVk(std::uint32_t keysym);

// The modifier masks of this X server's live modifier map (0 when no modifier carries it).
struct XModifierMasks {
  unsigned alt = 0;
  unsigned super = 0;
  unsigned numLock = 0;
};

inline constexpr unsigned kXShiftMask = 1u << 0;
inline constexpr unsigned kXLockMask = 1u << 1;
inline constexpr unsigned kXControlMask = 1u << 2;

// The X modifier state that MOD_* flags stand for. False when a flag has no modifier on this
// server or when a bit outside MOD_ALT/CONTROL/SHIFT/WIN/NOREPEAT is set: the registration
// is refused, as Windows refuses an invalid combination.
bool ModifiersToXState(std::uint32_t modFlags, const XModifierMasks& masks, unsigned& state);

// Every state a grab must cover so that Caps Lock and Num Lock do not hide the hotkey: the
// state alone, with Caps Lock, with Num Lock and with both (duplicates dropped when the server
// has no Num Lock modifier).
std::vector<unsigned> LockVariants(unsigned state, const XModifierMasks& masks);

// The part of an event's modifier state that identifies a hotkey: locks dropped.
unsigned SignificantState(unsigned eventState, const XModifierMasks& masks);

}  // namespace hotkeys
