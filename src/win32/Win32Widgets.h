#pragma once

// Native Win32 peers behind the widget kit. Only the Windows edition's own files include
// this header.

#include <windows.h>
// The kit names methods CreateWindow and MessageBox; the Windows macros of those names
// must go.
#undef CreateWindow
#undef MessageBox

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/WidgetFactory.h"
#include "win32/Win32Gdi.h"

namespace win32 {

class Style;
class Pictures;
class TimerService;
class TopWindowPeer;

// Functions of newer systems, looked up at run time so that the program still starts
// where they are missing (older Windows, Wine).
UINT DpiOfWindow(HWND window);
int MetricForDpi(int index, UINT dpi);
void AdjustRectForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi);

// A tool tip over one control, made when first needed; an empty text turns it off.
class HoverHint {
 public:
  HoverHint() = default;
  HoverHint(const HoverHint&) = delete;
  HoverHint& operator=(const HoverHint&) = delete;
  ~HoverHint();
  void Set(HWND top, HWND control, const std::string& text);

 private:
  std::wstring text_;
  HWND tip_ = nullptr;
  bool added_ = false;
};

// Every peer that owns a window handle. Peers of standard controls keep a pointer to
// themselves in the control's GWLP_USERDATA, so that the parent container can hand them
// the notifications it receives.
class HwndPeer : public virtual ui::ControlPeer {
 public:
  HwndPeer(class Win32WidgetFactory& factory, HwndPeer* parent, ui::Rect place);
  ~HwndPeer() override;
  HwndPeer(const HwndPeer&) = delete;
  HwndPeer& operator=(const HwndPeer&) = delete;

  HWND Handle() const { return hwnd_; }
  HwndPeer* Parent() const { return parent_; }
  TopWindowPeer& Top();
  UINT Dpi() const;
  int Scale(int v) const { return MulDiv(v, static_cast<int>(Dpi()), 96); }
  Win32WidgetFactory& Factory() const { return factory_; }

  void setEnabled(bool on) override;
  void setVisible(bool on) override;
  void setCaption(const std::string& text) override;
  ui::Point clientToScreen(ui::Point p) const override;
  int height() const override;

  // The colour children paint behind themselves (a container's own background).
  virtual COLORREF Background() const;
  // Notifications the parent received for this control.
  virtual void OnCommand(WORD code) { (void)code; }
  virtual bool OnNotify(NMHDR* header, LRESULT& result) {
    (void)header;
    (void)result;
    return false;
  }
  virtual void OnDrawItem(const DRAWITEMSTRUCT& item) { (void)item; }
  virtual HBRUSH OnCtlColor(UINT message, HDC dc);
  // Places the control at the top-level window's current DPI and gives it the font.
  virtual void Relayout();
  // The parent's client area changed size.
  virtual void ParentResized() {}
  // Draws what the control shows around itself on its parent's surface (the border of an
  // edit field, whose own border the system draws in its fixed colours).
  virtual void PaintAround(HDC parentDc) { (void)parentDc; }
  void PaintChildrenAround(HDC dc) {
    for (HwndPeer* c : children_) c->PaintAround(dc);
  }
  // For the custom classes of this file: the window procedure's body.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void AddChild(HwndPeer* child) { children_.push_back(child); }
  void RemoveChild(HwndPeer* child);
  const std::vector<HwndPeer*>& Children() const { return children_; }
  // Relayout of this peer and everything below it.
  void RelayoutTree();
  // Whether the place depends on where the siblings are (a caption that ends where the next
  // control on its row begins): laid out again once the siblings have moved.
  virtual bool FollowsSiblings() const { return false; }
  // Where a one-line caption at `place` (physical pixels, in the parent) must end: `margin`
  // before the next shown sibling on its row, or before the parent's edge.
  int CaptionEnd(const ui::Rect& place, int margin) const;

  static LRESULT CALLBACK CustomProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static HwndPeer* FromHandle(HWND window);

 protected:
  // Creates a standard control or a window of one of the custom classes (which receive
  // this peer through lpCreateParams).
  void CreateHandle(const wchar_t* className, DWORD style, DWORD exStyle, const ui::Rect& physical,
                    bool custom);
  ui::Rect PhysicalPlace() const;
  LRESULT RouteContainerMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  void PaintBackground(HDC dc, const RECT& r) const;

  Win32WidgetFactory& factory_;
  HwndPeer* parent_;
  ui::Rect place_;  // 96-DPI pixels relative to the parent
  HWND hwnd_ = nullptr;
  std::wstring caption_;
  std::vector<HwndPeer*> children_;
  bool enabled_ = true;
};

class TopWindowPeer : public ui::WindowPeer, public HwndPeer {
 public:
  TopWindowPeer(Win32WidgetFactory& factory, ui::Window& owner, const ui::WindowSpec& spec);
  ~TopWindowPeer() override;

  UINT WindowDpi() const { return dpi_; }
  HFONT Font() const { return font_.get(); }
  bool IsMain() const { return spec_.mainWindow; }

  void setVisible(bool on) override;
  void setCaption(const std::string& text) override;
  ui::Point clientToScreen(ui::Point p) const override;
  int height() const override;
  ui::Rect bounds() const override;
  void setBounds(ui::Rect r) override;
  void setTopMost(bool on) override;
  void bringToFront() override;
  void showWithoutFocus() override;
  void restore() override;
  void minimize() override;
  void repaint() override;
  int captionHeight() const override;
  int frameHeight() const override;
  void showModal() override;
  void close() override;

  COLORREF Background() const override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Relayout() override {}

 private:
  DWORD Style() const;
  DWORD ExStyle() const;
  SIZE NaturalOuterSize(UINT dpi) const;
  void ApplyDpi(UINT dpi, const RECT* suggested);
  void RunClosePath();

  ui::Window& owner_;
  ui::WindowSpec spec_;
  UINT dpi_ = 96;
  OwnedFont font_;
  // The size was set from outside (the compact window): a DPI change scales it instead of
  // recomputing it from the client size.
  bool natural_ = true;
  bool modalRunning_ = false;
  bool ended_ = false;
  bool shownOnce_ = false;
  HWND lastFocus_ = nullptr;
};

// The factory of native peers; also owns what they share (style, pictures, timers).
class Win32WidgetFactory : public ui::WidgetFactory {
 public:
  explicit Win32WidgetFactory(const Style& style);
  ~Win32WidgetFactory() override;

  std::unique_ptr<ui::WindowPeer> CreateWindow(ui::Window& owner, const ui::WindowSpec& spec) override;
  std::unique_ptr<ui::ControlPeer> CreateGroupBox(ui::GroupBox& owner, ui::Container& parent, ui::Rect place) override;
  std::unique_ptr<ui::ControlPeer> CreatePanel(ui::Panel& owner, ui::Container& parent, int height) override;
  std::unique_ptr<ui::ButtonPeer> CreateButton(ui::Button& owner, ui::Container& parent, ui::Rect place) override;
  std::unique_ptr<ui::CheckPeer> CreateCheckBox(ui::CheckBox& owner, ui::Container& parent, ui::Rect place) override;
  std::unique_ptr<ui::CheckPeer> CreateRadioButton(ui::RadioButton& owner, ui::Container& parent, ui::Rect place) override;
  std::unique_ptr<ui::SpinEditPeer> CreateSpinEdit(ui::SpinEdit& owner, ui::Container& parent, ui::Rect place) override;
  std::unique_ptr<ui::ListPeer> CreateComboBox(ui::ComboBox& owner, ui::Container& parent, ui::Rect place) override;
  std::unique_ptr<ui::ListPeer> CreateListBox(ui::ListBox& owner, ui::Container& parent, ui::Rect place) override;
  std::unique_ptr<ui::LabelPeer> CreateLabel(ui::Label& owner, ui::Container& parent, ui::Rect place) override;
  std::unique_ptr<ui::ProgressBarPeer> CreateProgressBar(ui::ProgressBar& owner, ui::Container& parent, ui::Rect place) override;
  std::unique_ptr<ui::ControlPeer> CreateImage(ui::Image& owner, ui::Container& parent, ui::Rect place) override;
  std::unique_ptr<ui::HotkeyFieldPeer> CreateHotkeyField(ui::HotkeyField& owner, ui::Container& parent, ui::Rect place) override;
  std::unique_ptr<ui::TimerPeer> CreateTimer(ui::Timer& owner) override;
  std::unique_ptr<ui::TrayIconPeer> CreateTrayIcon(ui::TrayIcon& owner) override;
  std::unique_ptr<ui::PopupMenuPeer> CreatePopupMenu(ui::PopupMenu& owner) override;

  const Style& Look() const { return style_; }
  Pictures& Images() { return *pictures_; }
  TimerService& Timers() { return *timers_; }
  // The main window while it exists (owner of message boxes and menus), else null.
  HWND MainHandle() const { return main_ ? main_->Handle() : nullptr; }
  void SetMain(TopWindowPeer* w) { main_ = w; }
  TopWindowPeer* Main() const { return main_; }
  // The window that should own a modal box now: the modal window shown, else the main
  // window when it is shown.
  HWND ModalOwner() const;
  // The window shown modally now (its keys go through the dialog manager also while a
  // handler serves the queue), else null.
  HWND ModalWindow() const { return modal_; }
  void SetModalWindow(HWND w) { modal_ = w; }
  // A program icon: from the resources, or drawn when they hold none.
  HICON ProgramIcon(int size);
  // Called when the user's session ends: the program must be closed and saved before
  // the handler returns.
  void SetSessionEndHandler(std::function<void()> handler) { sessionEnd_ = std::move(handler); }
  void RunSessionEnd() {
    if (sessionEnd_) sessionEnd_();
  }

  static HINSTANCE Instance();
  static void RegisterClasses();

 private:
  static HwndPeer& PeerOf(ui::Container& c);
  const Style& style_;
  std::unique_ptr<Pictures> pictures_;
  std::unique_ptr<TimerService> timers_;
  TopWindowPeer* main_ = nullptr;
  HWND modal_ = nullptr;
  std::vector<HICON> icons_;
  std::function<void()> sessionEnd_;
};

}  // namespace win32
