#pragma once

// Message boxes, the input box, and the thread's message queue.

#include "win32/Win32Widgets.h"
// (first: it removes the Windows macros that clash with the kit's names)
#include "ui/Dialogs.h"

namespace win32 {

class Win32Dialogs : public ui::Dialogs {
 public:
  explicit Win32Dialogs(Win32WidgetFactory& factory) : factory_(factory) {}
  ui::MsgResult MessageBox(ui::MsgKind kind, const std::string& text, ui::MsgButtons buttons) override;
  bool InputBox(const std::string& caption, const std::string& prompt, std::string& text) override;

 private:
  Win32WidgetFactory& factory_;
};

class Win32MessageQueue : public ui::MessageQueue {
 public:
  explicit Win32MessageQueue(Win32WidgetFactory& factory) : factory_(factory) {}
  void ProcessMessages() override;

 private:
  Win32WidgetFactory& factory_;
};

// The program's message loop: runs until the main window has closed (WM_QUIT).
void RunMessageLoop(Win32WidgetFactory& factory);

}  // namespace win32
