#pragma once

// What the Qt peers of the widget kit share: text and pixel conversions, the part of every
// widget peer that is the same for all (enabled, visible, caption, position queries), and
// the fitting of a caption into its place. Only the Linux edition's peer files include it.

#include <cmath>
#include <functional>
#include <string>

#include <QApplication>
#include <QPointer>
#include <QSignalBlocker>
#include <QString>
#include <QWidget>

#include "linux/QtWidgets.h"
#include "ui/Container.h"

namespace linuxdesktop {

inline QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

inline QWidget* ParentWidget(ui::Container& parent) {
  auto* holder = dynamic_cast<WidgetHolder*>(&parent.Peer());
  return holder ? holder->widget() : nullptr;
}

inline qreal Ratio(const QWidget* w) { return w ? w->devicePixelRatioF() : qApp->devicePixelRatio(); }

inline int ToPhysical(int logical, qreal ratio) { return static_cast<int>(std::lround(logical * ratio)); }
inline int ToLogical(int physical, qreal ratio) { return static_cast<int>(std::lround(physical / ratio)); }

// The shared part of every widget peer. The peer owns its widget; Qt's parent links only
// place it.
template <typename W, typename PeerInterface>
class WidgetPeer : public PeerInterface, public WidgetHolder {
 public:
  explicit WidgetPeer(W* w) : w_(w) {}
  ~WidgetPeer() override { delete w_.data(); }
  QWidget* widget() const override { return w_.data(); }

  void setEnabled(bool on) override {
    QSignalBlocker block(w_);
    w_->setEnabled(on);
  }
  void setVisible(bool on) override { w_->setVisible(on); }
  void setCaption(const std::string& text) override {
    if constexpr (requires(W* x) { x->setText(QString()); }) {
      QSignalBlocker block(w_);
      w_->setText(Q(text));
    }
  }
  ui::Point clientToScreen(ui::Point p) const override {
    const QPoint g = w_->mapToGlobal(QPoint(p.x, p.y));
    const qreal r = Ratio(w_);
    return {ToPhysical(g.x(), r), ToPhysical(g.y(), r)};
  }
  int height() const override { return w_->height(); }

 protected:
  W* w() const { return w_.data(); }

 private:
  QPointer<W> w_;
};

// Shows the widget at its place in the parent.
template <typename W>
W* Placed(W* w, ui::Rect place) {
  w->setGeometry(place.left, place.top, place.width, place.height);
  w->show();
  return w;
}

// Gives `w` the largest font, down to three quarters of its own, in which the caption
// (`needed` measures it in a font) takes no more than `available` pixels.
void FitCaption(QWidget* w, int available, const std::function<int(const QFont&)>& needed);

// Where a caption that starts at `place` (in the parent) must end: before the nearest shown
// sibling to its right on the same row, or before the parent's edge.
int CaptionLimit(const QWidget* self, const QRect& place, int margin);

}  // namespace linuxdesktop
