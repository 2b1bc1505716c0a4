#include "linux/QtStyle.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

namespace qtui {

namespace {
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
  QApplication::setStyle(fusion);
  QApplication::setPalette(MidnightPalette());
  return true;
}

}  // namespace qtui
