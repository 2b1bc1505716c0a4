#pragma once

#include <cstdint>

namespace platform {

// Windows MOUSEEVENTF_* values: they are the observable records on every platform.
inline constexpr std::uint32_t kMouseMove = 0x0001;
inline constexpr std::uint32_t kMouseLeftDown = 0x0002;
inline constexpr std::uint32_t kMouseLeftUp = 0x0004;
inline constexpr std::uint32_t kMouseRightDown = 0x0008;
inline constexpr std::uint32_t kMouseRightUp = 0x0010;
inline constexpr std::uint32_t kMouseMiddleDown = 0x0020;
inline constexpr std::uint32_t kMouseMiddleUp = 0x0040;
inline constexpr std::uint32_t kMouseWheel = 0x0800;
inline constexpr std::uint32_t kMouseVirtualDesk = 0x4000;
inline constexpr std::uint32_t kMouseAbsolute = 0x8000;

// One notch of the wheel in `wheel`, as Windows counts it (WHEEL_DELTA).
inline constexpr std::int32_t kWheelNotch = 120;

// One INPUT_MOUSE record: dx, dy are absolute 0..65535 for a move and 0 otherwise; with
// kMouseWheel, `wheel` is the signed distance turned, positive away from the user.
struct MouseInputRecord {
  std::int32_t dx = 0;
  std::int32_t dy = 0;
  std::uint32_t flags = 0;
  std::int32_t wheel = 0;
  bool operator==(const MouseInputRecord&) const = default;
};

// One INPUT_KEYBOARD record: a Windows virtual-key code pressed or released.
struct KeyInputRecord {
  std::uint32_t vk = 0;
  bool down = false;
  bool operator==(const KeyInputRecord&) const = default;
};

// The synthetic-input service: one record per call; the result is not examined.
class MouseInputSink {
 public:
  virtual ~MouseInputSink() = default;
  virtual void Send(const MouseInputRecord& record) = 0;
  // A key this keyboard cannot type (no key of the layout makes it) is dropped.
  virtual void SendKey(const KeyInputRecord& record) = 0;
};

}  // namespace platform
