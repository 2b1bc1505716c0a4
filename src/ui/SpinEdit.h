#pragma once

#include <functional>
#include <string>

#include "ui/Container.h"

namespace ui {

class SpinEditPeer : public virtual ControlPeer {
 public:
  virtual void setText(const std::string& text) = 0;
  virtual void setRange(int minValue, int maxValue) = 0;
  // A tool tip over the field (empty: none).
  virtual void setHint(const std::string& hint) = 0;
};

// An integer field with a range. Whoever reads it gets the number in its text, kept in
// range, or the minimum when the text is not a whole number; typed text is brought into
// range when focus leaves.
class SpinEdit : public Control {
 public:
  SpinEdit(Container& parent, Rect place, int minValue, int maxValue, int value);
  int Value() const;
  void SetValue(int v);
  const std::string& Text() const { return text_; }
  void SetText(const std::string& text);
  void SetHint(const std::string& hint) { peer_->setHint(hint); }
  std::function<void()> OnDoubleClick;

  void UserTyped(const std::string& text) { text_ = text; }
  void UserLeft();
  void UserDoubleClicked();

  // The whole-number reading of a field's text, clamped to min..max; min when it is none.
  static int ParseValue(const std::string& text, int minValue, int maxValue);

 private:
  SpinEditPeer* peer_;
  int min_;
  int max_;
  std::string text_;
};

}  // namespace ui
