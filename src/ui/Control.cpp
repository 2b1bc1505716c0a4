#include "ui/Control.h"

#include <utility>

namespace ui {

Control::Control() = default;
Control::Control(std::unique_ptr<ControlPeer> peer) : peer_(std::move(peer)) {}
Control::~Control() = default;

void Control::AttachPeer(std::unique_ptr<ControlPeer> peer) { peer_ = std::move(peer); }

void Control::SetEnabled(bool on) {
  if (enabled_ == on) return;
  enabled_ = on;
  peer_->setEnabled(on);
}

void Control::SetVisible(bool on) {
  if (visible_ == on) return;
  visible_ = on;
  peer_->setVisible(on);
}

void Control::SetCaption(const std::string& text) {
  if (caption_ == text) return;
  caption_ = text;
  peer_->setCaption(text);
}

}  // namespace ui
