#pragma once

#include <memory>

#include "platform/Clock.h"
#include "platform/Hotkeys.h"
#include "platform/MouseHook.h"
#include "platform/MouseInput.h"
#include "platform/Screen.h"
#include "platform/System.h"

namespace qtui {

// Stand-ins for the X11 and system services until those land: enough to click and to
// keep the settings, no hotkeys and no mouse hook.
struct TemporaryServices {
  std::unique_ptr<platform::MouseInputSink> mouse;
  std::unique_ptr<platform::Screen> screen;
  std::unique_ptr<platform::HotkeyRegistrar> hotkeys;
  std::unique_ptr<platform::MouseHook> hook;
  std::unique_ptr<platform::Clock> clock;
  std::unique_ptr<platform::Registry> registry;
  std::unique_ptr<platform::Environment> env;
  std::unique_ptr<platform::Shell> shell;
};

TemporaryServices MakeTemporaryServices(platform::ProfileStore& profile);

}  // namespace qtui
