// The Qt peers of the containers inside a window: group boxes and the status panel.

#include "linux/QtWidgetPeer.h"

#include <QEvent>
#include <QFrame>
#include <QGroupBox>

namespace linuxdesktop {

namespace {

class GroupBoxPeer : public WidgetPeer<QGroupBox, ui::ControlPeer> {
 public:
  GroupBoxPeer(QWidget* parent, ui::Rect place) : WidgetPeer(Placed(new QGroupBox(parent), place)) {}
  void setCaption(const std::string& text) override { w()->setTitle(Q(text)); }
};

// Keeps a panel aligned to the bottom of its parent, full width, and its bevel on top.
class BottomAligner : public QObject {
 public:
  BottomAligner(QWidget* panel, QFrame* bevel, int height)
      : QObject(panel), panel_(panel), bevel_(bevel), height_(height) {
    panel->parentWidget()->installEventFilter(this);
    Align();
  }
  void Align() {
    QWidget* parent = panel_->parentWidget();
    panel_->setGeometry(0, parent->height() - height_, parent->width(), height_);
    bevel_->setGeometry(0, 0, parent->width(), 3);
  }

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Resize) Align();
    return false;
  }

 private:
  QWidget* panel_;
  QFrame* bevel_;
  int height_;
};

class PanelPeer : public WidgetPeer<QFrame, ui::ControlPeer> {
 public:
  PanelPeer(QWidget* parent, int height) : WidgetPeer(new QFrame(parent)) {
    w()->setFrameShape(QFrame::NoFrame);
    w()->setObjectName("statusPanel");
    auto* bevel = new QFrame(w());
    bevel->setObjectName("bevel");
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    new BottomAligner(w(), bevel, height);
    w()->show();
  }
  void setCaption(const std::string&) override {}
};

}  // namespace

std::unique_ptr<ui::ControlPeer> QtWidgetFactory::CreateGroupBox(ui::GroupBox&, ui::Container& parent, ui::Rect place) {
  return std::make_unique<GroupBoxPeer>(ParentWidget(parent), place);
}
std::unique_ptr<ui::ControlPeer> QtWidgetFactory::CreatePanel(ui::Panel&, ui::Container& parent, int height) {
  return std::make_unique<PanelPeer>(ParentWidget(parent), height);
}

}  // namespace linuxdesktop
