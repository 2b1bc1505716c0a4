#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ui/Container.h"

namespace ui {

class LabelPeer : public virtual ControlPeer {
 public:
  virtual void setUnderline(bool on) = 0;
  // A text colour that the theme does not override (0xRRGGBB), for links.
  virtual void setLinkStyle(std::uint32_t rgb) = 0;
  virtual void setLayout(bool alignRight, bool wordWrap) = 0;
  // A label that opens something: a hand cursor and `hint` as its tool tip (empty: neither).
  virtual void setHint(const std::string& hint) = 0;
};

// place.width/height of 0 mean "size to the text".
class Label : public Control {
 public:
  Label(Container& parent, Rect place, const std::string& caption);
  void SetUnderline(bool on);
  bool Underline() const { return underline_; }
  void SetLinkStyle(std::uint32_t rgb) { peer_->setLinkStyle(rgb); }
  void SetLayout(bool alignRight, bool wordWrap) { peer_->setLayout(alignRight, wordWrap); }
  void SetHint(const std::string& hint) {
    hint_ = hint;
    peer_->setHint(hint);
  }
  const std::string& Hint() const { return hint_; }
  std::function<void()> OnClick;
  std::function<void()> OnMouseEnter;
  std::function<void()> OnMouseLeave;
  void UserClicked();
  void UserEntered();
  void UserLeft();

 private:
  LabelPeer* peer_;
  bool underline_ = false;
  std::string hint_;
};

class ProgressBarPeer : public virtual ControlPeer {
 public:
  virtual void setPosition(int percent) = 0;
  virtual void repaint() = 0;
};

class ProgressBar : public Control {
 public:
  ProgressBar(Container& parent, Rect place);
  void SetPosition(int percent);
  void Repaint() { peer_->repaint(); }

 private:
  ProgressBarPeer* peer_;
  int position_ = 0;
};

}  // namespace ui
