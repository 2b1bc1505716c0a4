#pragma once

#include "ui/Dialogs.h"

namespace linuxdesktop {

class QtWidgetFactory;

// Qt's standard message and input boxes, captioned with the application title.
class QtDialogs : public ui::Dialogs {
 public:
  explicit QtDialogs(const QtWidgetFactory& widgets) : widgets_(widgets) {}
  ui::MsgResult MessageBox(ui::MsgKind kind, const std::string& text, ui::MsgButtons buttons) override;
  bool InputBox(const std::string& caption, const std::string& prompt, std::string& text) override;

 private:
  const QtWidgetFactory& widgets_;
};

class QtMessageQueue : public ui::MessageQueue {
 public:
  void ProcessMessages() override;
};

}  // namespace linuxdesktop
