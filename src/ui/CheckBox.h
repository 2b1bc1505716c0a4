#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/Container.h"

namespace ui {

class CheckPeer : public virtual ControlPeer {
 public:
  virtual void setChecked(bool on) = 0;
};

// A change of state from the program runs OnClick, exactly as the user's click does.
class CheckBox : public Control {
 public:
  CheckBox(Container& parent, Rect place, const std::string& caption);
  bool Checked() const { return checked_; }
  void SetChecked(bool on);
  std::function<void()> OnClick;
  void UserToggled(bool on);

 private:
  CheckPeer* peer_;
  bool checked_ = false;
};

class RadioButton;

// The radio buttons that exclude one another (those of one parent).
class RadioGroup {
 public:
  void Add(RadioButton* b) { members_.push_back(b); }
  const std::vector<RadioButton*>& Members() const { return members_; }

 private:
  std::vector<RadioButton*> members_;
};

// Checking an unchecked radio button runs OnClick and unchecks the others of its group
// (unchecking runs no handler).
class RadioButton : public Control {
 public:
  RadioButton(Container& parent, RadioGroup& group, Rect place, const std::string& caption);
  bool Checked() const { return checked_; }
  void SetChecked(bool on);
  std::function<void()> OnClick;
  void UserClicked();

 private:
  CheckPeer* peer_;
  RadioGroup& group_;
  bool checked_ = false;
};

}  // namespace ui
