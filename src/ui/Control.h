#pragma once

#include <memory>
#include <string>

#include "ui/Geometry.h"

namespace ui {

// What every platform control shows. Peers hold no logic and never call back from
// these setters; user actions reach the control through its User* methods.
class ControlPeer {
 public:
  virtual ~ControlPeer() = default;
  virtual void setEnabled(bool on) = 0;
  virtual void setVisible(bool on) = 0;
  virtual void setCaption(const std::string& text) = 0;
  // Screen position (physical pixels) of a point given in the control's own 96-DPI pixels.
  virtual Point clientToScreen(Point p) const = 0;
  // Height of the control in its own 96-DPI pixels.
  virtual int height() const = 0;
};

class Control {
 public:
  explicit Control(std::unique_ptr<ControlPeer> peer);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on);
  bool Visible() const { return visible_; }
  void SetVisible(bool on);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& text);
  int Height() const { return peer_->height(); }
  Point ClientToScreen(Point p) const { return peer_->clientToScreen(p); }

  ControlPeer& Peer() const { return *peer_; }

 protected:
  // Controls whose peer is created after construction of the base (it needs `this`).
  Control();
  void AttachPeer(std::unique_ptr<ControlPeer> peer);

 private:
  std::unique_ptr<ControlPeer> peer_;
  bool enabled_ = true;
  bool visible_ = true;
  std::string caption_;
};

}  // namespace ui
