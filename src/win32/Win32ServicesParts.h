#pragma once

// The concrete services behind Win32Services; only its own files include this.

#include <windows.h>

#include <functional>
#include <map>

#include "platform/Clock.h"
#include "platform/Hotkeys.h"
#include "platform/MouseHook.h"
#include "platform/MouseInput.h"
#include "platform/Screen.h"
#include "ui/Geometry.h"
#include "platform/System.h"

namespace win32 {

class SendInputSink : public platform::MouseInputSink {
 public:
  void Send(const platform::MouseInputRecord& record) override;
  void SendKey(const platform::KeyInputRecord& record) override;
};

class DesktopScreen : public platform::Screen {
 public:
  bool CursorPos(ui::Point& p) override;
  ui::Rect VirtualDesktop() override;
  ui::Rect WorkArea() override;
};

// Hotkeys belong to a hidden message-only window: WM_HOTKEY is posted to the thread's
// queue, so whichever loop runs (a message box, playback serving the queue) dispatches it.
// WM_HOTKEY tells no release, so after it fired a registration watches the keys until one
// of its combination is up and reports that as the release; until its own key is up it
// stays quiet, which also drops the repeats Wine (8) sends despite MOD_NOREPEAT.
// Mouse buttons cannot be registered at all: a low-level mouse hook, installed only while
// a button hotkey is registered, swallows the button's press and release and only posts
// them to the hidden window, so the handlers run from the UI thread's queue as WM_HOTKEY
// does.
class WindowHotkeys : public platform::HotkeyRegistrar {
 public:
  WindowHotkeys();
  ~WindowHotkeys() override;
  WindowHotkeys(const WindowHotkeys&) = delete;
  WindowHotkeys& operator=(const WindowHotkeys&) = delete;

  void SetHandler(std::function<void(int id)> handler) override;
  void SetReleaseHandler(std::function<void(int id)> handler) override;
  bool Register(int id, std::uint32_t modifiers, std::uint32_t vk) override;
  void Unregister(int id) override;
  std::string KeyName(std::uint32_t vk) override;

  HWND Window() const { return window_; }

 private:
  static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Fired(int id);
  void Released(int id);
  void WatchReleases();
  static LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam);
  bool MouseButton(UINT message, const MSLLHOOKSTRUCT& info);
  void UpdateMouseHook();

  struct Registration {
    std::uint32_t vk = 0;
    std::uint32_t modifiers = 0;
    bool held = false;  // fired, and its key not seen up since
    bool releaseReported = false;  // a key of the combination was seen up since the press
    bool button = false;           // a mouse button, seen by the hook
  };
  HWND window_ = nullptr;
  std::map<int, Registration> registered_;
  std::function<void(int)> handler_;
  std::function<void(int)> releaseHandler_;
  HHOOK mouseHook_ = nullptr;
};

// Only one low-level hook procedure exists per process and it carries no context, so the
// installed hook is found through a pointer that only the UI thread touches.
class LowLevelMouseHook : public platform::MouseHook {
 public:
  ~LowLevelMouseHook() override;
  bool Install(Callback callback) override;
  void Remove() override;
  void AlsoReport(InputCallback input, bool keys) override;

 private:
  static LRESULT CALLBACK HookProc(int nCode, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK KeyProc(int nCode, WPARAM wParam, LPARAM lParam);

  HHOOK hook_ = nullptr;
  HHOOK keyHook_ = nullptr;
  Callback callback_;
  InputCallback input_, pendingInput_;
  bool pendingKeys_ = false;
};

class SystemClock : public platform::Clock {
 public:
  std::uint32_t GetTickCount() override;
  void Sleep(std::uint32_t ms) override;
  platform::LocalDateTime Now() override;
  std::uint64_t HighResolutionNow() override;
  std::uint64_t NowMicros() override;
  void SleepMicros(std::uint64_t us) override;
};

class CurrentUserRegistry : public platform::Registry {
 public:
  platform::RegReadResult ReadString(const std::string& keyPath, const std::string& name,
                                     std::string& value) override;
  bool WriteString(const std::string& keyPath, const std::string& name,
                   const std::string& value) override;
};

class ProcessEnvironment : public platform::Environment {
 public:
  std::string GetVariable(const std::string& name) override;
  std::string UserConfigFolder() override;
  std::string ExecutableFolder() override;
  std::string TempFolder() override;
  std::uint16_t SystemDefaultUILanguage() override;
  std::string DecimalSeparator() override;
  char PathDelimiter() override;
};

class ShellOpener : public platform::Shell {
 public:
  void Open(const std::string& target, const std::string& verb) override;
};

class PrivateProfile : public platform::ProfileStore {
 public:
  std::string ReadString(const std::string& file, const std::string& section,
                         const std::string& key, const std::string& defaultValue) override;
  bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) override;
};

}  // namespace win32
