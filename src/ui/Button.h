#pragma once

#include <functional>
#include <string>

#include "ui/Container.h"

namespace ui {

class ButtonPeer : public virtual ControlPeer {
 public:
  // Names a picture ("play", "stop"); the platform shows its grey variant while disabled.
  virtual void setImage(const std::string& name) = 0;
};

class Button : public Control {
 public:
  Button(Container& parent, Rect place, const std::string& caption);
  void SetImage(const std::string& name) { peer_->setImage(name); }
  std::function<void()> OnClick;
  // The user pressed the button.
  void UserClicked();

 private:
  ButtonPeer* peer_;
};

}  // namespace ui
