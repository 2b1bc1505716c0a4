#pragma once

#include <functional>
#include <string>

#include "ui/Container.h"

namespace ui {

class WindowPeer : public virtual ControlPeer {
 public:
  // Outer bounds in physical screen pixels.
  virtual Rect bounds() const = 0;
  virtual void setBounds(Rect r) = 0;
  // In or out of the top-most band, without moving or sizing the window.
  virtual void setTopMost(bool on) = 0;
  virtual void bringToFront() = 0;
  // Shown and raised above its band, the keyboard focus left where it is.
  virtual void showWithoutFocus() = 0;
  // Restore the application when it is minimised.
  virtual void restore() = 0;
  virtual void minimize() = 0;
  virtual void repaint() = 0;
  // Caption bar and sizing-frame heights of this window, in physical pixels.
  virtual int captionHeight() const = 0;
  virtual int frameHeight() const = 0;
  // Modal windows: run a nested loop until close(); close() of a modeless window closes it.
  virtual void showModal() = 0;
  virtual void close() = 0;
};

struct WindowSpec {
  int clientWidth = 0;   // 96-DPI pixels
  int clientHeight = 0;  // 96-DPI pixels
  bool mainWindow = false;
};

class Window : public Container {
 public:
  Window(WidgetFactory& factory, const WindowSpec& spec);
  Rect Bounds() const { return peer_->bounds(); }
  void SetBounds(Rect r) { peer_->setBounds(r); }
  void SetTopMost(bool on);
  void Show();
  void Hide() { SetVisible(false); }
  void BringToFront() { peer_->bringToFront(); }
  // The peer shows the window its own way first; the visible state then only follows.
  void ShowWithoutFocus() {
    peer_->showWithoutFocus();
    SetVisible(true);
  }
  void Restore() {
    minimized_ = false;
    peer_->restore();
  }
  void Minimize() {
    minimized_ = true;
    peer_->minimize();
  }
  // Minimised by the program and not restored by it since.
  bool Minimized() const { return minimized_; }
  void Repaint() { peer_->repaint(); }
  int CaptionHeight() const { return peer_->captionHeight(); }
  int FrameHeight() const { return peer_->frameHeight(); }
  void ShowModal() { peer_->showModal(); }
  void Close() { peer_->close(); }

  // Closing never asks to be refused in this program: OnCloseQuery runs, then OnClose.
  std::function<void()> OnCloseQuery;
  std::function<void()> OnClose;
  std::function<void()> OnShow;
  // Asked first when the user closes the window: false keeps it open, and neither
  // OnCloseQuery nor OnClose runs. Unset, every close goes ahead.
  std::function<bool()> CanClose;
  // The user closes the window (close box, Alt+F4, Esc in a dialog, the window manager).
  // False when CanClose refused: the peer then leaves the window as it is.
  bool UserClosing();
  // A modal window is about to be shown.
  void UserShowing();

 private:
  WindowPeer* peer_;
  bool minimized_ = false;
};

}  // namespace ui
