#pragma once

#include <memory>

#include "platform/Clock.h"
#include "platform/Hotkeys.h"
#include "platform/MouseHook.h"
#include "platform/MouseInput.h"
#include "platform/Screen.h"
#include "ui/Geometry.h"
#include "platform/System.h"

namespace win32 {

// The Windows edition's machine services. Construct it on the UI thread: the hotkeys
// arrive at a hidden message-only window of the constructing thread, and the low-level
// mouse hook is called from that thread's message loop (any loop, modal ones included).
class Win32Services {
 public:
  Win32Services();
  ~Win32Services();
  Win32Services(const Win32Services&) = delete;
  Win32Services& operator=(const Win32Services&) = delete;

  platform::MouseInputSink& Mouse();
  platform::Screen& Screen();
  platform::HotkeyRegistrar& Hotkeys();
  platform::MouseHook& Hook();
  platform::Clock& Clock();
  platform::Registry& Registry();
  platform::Environment& Environment();
  platform::Shell& Shell();
  platform::ProfileStore& Profile();

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace win32
