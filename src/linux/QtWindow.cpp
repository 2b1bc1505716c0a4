// The Qt peer of a top-level window: the main window, the dialogs and their modal loop.

#include "linux/QtWidgetPeer.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <algorithm>

#include "linux/NetWmAbove.h"

namespace linuxdesktop {

namespace {

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

  // A window the pointer may have to reach while keys go to the window the user works in:
  // shown and raised like any other, but never activated, so a played key lands there.
  void showWithoutFocus() override {
    const bool before = w()->testAttribute(Qt::WA_ShowWithoutActivating);
    w()->setAttribute(Qt::WA_ShowWithoutActivating, true);
    if (!w()->isVisible()) setVisible(true);
    w()->raise();
    w()->setAttribute(Qt::WA_ShowWithoutActivating, before);
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

}  // namespace

void QtWidgetFactory::CloseMainWindow() {
  if (mainCloser_) mainCloser_();
}

std::unique_ptr<ui::WindowPeer> QtWidgetFactory::CreateWindow(ui::Window& owner, const ui::WindowSpec& spec) {
  return std::make_unique<WindowPeer>(*this, owner, spec);
}

}  // namespace linuxdesktop
