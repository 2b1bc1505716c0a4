#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fakes/FakeClock.h"
#include "ui/WidgetFactory.h"

namespace fakes {

// Peers that only store what they were told to show.
struct FakeControlPeer : virtual ui::ControlPeer {
  bool enabled = true, visible = true;
  std::string caption;
  ui::Rect place;
  void setEnabled(bool on) override { enabled = on; }
  void setVisible(bool on) override { visible = on; }
  void setCaption(const std::string& t) override { caption = t; }
  ui::Point clientToScreen(ui::Point p) const override { return {place.left + p.x, place.top + p.y}; }
  int height() const override { return place.height; }
};

struct FakeWindowPeer : ui::WindowPeer, FakeControlPeer {
  ui::Rect outer{100, 100, 585, 624};
  bool topMost = false;
  int bringToFrontCount = 0, restoreCount = 0, repaintCount = 0;
  int caption = 23, frame = 4;
  bool modalOpen = false;
  ui::Window* owner = nullptr;
  std::function<void()> onShowModal;  // what the "user" does while a modal window is open
  ui::Rect bounds() const override { return outer; }
  void setBounds(ui::Rect r) override { outer = r; }
  void setTopMost(bool on) override { topMost = on; }
  void bringToFront() override { ++bringToFrontCount; }
  int showWithoutFocusCount = 0;
  void showWithoutFocus() override { ++showWithoutFocusCount; }
  void restore() override { ++restoreCount; }
  bool minimized = false;
  void minimize() override { minimized = true; }
  void repaint() override { ++repaintCount; }
  int captionHeight() const override { return caption; }
  int frameHeight() const override { return frame; }
  void showModal() override {
    modalOpen = true;
    if (onShowModal) onShowModal();
    modalOpen = false;
  }
  int closes = 0;
  void close() override {
    modalOpen = false;
    ++closes;
  }
};

// Keeps a factory's list of live peers: a peer leaves it when its control goes.
template <typename T>
struct Listed {
  std::vector<T*>* list = nullptr;
  ~Listed() {
    if (list) std::erase(*list, static_cast<T*>(this));
  }
};

struct FakeButtonPeer : ui::ButtonPeer, FakeControlPeer, Listed<FakeButtonPeer> {
  ui::Button* owner = nullptr;
  std::string image;
  void setImage(const std::string& n) override { image = n; }
};
struct FakeCheckPeer : ui::CheckPeer, FakeControlPeer {
  bool checked = false;
  void setChecked(bool on) override { checked = on; }
};
struct FakeSpinPeer : ui::SpinEditPeer, FakeControlPeer, Listed<FakeSpinPeer> {
  ui::SpinEdit* owner = nullptr;
  std::string text;
  int min = 0, max = 0;
  void setText(const std::string& t) override { text = t; }
  void setRange(int a, int b) override { min = a; max = b; }
  std::string hint;
  void setHint(const std::string& h) override { hint = h; }
};
struct FakeListPeer : ui::ListPeer, FakeControlPeer {
  std::vector<std::string> items;
  int index = -1;
  void setItems(const std::vector<std::string>& i) override { items = i; }
  void setItemIndex(int i) override { index = i; }
};
struct FakeLabelPeer : ui::LabelPeer, FakeControlPeer {
  bool underline = false;
  std::uint32_t link = 0;
  void setUnderline(bool on) override { underline = on; }
  void setLinkStyle(std::uint32_t rgb) override { link = rgb; }
  void setLayout(bool, bool) override {}
  std::string hint;
  void setHint(const std::string& h) override { hint = h; }
};
struct FakeHotkeyFieldPeer : ui::HotkeyFieldPeer, FakeControlPeer, Listed<FakeHotkeyFieldPeer> {
  ui::HotkeyField* owner = nullptr;
  bool listening = false;
  int focusCount = 0;
  // Gives the focus as the platform does: the field reports it.
  void setFocus() override {
    ++focusCount;
    if (owner) owner->UserFocused();
  }
  void setListening(bool on) override { listening = on; }
};
struct FakeProgressPeer : ui::ProgressBarPeer, FakeControlPeer {
  int position = 0, repaints = 0;
  void setPosition(int p) override { position = p; }
  void repaint() override { ++repaints; }
};
struct FakeTrayPeer : ui::TrayIconPeer {
  std::string hint;
  bool visible = false;
  void setHint(const std::string& t) override { hint = t; }
  void setVisible(bool on) override { visible = on; }
  bool present = true;  // false: a desktop without a notification area
  bool available() const override { return present; }
};
struct FakeMenuPeer : ui::PopupMenuPeer {
  std::vector<ui::MenuItem> items;
  std::vector<ui::Point> popups;
  void setItems(const std::vector<ui::MenuItem>& i) override { items = i; }
  void popup(ui::Point p) override { popups.push_back(p); }
};

class FakeWidgetFactory : public ui::WidgetFactory {
 public:
  explicit FakeWidgetFactory(FakeClock& clock) : clock_(clock) {}
  // The peer behind a control, to look at what it shows.
  template <typename PeerT = FakeControlPeer>
  PeerT& PeerOf(const ui::Control& c) {
    return dynamic_cast<PeerT&>(c.Peer());
  }
  FakeWindowPeer* lastWindow = nullptr;
  FakeTrayPeer* tray = nullptr;
  FakeMenuPeer* menu = nullptr;
  std::vector<FakeMenuPeer*> menus;
  // The buttons and hotkey fields that exist now, in the order they were made.
  std::vector<FakeButtonPeer*> buttons;
  std::vector<FakeHotkeyFieldPeer*> hotkeyFields;
  std::vector<FakeSpinPeer*> spins;
  // The last button created with this caption.
  FakeButtonPeer* ButtonCaptioned(const std::string& caption) {
    for (auto it = buttons.rbegin(); it != buttons.rend(); ++it)
      if ((*it)->caption == caption) return *it;
    return nullptr;
  }

  // What the "user" does while any window created from now on is shown modally.
  std::function<void(FakeWindowPeer&)> whileModal;

  std::unique_ptr<ui::WindowPeer> CreateWindow(ui::Window& owner, const ui::WindowSpec&) override {
    auto p = std::make_unique<FakeWindowPeer>();
    p->owner = &owner;
    if (whileModal) p->onShowModal = [this, w = p.get()] { whileModal(*w); };
    lastWindow = p.get();
    return p;
  }
  std::unique_ptr<ui::ControlPeer> CreateGroupBox(ui::GroupBox&, ui::Container&, ui::Rect r) override {
    return Placed<FakeControlPeer>(r);
  }
  std::unique_ptr<ui::ControlPeer> CreatePanel(ui::Panel&, ui::Container&, int h) override {
    return Placed<FakeControlPeer>({0, 0, 0, h});
  }
  std::unique_ptr<ui::ButtonPeer> CreateButton(ui::Button& owner, ui::Container&, ui::Rect r) override {
    return Kept<FakeButtonPeer>(r, owner, buttons);
  }
  std::unique_ptr<ui::CheckPeer> CreateCheckBox(ui::CheckBox&, ui::Container&, ui::Rect r) override {
    return Placed<FakeCheckPeer>(r);
  }
  std::unique_ptr<ui::CheckPeer> CreateRadioButton(ui::RadioButton&, ui::Container&, ui::Rect r) override {
    return Placed<FakeCheckPeer>(r);
  }
  std::unique_ptr<ui::SpinEditPeer> CreateSpinEdit(ui::SpinEdit& owner, ui::Container&, ui::Rect r) override {
    return Kept<FakeSpinPeer>(r, owner, spins);
  }
  std::unique_ptr<ui::ListPeer> CreateComboBox(ui::ComboBox&, ui::Container&, ui::Rect r) override {
    return Placed<FakeListPeer>(r);
  }
  std::unique_ptr<ui::ListPeer> CreateListBox(ui::ListBox&, ui::Container&, ui::Rect r) override {
    return Placed<FakeListPeer>(r);
  }
  std::unique_ptr<ui::LabelPeer> CreateLabel(ui::Label&, ui::Container&, ui::Rect r) override {
    return Placed<FakeLabelPeer>(r);
  }
  std::unique_ptr<ui::ProgressBarPeer> CreateProgressBar(ui::ProgressBar&, ui::Container&, ui::Rect r) override {
    return Placed<FakeProgressPeer>(r);
  }
  std::unique_ptr<ui::ControlPeer> CreateImage(ui::Image&, ui::Container&, ui::Rect r) override {
    return Placed<FakeControlPeer>(r);
  }
  std::unique_ptr<ui::HotkeyFieldPeer> CreateHotkeyField(ui::HotkeyField& owner, ui::Container&, ui::Rect r) override {
    return Kept<FakeHotkeyFieldPeer>(r, owner, hotkeyFields);
  }
  std::unique_ptr<ui::TimerPeer> CreateTimer(ui::Timer& owner) override { return clock_.MakeTimerPeer(owner); }
  std::unique_ptr<ui::TrayIconPeer> CreateTrayIcon(ui::TrayIcon&) override {
    auto p = std::make_unique<FakeTrayPeer>();
    tray = p.get();
    return p;
  }
  // `menu` is the first menu made (the main window's language menu), `menus` all of them.
  std::unique_ptr<ui::PopupMenuPeer> CreatePopupMenu(ui::PopupMenu&) override {
    auto p = std::make_unique<FakeMenuPeer>();
    if (!menu) menu = p.get();
    menus.push_back(p.get());
    return p;
  }

 private:
  // A peer that knows its control and stays in `list` while it lives.
  template <typename T, typename Owner>
  std::unique_ptr<T> Kept(ui::Rect r, Owner& owner, std::vector<T*>& list) {
    auto p = Placed<T>(r);
    p->owner = &owner;
    p->list = &list;
    list.push_back(p.get());
    return p;
  }
  template <typename T>
  std::unique_ptr<T> Placed(ui::Rect r) {
    auto p = std::make_unique<T>();
    p->place = r;
    return p;
  }
  FakeClock& clock_;
};

}  // namespace fakes
