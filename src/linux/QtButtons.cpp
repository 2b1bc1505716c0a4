// The Qt peers of push buttons, check boxes and radio buttons.

#include "linux/QtWidgetPeer.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QIcon>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

namespace linuxdesktop {

namespace {

class ButtonPeer : public WidgetPeer<QPushButton, ui::ButtonPeer> {
 public:
  ButtonPeer(ui::Button& owner, QWidget* parent, ui::Rect place)
      : WidgetPeer(Placed(new QPushButton(parent), place)) {
    w()->setAutoDefault(false);
    QObject::connect(w(), &QPushButton::clicked, w(), [&owner] { owner.UserClicked(); });
  }
  void setImage(const std::string& name) override {
    QIcon icon;
    icon.addPixmap(Picture(name), QIcon::Normal);
    icon.addPixmap(Picture(name + "_gray"), QIcon::Disabled);
    w()->setIcon(icon);
    w()->setIconSize(QSize(16, 16));
    Fit();
  }
  void setCaption(const std::string& text) override {
    WidgetPeer::setCaption(text);
    Fit();
  }

 private:
  void Fit() {
    // The text may come close to the frame: the places are tight for English already.
    QPushButton* b = w();
    const int image = b->icon().isNull() ? 0 : b->iconSize().width() + 4;
    FitCaption(b, b->width() - 6 - image,
               [b](const QFont& f) { return QFontMetrics(f).horizontalAdvance(b->text()); });
  }
};

// Check boxes and radio buttons answer a click anywhere in their place, not only on the
// mark and the text: their places are laid out wider than their captions.
template <typename B>
class WholeAreaButton : public B {
 public:
  explicit WholeAreaButton(QWidget* parent) : B(parent) {}

 protected:
  bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

// The caption of a check box or radio button fits the place beside its mark.
void FitCheckCaption(QAbstractButton* b, bool radio) {
  const QString text = b->text();
  QStyleOptionButton option;
  option.initFrom(b);
  const int textLeft =
      b->style()
          ->subElementRect(radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option, b)
          .left();
  // A field's own frame is drawn inside its place: the text may run up to the place.
  const int right = std::min(b->width(), CaptionLimit(b, b->geometry(), 0) - b->x());
  FitCaption(b, right - textLeft,
             [&text](const QFont& f) { return QFontMetrics(f).horizontalAdvance(text); });
}

class CheckBoxPeer : public WidgetPeer<QCheckBox, ui::CheckPeer> {
 public:
  CheckBoxPeer(ui::CheckBox& owner, QWidget* parent, ui::Rect place)
      : WidgetPeer(Placed(new WholeAreaButton<QCheckBox>(parent), place)) {
    QObject::connect(w(), &QCheckBox::toggled, w(), [&owner](bool on) { owner.UserToggled(on); });
  }
  void setChecked(bool on) override {
    QSignalBlocker block(w());
    w()->setChecked(on);
  }
  void setCaption(const std::string& text) override {
    WidgetPeer::setCaption(text);
    FitCheckCaption(w(), false);
  }
};

// The kit decides which radio button of a group is checked; Qt only shows it.
class RadioPeer : public WidgetPeer<QRadioButton, ui::CheckPeer> {
 public:
  RadioPeer(ui::RadioButton& owner, QWidget* parent, ui::Rect place)
      : WidgetPeer(Placed(new WholeAreaButton<QRadioButton>(parent), place)) {
    w()->setAutoExclusive(false);
    QObject::connect(w(), &QRadioButton::clicked, w(), [this, &owner] {
      owner.UserClicked();
      // A click on a checked radio button leaves it checked.
      setChecked(owner.Checked());
    });
  }
  void setChecked(bool on) override {
    QSignalBlocker block(w());
    w()->setChecked(on);
  }
  void setCaption(const std::string& text) override {
    WidgetPeer::setCaption(text);
    FitCheckCaption(w(), true);
  }
};

}  // namespace

std::unique_ptr<ui::ButtonPeer> QtWidgetFactory::CreateButton(ui::Button& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<ButtonPeer>(owner, ParentWidget(parent), place);
}
std::unique_ptr<ui::CheckPeer> QtWidgetFactory::CreateCheckBox(ui::CheckBox& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<CheckBoxPeer>(owner, ParentWidget(parent), place);
}
std::unique_ptr<ui::CheckPeer> QtWidgetFactory::CreateRadioButton(ui::RadioButton& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<RadioPeer>(owner, ParentWidget(parent), place);
}

}  // namespace linuxdesktop
