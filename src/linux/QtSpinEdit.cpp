// The Qt peer of a spin edit. The field behaves as a plain edit field with arrows; what its
// text means is the kit's business.

#include "linux/QtWidgetPeer.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSpinBox>

#include <algorithm>
#include <cstdint>

namespace linuxdesktop {

namespace {

class SpinBox : public QSpinBox {
 public:
  explicit SpinBox(QWidget* parent) : QSpinBox(parent) { lineEdit()->installEventFilter(this); }
  std::function<void(const QString& typed)> onLeft;
  std::function<void()> onDoubleClick;
  QLineEdit* edit() const { return lineEdit(); }

  // Any text may be typed, as into a plain edit field: whoever reads the field gets the
  // number in it or the minimum, and it is brought into range when the field is left, not
  // refused key by key.
  QValidator::State validate(QString& input, int& pos) const override {
    QString copy = input;
    return QSpinBox::validate(copy, pos) == QValidator::Acceptable ? QValidator::Acceptable
                                                                    : QValidator::Intermediate;
  }

  // Arrows, keys and the wheel step from what the text reads as, not from the last number
  // Qt accepted.
  void stepBy(int steps) override {
    const std::int64_t from = ui::SpinEdit::ParseValue(lineEdit()->text().toStdString(), minimum(), maximum());
    const auto next = static_cast<int>(std::clamp<std::int64_t>(from + steps, minimum(), maximum()));
    lineEdit()->setText(QString::number(next));
    lineEdit()->selectAll();
  }

 protected:
  // An arrow is off where the text already reads as that end of the range.
  StepEnabled stepEnabled() const override {
    if (isReadOnly()) return StepNone;
    const int v = ui::SpinEdit::ParseValue(lineEdit()->text().toStdString(), minimum(), maximum());
    StepEnabled on = StepNone;
    if (v < maximum()) on |= StepUpEnabled;
    if (v > minimum()) on |= StepDownEnabled;
    return on;
  }

  // The text lies in the spin box's line edit, which gets the mouse first.
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched == lineEdit() && e->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton && onDoubleClick) {
      onDoubleClick();
      return true;
    }
    return QSpinBox::eventFilter(watched, e);
  }

  void keyPressEvent(QKeyEvent* e) override {
    // Enter leaves the text as typed (Qt would replace it with its last accepted number);
    // the window may use the key.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
      e->ignore();
      return;
    }
    QSpinBox::keyPressEvent(e);
  }

  void focusOutEvent(QFocusEvent* e) override {
    // The kit brings the typed text into range itself (an empty field becomes the
    // minimum); Qt's own correction on leaving is kept quiet.
    const QString typed = lineEdit()->text();
    {
      QSignalBlocker block(this), blockEdit(lineEdit());
      QSpinBox::focusOutEvent(e);
    }
    if (onLeft) onLeft(typed);
  }
};

class SpinEditPeer : public WidgetPeer<SpinBox, ui::SpinEditPeer> {
 public:
  SpinEditPeer(ui::SpinEdit& owner, QWidget* parent, ui::Rect place)
      : WidgetPeer(Placed(new SpinBox(parent), place)) {
    w()->setKeyboardTracking(true);
    w()->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    w()->setAccelerated(true);
    // Typed text and arrow steps both arrive as the text the field shows, also while it
    // is out of range (the spin box itself reports only numbers it accepts).
    QObject::connect(w()->edit(), &QLineEdit::textChanged, w(),
                     [&owner](const QString& text) { owner.UserTyped(text.toStdString()); });
    w()->onLeft = [this, &owner](const QString& typed) {
      owner.UserTyped(typed.toStdString());
      owner.UserLeft();
      // Show what the kit settled on, whatever Qt corrected meanwhile.
      setText(owner.Text());
    };
    w()->onDoubleClick = [&owner] { owner.UserDoubleClicked(); };
  }
  void setCaption(const std::string&) override {}
  void setText(const std::string& text) override {
    QSignalBlocker block(w()), blockEdit(w()->edit());
    bool ok = false;
    const int v = Q(text).trimmed().toInt(&ok);
    if (ok && v >= w()->minimum() && v <= w()->maximum())
      w()->setValue(v);
    w()->edit()->setText(Q(text));
  }
  void setRange(int minValue, int maxValue) override {
    QSignalBlocker block(w()), blockEdit(w()->edit());
    w()->setRange(minValue, maxValue);
  }
  void setHint(const std::string& hint) override { w()->setToolTip(Q(hint)); }
};

}  // namespace

std::unique_ptr<ui::SpinEditPeer> QtWidgetFactory::CreateSpinEdit(ui::SpinEdit& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<SpinEditPeer>(owner, ParentWidget(parent), place);
}

}  // namespace linuxdesktop
