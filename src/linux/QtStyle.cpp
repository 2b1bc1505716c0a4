#include "linux/QtStyle.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QStyleOption>
#include <QStyle>
#include <QStyleFactory>

namespace linuxdesktop {

namespace {

const QColor kAccent(0x4C, 0xC2, 0x3A);
const QColor kAccentDisabled(0x3A, 0x5A, 0x40);

// Fusion with the check marks and radio dots drawn in the style's green: Fusion's own
// marks take the text colour, which is hard to tell from the dark field.
class MidnightStyle : public QProxyStyle {
 public:
  explicit MidnightStyle(QStyle* base) : QProxyStyle(base) {}

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    if ((element != PE_IndicatorRadioButton && element != PE_IndicatorCheckBox) ||
        !(option->state & State_On)) {
      QProxyStyle::drawPrimitive(element, option, painter, widget);
      return;
    }
    QStyleOption plain(*option);
    plain.state &= ~State_On;
    plain.state |= State_Off;
    QProxyStyle::drawPrimitive(element, &plain, painter, widget);
    const QColor mark = (option->state & State_Enabled) ? kAccent : kAccentDisabled;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    const QRectF r = QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5);
    if (element == PE_IndicatorRadioButton) {
      const qreal d = r.width() * 0.5;
      painter->setPen(Qt::NoPen);
      painter->setBrush(mark);
      painter->drawEllipse(QRectF(r.center().x() - d / 2, r.center().y() - d / 2, d, d));
    } else {
      QPen pen(mark, qMax<qreal>(2.0, r.width() / 6.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
      painter->setPen(pen);
      const qreal x = r.left(), y = r.top(), w = r.width(), h = r.height();
      const QPointF points[3] = {{x + w * 0.22, y + h * 0.52}, {x + w * 0.42, y + h * 0.72},
                                 {x + w * 0.78, y + h * 0.28}};
      painter->drawPolyline(points, 3);
    }
    painter->restore();
  }
};

QPalette MidnightPalette() {
  const QColor window(0x1C, 0x22, 0x1F);
  const QColor base(0x12, 0x17, 0x14);
  const QColor alternate(0x1A, 0x21, 0x1D);
  const QColor text(0xE2, 0xEA, 0xE4);
  const QColor button(0x26, 0x2E, 0x2A);
  const QColor green(0x2F, 0xA3, 0x52);
  const QColor disabledText(0x6C, 0x76, 0x70);

  QPalette p;
  p.setColor(QPalette::Window, window);
  p.setColor(QPalette::WindowText, text);
  p.setColor(QPalette::Base, base);
  p.setColor(QPalette::AlternateBase, alternate);
  p.setColor(QPalette::ToolTipBase, QColor(0x24, 0x3A, 0x2C));
  p.setColor(QPalette::ToolTipText, text);
  p.setColor(QPalette::PlaceholderText, disabledText);
  p.setColor(QPalette::Text, text);
  p.setColor(QPalette::Button, button);
  p.setColor(QPalette::ButtonText, text);
  p.setColor(QPalette::BrightText, QColor(0xB4, 0xF5, 0x8C));
  p.setColor(QPalette::Light, QColor(0x3C, 0x48, 0x41));
  p.setColor(QPalette::Midlight, QColor(0x30, 0x3A, 0x34));
  p.setColor(QPalette::Mid, QColor(0x1F, 0x26, 0x22));
  p.setColor(QPalette::Dark, QColor(0x0E, 0x12, 0x10));
  p.setColor(QPalette::Shadow, QColor(0x05, 0x07, 0x06));
  p.setColor(QPalette::Highlight, green);
  p.setColor(QPalette::HighlightedText, QColor(0xFF, 0xFF, 0xFF));
  p.setColor(QPalette::Link, QColor(107, 212, 51));
  p.setColor(QPalette::LinkVisited, QColor(0x8B, 0xC3, 0x4A));

  p.setColor(QPalette::Disabled, QPalette::WindowText, disabledText);
  p.setColor(QPalette::Disabled, QPalette::Text, disabledText);
  p.setColor(QPalette::Disabled, QPalette::ButtonText, disabledText);
  p.setColor(QPalette::Disabled, QPalette::Base, window);
  p.setColor(QPalette::Disabled, QPalette::Button, QColor(0x20, 0x26, 0x23));
  p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0x2C, 0x45, 0x35));
  return p;
}
}  // namespace

bool ApplyMidnightExpressGreen(std::string& error) {
  QStyle* fusion = QStyleFactory::create("Fusion");
  if (!fusion) {
    error = "The visual style \"Midnight Express Green\" cannot be applied: the Fusion style is missing.";
    return false;
  }
  QApplication::setStyle(new MidnightStyle(fusion));
  QApplication::setPalette(MidnightPalette());
  return true;
}

}  // namespace linuxdesktop
