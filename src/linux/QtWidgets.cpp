#include "linux/QtWidgets.h"

#include "linux/NetWmAbove.h"
#include "linux/RealtimePriority.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QEventLoop>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyledItemDelegate>
#include <QSystemTrayIcon>
#include <QSocketNotifier>
#include <QTimer>
#include <QWindow>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <functional>

namespace qtui {

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QWidget* ParentWidget(ui::Container& parent) {
  auto* holder = dynamic_cast<WidgetHolder*>(&parent.Peer());
  return holder ? holder->widget() : nullptr;
}

qreal Ratio(const QWidget* w) { return w ? w->devicePixelRatioF() : qApp->devicePixelRatio(); }

int ToPhysical(int logical, qreal ratio) { return static_cast<int>(std::lround(logical * ratio)); }
int ToLogical(int physical, qreal ratio) { return static_cast<int>(std::lround(physical / ratio)); }

// The shared part of every widget peer: enabled, visible, caption, position queries. The
// peer owns its widget; Qt's parent links only place it.
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

// A caption wider than its place (a long translation in a place laid out for English) is
// shown in a smaller font rather than cut off, down to three quarters of the widget's own
// size. `needed` gives the width the caption takes in a font.
void FitCaption(QWidget* w, int available, const std::function<int(const QFont&)>& needed) {
  static const char* const kFullSize = "qelFullPointSize";
  QFont f = w->font();
  if (!w->property(kFullSize).isValid()) w->setProperty(kFullSize, f.pointSizeF());
  const qreal full = w->property(kFullSize).toReal();
  if (full <= 0) return;  // a font sized in pixels: left as it is
  f.setPointSizeF(full);
  for (qreal size = full; needed(f) > available && size - 0.25 >= full * 0.75;) {
    size -= 0.25;
    f.setPointSizeF(size);
  }
  if (f != w->font()) w->setFont(f);
}

// Where a caption that starts at `place` (in the parent) must end: before the nearest shown
// sibling to its right on the same row (the design lays some fields over the end of a check
// box's place), or before the parent's edge.
int CaptionLimit(const QWidget* self, const QRect& place, int margin) {
  const QWidget* parent = self->parentWidget();
  int limit = parent->width() - margin;
  for (const QObject* o : parent->children()) {
    const auto* sibling = qobject_cast<const QWidget*>(o);
    if (!sibling || sibling == self || !sibling->isVisibleTo(parent)) continue;
    const QRect g = sibling->geometry();
    if (g.left() > place.left() && g.top() <= place.bottom() && g.bottom() >= place.top())
      limit = std::min(limit, g.left() - margin);
  }
  return limit;
}

template <typename W>
W* Placed(W* w, ui::Rect place) {
  w->setGeometry(place.left, place.top, place.width, place.height);
  w->show();
  return w;
}

// ---------------------------------------------------------------- window

class WindowWidget : public QWidget {
 public:
  std::function<void()> onUserClose;
  // While shown modally, Esc closes the window as its close box does (as the Windows
  // dialog manager turns Esc into a close).
  bool escapeCloses = false;

 protected:
  void closeEvent(QCloseEvent* e) override {
    // Qt never closes the window itself; the peer decides what ends with the window.
    e->ignore();
    if (onUserClose) onUserClose();
  }
  void keyPressEvent(QKeyEvent* e) override {
    if (escapeCloses && e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
      e->accept();
      if (onUserClose) onUserClose();
      return;
    }
    QWidget::keyPressEvent(e);
  }
};

class WindowPeer : public WidgetPeer<WindowWidget, ui::WindowPeer> {
 public:
  WindowPeer(QtWidgetFactory& factory, ui::Window& owner, const ui::WindowSpec& spec)
      : WidgetPeer(new WindowWidget), factory_(factory), owner_(owner), main_(spec.mainWindow) {
    w()->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                        Qt::WindowCloseButtonHint);
    w()->setFixedSize(spec.clientWidth, spec.clientHeight);
    w()->onUserClose = [this] { UserClose(); };
    if (main_) factory_.SetMainWindow(w(), [this] { UserClose(); });
  }
  ~WindowPeer() override {
    if (main_) factory_.SetMainWindow(nullptr, nullptr);
    if (loop_) loop_->quit();
  }

  void setCaption(const std::string& text) override { w()->setWindowTitle(Q(text)); }

  void setVisible(bool on) override {
    if (on && !placed_) {
      placed_ = true;
      Centre();
    }
    w()->setVisible(on);
  }

  ui::Rect bounds() const override {
    const QRect f = w()->frameGeometry();
    const qreal r = Ratio(w());
    return {ToPhysical(f.x(), r), ToPhysical(f.y(), r), ToPhysical(f.width(), r),
            ToPhysical(f.height(), r)};
  }

  void setBounds(ui::Rect b) override {
    placed_ = true;
    const qreal r = Ratio(w());
    const QMargins m = FrameMargins();
    const int width = std::max(1, ToLogical(b.width, r) - m.left() - m.right());
    const int height = std::max(1, ToLogical(b.height, r) - m.top() - m.bottom());
    w()->setFixedSize(width, height);
    // A top-level window's position is that of its frame.
    w()->move(ToLogical(b.left, r), ToLogical(b.top, r));
  }

  void setTopMost(bool on) override {
    Qt::WindowFlags flags = w()->windowFlags();
    if (flags.testFlag(Qt::WindowStaysOnTopHint) == on) return;
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    // QWidget::setWindowFlags would re-create the native window (a new X window, hidden);
    // the platform window changes its state in place instead, without moving.
    w()->overrideWindowFlags(flags);
    if (QWindow* native = w()->windowHandle()) native->setFlags(flags);
    // Qt applies the band when it maps the window; a shown window is asked for in place.
    if (w()->isVisible()) {
      auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
      if (x11) RequestNetWmAbove(x11->display(), static_cast<unsigned long>(w()->winId()), on);
    }
  }

  void bringToFront() override {
    w()->raise();
    w()->activateWindow();
  }

  void restore() override {
    if (w()->isMinimized()) w()->showNormal();
  }

  void minimize() override { w()->showMinimized(); }

  void repaint() override {
    w()->repaint();
    QCoreApplication::sendPostedEvents();
  }

  int captionHeight() const override {
    const QMargins m = FrameMargins();
    const int caption = m.top() - m.bottom();
    // Without a window manager there is no frame at all: a common caption height.
    if (caption <= 0) return ToPhysical(23, Ratio(w()));
    return ToPhysical(caption, Ratio(w()));
  }

  int frameHeight() const override {
    const QMargins m = FrameMargins();
    if (m.top() <= 0) return ToPhysical(4, Ratio(w()));
    return ToPhysical(m.bottom(), Ratio(w()));
  }

  void showModal() override {
    owner_.UserShowing();
    w()->setWindowModality(Qt::ApplicationModal);
    setVisible(true);
    QEventLoop loop;
    loop_ = &loop;
    w()->escapeCloses = true;
    loop.exec();
    w()->escapeCloses = false;
    loop_ = nullptr;
    w()->hide();
  }

  void close() override {
    if (loop_) {
      loop_->quit();
      w()->hide();
      return;
    }
    if (main_)
      UserClose();
    else
      w()->hide();
  }

 private:
  QMargins FrameMargins() const {
    const QRect f = w()->frameGeometry();
    const QRect g = w()->geometry();
    return {g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom()};
  }

  void Centre() {
    QScreen* screen = w()->screen() ? w()->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    QRect g(QPoint(0, 0), w()->size());
    g.moveCenter(area.center());
    w()->move(g.topLeft());
  }

  void UserClose() {
    if (closing_) return;
    closing_ = true;
    const bool allowed = owner_.UserClosing();
    closing_ = false;
    // Refused (the update dialog during a download): the window stays as it is.
    if (!allowed) return;
    if (loop_) {
      loop_->quit();
      w()->hide();
    } else if (main_) {
      // The main window's close ends the message loop; the window itself is destroyed
      // by the start-up sequence after the loop.
      w()->hide();
      QCoreApplication::quit();
    } else {
      w()->hide();
    }
  }

  QtWidgetFactory& factory_;
  ui::Window& owner_;
  const bool main_;
  bool placed_ = false;
  bool closing_ = false;
  QEventLoop* loop_ = nullptr;
};

// ---------------------------------------------------------------- containers

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

// ---------------------------------------------------------------- buttons

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

// ---------------------------------------------------------------- spin edit

class SpinBox : public QSpinBox {
 public:
  explicit SpinBox(QWidget* parent) : QSpinBox(parent) {}
  std::function<void(const QString& typed)> onLeft;
  QLineEdit* edit() const { return lineEdit(); }

  // Any whole number may be typed, also one beyond the range: it is brought into range
  // when the field is left, not refused key by key.
  QValidator::State validate(QString& input, int& pos) const override {
    static const QRegularExpression wholeNumber(QStringLiteral("^\\s*[+-]?\\d*\\s*$"));
    if (!wholeNumber.match(input).hasMatch()) return QValidator::Invalid;
    return QSpinBox::validate(input, pos) == QValidator::Acceptable ? QValidator::Acceptable
                                                                    : QValidator::Intermediate;
  }

 protected:
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
    // A field this narrow would show no number beside its arrows; the keys still step it.
    if (place.width < 48) w()->setButtonSymbols(QAbstractSpinBox::NoButtons);
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
};

// ---------------------------------------------------------------- lists

class ComboPeer : public WidgetPeer<QComboBox, ui::ListPeer> {
 public:
  ComboPeer(ui::ComboBox& owner, QWidget* parent, ui::Rect place)
      : WidgetPeer(Placed(new QComboBox(parent), place)) {
    w()->setEditable(false);
    QObject::connect(w(), &QComboBox::activated, w(), [&owner](int index) { owner.UserSelected(index); });
  }
  void setCaption(const std::string&) override {}
  void setItems(const std::vector<std::string>& items) override {
    QSignalBlocker block(w());
    w()->clear();
    for (const auto& item : items) w()->addItem(Q(item));
  }
  void setItemIndex(int index) override {
    QSignalBlocker block(w());
    w()->setCurrentIndex(index);
  }
};

class FixedRowHeight : public QStyledItemDelegate {
 public:
  FixedRowHeight(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), height_};
  }

 private:
  int height_;
};

class ListBoxPeer : public WidgetPeer<QListWidget, ui::ListPeer> {
 public:
  ListBoxPeer(ui::ListBox& owner, QWidget* parent, ui::Rect place)
      : WidgetPeer(Placed(new QListWidget(parent), place)) {
    w()->setSelectionMode(QAbstractItemView::SingleSelection);
    w()->setUniformItemSizes(true);
    w()->setItemDelegate(new FixedRowHeight(15, w()));
    // The selection, not the current row: focus alone moves the current row to the
    // first line without selecting anything.
    QObject::connect(w(), &QListWidget::itemSelectionChanged, w(), [this, &owner] {
      const QList<QListWidgetItem*> selected = w()->selectedItems();
      owner.UserSelected(selected.isEmpty() ? -1 : w()->row(selected.front()));
    });
  }
  void setCaption(const std::string&) override {}
  void setItems(const std::vector<std::string>& items) override {
    QSignalBlocker block(w());
    w()->clear();
    for (const auto& item : items) w()->addItem(Q(item));
  }
  void setItemIndex(int index) override {
    QSignalBlocker block(w());
    w()->setCurrentRow(index);
    if (index < 0) w()->clearSelection();
  }
};

// ---------------------------------------------------------------- label

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

// ---------------------------------------------------------------- progress, image

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

// ---------------------------------------------------------------- timer

// A timerfd on CLOCK_MONOTONIC watched from the Qt event loop. The kernel keeps the
// timer on its grid from start(), so a late tick does not shift the ones after it (a Qt
// precise timer re-bases after every late tick and so falls short of 1000 ticks a second
// at 1 ms); the expiration count of one read merges the ticks that fell due meanwhile into
// one; re-arming or disarming resets that count, so stop() also drops a pending tick.
class TimerPeer : public ui::TimerPeer {
 public:
  explicit TimerPeer(ui::Timer& owner) : owner_(owner) {
    fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ >= 0) {
      notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
      QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { Expired(); });
    } else {
      fallback_.setTimerType(Qt::PreciseTimer);
      QObject::connect(&fallback_, &QTimer::timeout, &fallback_, [this] { owner_.Tick(); });
    }
  }
  ~TimerPeer() override {
    if (running_) RealtimePriority::Instance().TimerStopped();
    notifier_.reset();
    if (fd_ >= 0) close(fd_);
  }
  void start(unsigned intervalMs) override {
    if (fd_ < 0) {
      fallback_.start(static_cast<int>(std::min<unsigned>(intervalMs, 0x7FFFFFFF)));
      return;
    }
    itimerspec spec{};
    spec.it_interval.tv_sec = intervalMs / 1000;
    spec.it_interval.tv_nsec = static_cast<long>(intervalMs % 1000) * 1000000L;
    spec.it_value = spec.it_interval;
    intervalNs_ = static_cast<std::int64_t>(intervalMs) * 1000000;
    // Longer intervals wake a little early and wait out the rest awake: a thread woken from
    // a long idle spell arrives with a varying delay (cold caches, deep CPU idle states), one
    // that is already running does not. The cost is the lead per tick, 0.25 % at 100 ms; at
    // short intervals the thread never sleeps long enough to need it.
    leadNs_ = intervalMs >= 10 ? kLeadNs : 0;
    if (leadNs_ > 0) {
      spec.it_value.tv_nsec -= leadNs_;
      if (spec.it_value.tv_nsec < 0) {
        spec.it_value.tv_nsec += 1000000000L;
        --spec.it_value.tv_sec;
      }
    }
    timerfd_settime(fd_, 0, &spec, nullptr);
    if (!running_) RealtimePriority::Instance().TimerStarted();
    running_ = true;
  }
  void stop() override {
    if (fd_ < 0) {
      fallback_.stop();
      return;
    }
    itimerspec off{};
    timerfd_settime(fd_, 0, &off, nullptr);
    if (running_) RealtimePriority::Instance().TimerStopped();
    running_ = false;
  }

 private:
  static std::int64_t NowNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
  }
  void Expired() {
    std::uint64_t expirations = 0;
    if (read(fd_, &expirations, sizeof expirations) != static_cast<ssize_t>(sizeof expirations) ||
        expirations == 0)
      return;
    if (leadNs_ > 0) {
      // The expiration that woke us lies one interval before the next one.
      itimerspec left{};
      if (timerfd_gettime(fd_, &left) == 0) {
        const std::int64_t now = NowNs();
        const std::int64_t next =
            now + static_cast<std::int64_t>(left.it_value.tv_sec) * 1000000000 + left.it_value.tv_nsec;
        const std::int64_t due = next - intervalNs_ + leadNs_;
        if (due - now <= leadNs_) {
          while (NowNs() < due) {
          }
        }
      }
    }
    owner_.Tick();
  }
  static constexpr long kLeadNs = 250000;
  ui::Timer& owner_;
  int fd_ = -1;
  std::int64_t intervalNs_ = 0;
  long leadNs_ = 0;
  bool running_ = false;
  std::unique_ptr<QSocketNotifier> notifier_;
  QTimer fallback_;
};

// ---------------------------------------------------------------- tray, menu

class TrayPeer : public ui::TrayIconPeer {
 public:
  explicit TrayPeer(ui::TrayIcon& owner) {
    tray_.setIcon(QIcon(Picture("icon")));
    QObject::connect(&tray_, &QSystemTrayIcon::activated, &tray_,
                     [&owner](QSystemTrayIcon::ActivationReason reason) {
                       if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                         owner.UserClicked();
                     });
  }
  void setHint(const std::string& text) override { tray_.setToolTip(Q(text)); }
  void setVisible(bool on) override { tray_.setVisible(on); }
  bool available() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }

 private:
  QSystemTrayIcon tray_;
};

class MenuPeer : public ui::PopupMenuPeer {
 public:
  explicit MenuPeer(ui::PopupMenu& owner) : owner_(owner) {}
  void setItems(const std::vector<ui::MenuItem>& items) override { items_ = items; }
  void popup(ui::Point screen) override {
    QMenu menu;
    QList<QAction*> actions;
    for (const auto& item : items_) {
      // Shown as written: a literal '&' is not an access-key marker here.
      QAction* a = menu.addAction(Q(item.caption).replace("&", "&&"));
      a->setCheckable(true);
      a->setChecked(item.checked);
      actions.append(a);
    }
    const qreal r = qApp->devicePixelRatio();
    QAction* chosen = menu.exec(QPoint(ToLogical(screen.x, r), ToLogical(screen.y, r)));
    const int index = chosen ? static_cast<int>(actions.indexOf(chosen)) : -1;
    if (index >= 0) owner_.UserChose(index);
  }

 private:
  ui::PopupMenu& owner_;
  std::vector<ui::MenuItem> items_;
};

}  // namespace

QPixmap Picture(const std::string& name) { return QPixmap(":/images/" + Q(name) + ".png"); }

void QtWidgetFactory::CloseMainWindow() {
  if (mainCloser_) mainCloser_();
}

std::unique_ptr<ui::WindowPeer> QtWidgetFactory::CreateWindow(ui::Window& owner, const ui::WindowSpec& spec) {
  return std::make_unique<WindowPeer>(*this, owner, spec);
}
std::unique_ptr<ui::ControlPeer> QtWidgetFactory::CreateGroupBox(ui::GroupBox&, ui::Container& parent, ui::Rect place) {
  return std::make_unique<GroupBoxPeer>(ParentWidget(parent), place);
}
std::unique_ptr<ui::ControlPeer> QtWidgetFactory::CreatePanel(ui::Panel&, ui::Container& parent, int height) {
  return std::make_unique<PanelPeer>(ParentWidget(parent), height);
}
std::unique_ptr<ui::ButtonPeer> QtWidgetFactory::CreateButton(ui::Button& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<ButtonPeer>(owner, ParentWidget(parent), place);
}
std::unique_ptr<ui::CheckPeer> QtWidgetFactory::CreateCheckBox(ui::CheckBox& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<CheckBoxPeer>(owner, ParentWidget(parent), place);
}
std::unique_ptr<ui::CheckPeer> QtWidgetFactory::CreateRadioButton(ui::RadioButton& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<RadioPeer>(owner, ParentWidget(parent), place);
}
std::unique_ptr<ui::SpinEditPeer> QtWidgetFactory::CreateSpinEdit(ui::SpinEdit& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<SpinEditPeer>(owner, ParentWidget(parent), place);
}
std::unique_ptr<ui::ListPeer> QtWidgetFactory::CreateComboBox(ui::ComboBox& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<ComboPeer>(owner, ParentWidget(parent), place);
}
std::unique_ptr<ui::ListPeer> QtWidgetFactory::CreateListBox(ui::ListBox& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<ListBoxPeer>(owner, ParentWidget(parent), place);
}
std::unique_ptr<ui::LabelPeer> QtWidgetFactory::CreateLabel(ui::Label& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<LabelPeer>(owner, ParentWidget(parent), place);
}
std::unique_ptr<ui::ProgressBarPeer> QtWidgetFactory::CreateProgressBar(ui::ProgressBar&, ui::Container& parent, ui::Rect place) {
  return std::make_unique<ProgressPeer>(ParentWidget(parent), place);
}
std::unique_ptr<ui::ControlPeer> QtWidgetFactory::CreateImage(ui::Image& owner, ui::Container& parent, ui::Rect place) {
  return std::make_unique<ImagePeer>(owner.PictureName(), ParentWidget(parent), place);
}
std::unique_ptr<ui::TimerPeer> QtWidgetFactory::CreateTimer(ui::Timer& owner) {
  return std::make_unique<TimerPeer>(owner);
}
std::unique_ptr<ui::TrayIconPeer> QtWidgetFactory::CreateTrayIcon(ui::TrayIcon& owner) {
  return std::make_unique<TrayPeer>(owner);
}
std::unique_ptr<ui::PopupMenuPeer> QtWidgetFactory::CreatePopupMenu(ui::PopupMenu& owner) {
  return std::make_unique<MenuPeer>(owner);
}

}  // namespace qtui
