// The Qt measurements behind the kit's caption fitting.

#include <QFont>
#include <QRect>
#include <QVariant>

#include <vector>

#include "linux/QtWidgetPeer.h"
#include "ui/CaptionFit.h"

namespace linuxdesktop {

void FitCaption(QWidget* w, int available, const std::function<int(const QFont&)>& needed) {
  // The widget's own size is kept aside: after one fitting its font is no longer the full one.
  static const char* const kFullSize = "qelFullPointSize";
  if (!w->property(kFullSize).isValid()) w->setProperty(kFullSize, w->font().pointSizeF());
  const qreal full = w->property(kFullSize).toReal();
  if (full <= 0) return;  // a font sized in pixels: left as it is
  QFont f = w->font();
  const double size = ui::FitCaptionSize(full, 0.25, available, [&f, &needed](double s) {
    f.setPointSizeF(s);
    return needed(f);
  });
  f.setPointSizeF(size);
  if (f != w->font()) w->setFont(f);
}

int CaptionLimit(const QWidget* self, const QRect& place, int margin) {
  const QWidget* parent = self->parentWidget();
  std::vector<ui::Rect> siblings;
  for (const QObject* o : parent->children()) {
    const auto* sibling = qobject_cast<const QWidget*>(o);
    if (!sibling || sibling == self || !sibling->isVisibleTo(parent)) continue;
    const QRect g = sibling->geometry();
    siblings.push_back({g.left(), g.top(), g.width(), g.height()});
  }
  return ui::CaptionEnd({place.left(), place.top(), place.width(), place.height()}, parent->width(), siblings,
                        margin);
}

}  // namespace linuxdesktop
