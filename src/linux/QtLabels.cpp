// The Qt peers of labels (links included), the progress bar and the picture.

#include "linux/QtWidgetPeer.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QProgressBar>

#include <algorithm>
#include <cstdint>

namespace linuxdesktop {

namespace {

class ClickLabel : public QLabel {
 public:
  explicit ClickLabel(QWidget* parent) : QLabel(parent) {}
  std::function<void()> onClick, onEnter, onLeave;

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override {
    QLabel::mouseReleaseEvent(e);
    if (onClick && rect().contains(e->position().toPoint())) onClick();
  }
  void enterEvent(QEnterEvent* e) override {
    QLabel::enterEvent(e);
    if (onEnter) onEnter();
  }
  void leaveEvent(QEvent* e) override {
    QLabel::leaveEvent(e);
    if (onLeave) onLeave();
  }
};

// A label with a width or height of 0 sizes itself to its text; a right-aligned one keeps
// its right edge where it was laid out.
class LabelPeer : public WidgetPeer<ClickLabel, ui::LabelPeer> {
 public:
  LabelPeer(ui::Label& owner, QWidget* parent, ui::Rect place)
      : WidgetPeer(Placed(new ClickLabel(parent), place)), place_(place),
        autoSize_(place.width == 0 || place.height == 0) {
    w()->setTextFormat(Qt::PlainText);
    w()->onClick = [&owner] { owner.UserClicked(); };
    w()->onEnter = [&owner] { owner.UserEntered(); };
    w()->onLeave = [&owner] { owner.UserLeft(); };
  }
  void setCaption(const std::string& text) override {
    w()->setText(Q(text));
    Fit();
  }
  void setUnderline(bool on) override {
    QFont f = w()->font();
    f.setUnderline(on);
    w()->setFont(f);
  }
  void setLinkStyle(std::uint32_t rgb) override {
    // A style sheet colour wins over the palette of the visual style.
    w()->setStyleSheet(QString("QLabel { color: rgb(%1, %2, %3); }")
                           .arg((rgb >> 16) & 0xFF)
                           .arg((rgb >> 8) & 0xFF)
                           .arg(rgb & 0xFF));
    w()->setCursor(Qt::PointingHandCursor);
    Fit();
  }
  void setHint(const std::string& hint) override {
    w()->setToolTip(Q(hint));
    if (hint.empty())
      w()->unsetCursor();
    else
      w()->setCursor(Qt::PointingHandCursor);
  }
  void setLayout(bool alignRight, bool wordWrap) override {
    alignRight_ = alignRight;
    w()->setAlignment((alignRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
    w()->setWordWrap(wordWrap);
    Fit();
  }

 private:
  void Fit() {
    QLabel* l = w();
    if (!l->wordWrap() && l->parentWidget()) {
      // A one-line caption may take the room up to its parent's edge (a group's frame,
      // the window's edge), or its own width where that is fixed.
      const int margin = 6;
      const QRect row(place_.left, place_.top, std::max(place_.width, 1),
                      place_.height > 0 ? place_.height : l->sizeHint().height());
      const int room = !autoSize_                    ? place_.width
                       : alignRight_ && place_.width > 0 ? place_.left + place_.width - margin
                                                     : CaptionLimit(l, row, margin) - place_.left;
      const QString text = l->text();
      const int extra = l->sizeHint().width() - QFontMetrics(l->font()).horizontalAdvance(text);
      FitCaption(l, room - extra, [&text](const QFont& f) { return QFontMetrics(f).horizontalAdvance(text); });
    }
    if (!autoSize_) return;
    const QSize hint = w()->sizeHint();
    const int width = hint.width();
    const int left = alignRight_ && place_.width > 0 ? place_.left + place_.width - width : place_.left;
    w()->setGeometry(left, place_.top, width, hint.height());
  }

  ui::Rect place_;
  bool autoSize_;
  bool alignRight_ = false;
};

class ProgressPeer : public WidgetPeer<QProgressBar, ui::ProgressBarPeer> {
 public:
  ProgressPeer(QWidget* parent, ui::Rect place) : WidgetPeer(Placed(new QProgressBar(parent), place)) {
    w()->setRange(0, 100);
    w()->setValue(0);
    w()->setTextVisible(false);
  }
  void setCaption(const std::string&) override {}
  void setPosition(int percent) override { w()->setValue(percent); }
  void repaint() override { w()->repaint(); }
};

class ImagePeer : public WidgetPeer<QLabel, ui::ControlPeer> {
 public:
  ImagePeer(const std::string& name, QWidget* parent, ui::Rect place)
      : WidgetPeer(Placed(new QLabel(parent), place)) {
    const QPixmap pm = Picture(name);
    if (!pm.isNull())
      w()->setPixmap(pm.scaled(place.width, place.height, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    w()->setAlignment(Qt::AlignCenter);
  }
  void setCaption(const std::string&) override {}
};

}  // namespace

std::unique_ptr<ui::LabelPeer> QtWidgetFactory::CreateLabel(ui::Label& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<LabelPeer>(owner, ParentWidget(parent), place);
}
std::unique_ptr<ui::ProgressBarPeer> QtWidgetFactory::CreateProgressBar(ui::ProgressBar&, ui::Container& parent, ui::Rect place) {
  return std::make_unique<ProgressPeer>(ParentWidget(parent), place);
}
std::unique_ptr<ui::ControlPeer> QtWidgetFactory::CreateImage(ui::Image& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<ImagePeer>(owner.PictureName(), ParentWidget(parent), place);
}

}  // namespace linuxdesktop
