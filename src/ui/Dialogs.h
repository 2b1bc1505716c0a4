#pragma once

#include <string>

namespace ui {

enum class MsgKind { Information, Warning, Confirmation, Error };
enum class MsgButtons { Ok, YesNo };
enum class MsgResult { Ok, Yes, No, Cancel };

// Modal standard dialogs. They run a nested loop: timers and hotkeys go on meanwhile.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual MsgResult MessageBox(MsgKind kind, const std::string& text, MsgButtons buttons) = 0;
  // A one-line input box with OK and Cancel; true and the text when OK was pressed.
  virtual bool InputBox(const std::string& caption, const std::string& prompt,
                        std::string& text) = 0;
};

// Handles every message now waiting for the UI thread, then returns.
class MessageQueue {
 public:
  virtual ~MessageQueue() = default;
  virtual void ProcessMessages() = 0;
};

}  // namespace ui
