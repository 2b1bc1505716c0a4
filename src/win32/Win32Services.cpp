#include "win32/Win32Services.h"

#include "win32/Win32ServicesParts.h"

namespace win32 {

struct Win32Services::Parts {
  win32::SendInputSink mouse;
  win32::DesktopScreen screen;
  win32::WindowHotkeys hotkeys;
  win32::LowLevelMouseHook hook;
  win32::SystemClock clock;
  win32::CurrentUserRegistry registry;
  win32::ProcessEnvironment environment;
  win32::ShellOpener shell;
  win32::PrivateProfile profile;
};

Win32Services::Win32Services() : parts_(std::make_unique<Parts>()) {}
Win32Services::~Win32Services() = default;

platform::MouseInputSink& Win32Services::Mouse() { return parts_->mouse; }
platform::Screen& Win32Services::Screen() { return parts_->screen; }
platform::HotkeyRegistrar& Win32Services::Hotkeys() { return parts_->hotkeys; }
platform::MouseHook& Win32Services::Hook() { return parts_->hook; }
platform::Clock& Win32Services::Clock() { return parts_->clock; }
platform::Registry& Win32Services::Registry() { return parts_->registry; }
platform::Environment& Win32Services::Environment() { return parts_->environment; }
platform::Shell& Win32Services::Shell() { return parts_->shell; }
platform::ProfileStore& Win32Services::Profile() { return parts_->profile; }

}  // namespace win32
