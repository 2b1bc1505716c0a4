#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace platform {

// System-wide hotkeys. Modifiers are the Windows MOD_* flags, the key a Windows
// virtual-key code, on every platform. A registration never fires on auto-repeat.
class HotkeyRegistrar {
 public:
  virtual ~HotkeyRegistrar() = default;
  // Presses of a registered combination arrive here, on the UI thread, with its id.
  virtual void SetHandler(std::function<void(int id)> handler) = 0;
  // Releases of a registered combination's key, once per press, on the UI thread.
  virtual void SetReleaseHandler(std::function<void(int id)> handler) = 0;
  virtual bool Register(int id, std::uint32_t modifiers, std::uint32_t vk) = 0;
  virtual void Unregister(int id) = 0;
  // The platform's name of a key outside the fixed table (empty when it has none).
  virtual std::string KeyName(std::uint32_t vk) = 0;
};

}  // namespace platform
