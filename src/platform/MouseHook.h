#pragma once

#include <cstdint>
#include <functional>

namespace platform {

// Windows identifiers of low-level mouse input.
inline constexpr std::uint32_t kWmMouseMove = 0x0200;
inline constexpr std::uint32_t kWmLButtonDown = 0x0201;
inline constexpr std::uint32_t kWmLButtonUp = 0x0202;
inline constexpr std::uint32_t kWmRButtonDown = 0x0204;
inline constexpr std::uint32_t kWmRButtonUp = 0x0205;
inline constexpr std::uint32_t kWmMButtonDown = 0x0207;
inline constexpr std::uint32_t kWmMButtonUp = 0x0208;
inline constexpr std::uint32_t kWmMouseWheel = 0x020A;
inline constexpr std::uint32_t kWmXButtonDown = 0x020B;
inline constexpr std::uint32_t kWmKeyDown = 0x0100;
inline constexpr std::uint32_t kWmKeyUp = 0x0101;
inline constexpr std::uint32_t kWmSysKeyDown = 0x0104;
inline constexpr std::uint32_t kWmSysKeyUp = 0x0105;

// A global low-level mouse hook: every mouse input of the desktop, with the pointer
// position of that very event, delivered on the UI thread; input is never swallowed.
class MouseHook {
 public:
  using Callback = std::function<void(int nCode, std::uint32_t message, int x, int y)>;
  virtual ~MouseHook() = default;
  // False when the hook cannot be installed.
  virtual bool Install(Callback callback) = 0;
  virtual void Remove() = 0;

  // Wheel turns and keys, which the mouse callback does not carry: a wheel message with the
  // signed distance turned (120 a notch, positive away from the user) at the pointer, a key
  // message with the virtual-key code (x and y 0). Asked for before Install, for that
  // installation only; keys only when `keys`, since watching them costs every keystroke
  // of the desktop a detour through this program.
  using InputCallback = std::function<void(std::uint32_t message, int x, int y, std::int32_t data)>;
  virtual void AlsoReport(InputCallback input, bool keys) = 0;
};

}  // namespace platform
