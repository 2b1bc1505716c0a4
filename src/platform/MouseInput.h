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
inline constexpr std::uint32_t kMouseVirtualDesk = 0x4000;
inline constexpr std::uint32_t kMouseAbsolute = 0x8000;

// One INPUT_MOUSE record: dx, dy are absolute 0..65535 for a move and 0 otherwise.
struct MouseInputRecord {
  std::int32_t dx = 0;
  std::int32_t dy = 0;
  std::uint32_t flags = 0;
  bool operator==(const MouseInputRecord&) const = default;
};

// The synthetic-input service: one record per call; the result is not examined.
class MouseInputSink {
 public:
  virtual ~MouseInputSink() = default;
  virtual void Send(const MouseInputRecord& record) = 0;
};

}  // namespace platform
