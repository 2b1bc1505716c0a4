#pragma once

#include <windows.h>

#include "platform/PointPicker.h"

namespace win32 {

// The pick of a point with low-level hooks: they swallow the deciding button (and its
// release) and Esc, and post what they saw to a window of their own, so that the program
// acts on it after the hook has returned.
class HookPointPicker : public platform::PointPicker {
 public:
  HookPointPicker();
  ~HookPointPicker() override;
  HookPointPicker(const HookPointPicker&) = delete;
  HookPointPicker& operator=(const HookPointPicker&) = delete;
  bool Begin(std::function<void(const platform::PickInput&)> onInput) override;
  void End() override;

 private:
  static LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK KeyProc(int code, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK WindowProc(HWND w, UINT m, WPARAM wParam, LPARAM lParam);
  void Unhook();

  HWND window_ = nullptr;
  HHOOK mouseHook_ = nullptr;
  HHOOK keyHook_ = nullptr;
  std::function<void(const platform::PickInput&)> onInput_;
  bool picking_ = false;   // input still decides
  UINT awaitedUp_ = 0;     // the release of a swallowed press, still to swallow
  bool escapeDown_ = false;  // Esc was swallowed: so is its release
};

}  // namespace win32
