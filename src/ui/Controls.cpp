#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <utility>

#include "base/TextCase.h"
#include "ui/Guard.h"
#include "ui/WidgetFactory.h"

namespace ui {

namespace {
template <typename PeerT>
PeerT* Keep(std::unique_ptr<PeerT>& p) {
  return p.get();
}

}  // namespace

// ---- containers ----
GroupBox::GroupBox(Container& parent, Rect place, const std::string& caption)
    : Container(parent.Factory()) {
  AttachPeer(parent.Factory().CreateGroupBox(*this, parent, place));
  SetCaption(caption);
}

Panel::Panel(Container& parent, int height) : Container(parent.Factory()) {
  AttachPeer(parent.Factory().CreatePanel(*this, parent, height));
}

Image::Image(Container& parent, Rect place, const std::string& pictureName) : name_(pictureName) {
  AttachPeer(parent.Factory().CreateImage(*this, parent, place));
}

// ---- button ----
Button::Button(Container& parent, Rect place, const std::string& caption) {
  auto p = parent.Factory().CreateButton(*this, parent, place);
  peer_ = Keep(p);
  AttachPeer(std::move(p));
  SetCaption(caption);
}

void Button::UserClicked() {
  Guarded([this] {
    if (Enabled() && OnClick) OnClick();
  });
}

// ---- check box and radio button ----
CheckBox::CheckBox(Container& parent, Rect place, const std::string& caption) {
  auto p = parent.Factory().CreateCheckBox(*this, parent, place);
  peer_ = Keep(p);
  AttachPeer(std::move(p));
  SetCaption(caption);
}

void CheckBox::SetChecked(bool on) {
  if (checked_ == on) return;
  checked_ = on;
  peer_->setChecked(on);
  if (OnClick) OnClick();
}

void CheckBox::UserToggled(bool on) {
  Guarded([this, on] {
    if (checked_ == on) return;
    checked_ = on;
    if (OnClick) OnClick();
  });
}

RadioButton::RadioButton(Container& parent, RadioGroup& group, Rect place,
                         const std::string& caption)
    : group_(group) {
  auto p = parent.Factory().CreateRadioButton(*this, parent, place);
  peer_ = Keep(p);
  AttachPeer(std::move(p));
  SetCaption(caption);
  group_.Add(this);
}

void RadioButton::SetChecked(bool on) {
  if (checked_ == on) return;
  checked_ = on;
  peer_->setChecked(on);
  if (!on) return;
  for (RadioButton* other : group_.Members()) {
    if (other != this && other->checked_) {
      other->checked_ = false;
      other->peer_->setChecked(false);
    }
  }
  if (OnClick) OnClick();
}

void RadioButton::UserClicked() {
  Guarded([this] {
    if (!Enabled()) return;
    SetChecked(true);
  });
}

// ---- spin edit ----
SpinEdit::SpinEdit(Container& parent, Rect place, int minValue, int maxValue, int value)
    : min_(minValue), max_(maxValue) {
  auto p = parent.Factory().CreateSpinEdit(*this, parent, place);
  peer_ = Keep(p);
  AttachPeer(std::move(p));
  peer_->setRange(min_, max_);
  SetValue(value);
}

int SpinEdit::ParseValue(const std::string& text, int minValue, int maxValue) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  size_t digitsStart = i;
  std::int64_t value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    // Saturate: a number too long for any range is simply beyond it.
    if (value < 100000000000LL) value = value * 10 + (text[i] - '0');
  }
  size_t end = i;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (end == digitsStart || i != text.size()) return minValue;
  if (negative) value = -value;
  return static_cast<int>(std::clamp<std::int64_t>(value, minValue, maxValue));
}

int SpinEdit::Value() const { return ParseValue(text_, min_, max_); }

void SpinEdit::SetValue(int v) { SetText(std::to_string(std::clamp(v, min_, max_))); }

void SpinEdit::SetText(const std::string& text) {
  if (text_ == text) return;
  text_ = text;
  peer_->setText(text);
}

void SpinEdit::UserLeft() {
  Guarded([this] { SetValue(Value()); });
}

void SpinEdit::UserDoubleClicked() {
  Guarded([this] {
    if (Enabled() && OnDoubleClick) OnDoubleClick();
  });
}

// ---- combo box ----
ComboBox::ComboBox(Container& parent, Rect place) {
  auto p = parent.Factory().CreateComboBox(*this, parent, place);
  peer_ = Keep(p);
  AttachPeer(std::move(p));
}

void ComboBox::SetItems(const std::vector<std::string>& items) {
  items_ = items;
  index_ = -1;
  peer_->setItems(items_);
  peer_->setItemIndex(-1);
}

void ComboBox::SetItemIndex(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) index = -1;
  if (index_ == index) return;
  index_ = index;
  peer_->setItemIndex(index);
}

void ComboBox::UserSelected(int index) {
  Guarded([this, index] {
    if (index < 0 || index >= static_cast<int>(items_.size())) return;
    index_ = index;
    if (OnChange) OnChange();
  });
}

// ---- list box ----
ListBox::ListBox(Container& parent, Rect place) {
  auto p = parent.Factory().CreateListBox(*this, parent, place);
  peer_ = Keep(p);
  AttachPeer(std::move(p));
}

void ListBox::Show() {
  if (updating_ > 0) return;
  peer_->setItems(items_);
  peer_->setItemIndex(index_);
}

void ListBox::EndUpdate() {
  if (updating_ > 0) --updating_;
  Show();
}

void ListBox::Clear() {
  items_.clear();
  index_ = -1;
  Show();
}

void ListBox::Add(const std::string& item) {
  items_.push_back(item);
  Show();
}

void ListBox::SetItemIndex(int index) {
  if (index < 0 || index >= Count()) index = -1;
  index_ = index;
  if (updating_ == 0) peer_->setItemIndex(index);
}

int ListBox::IndexOfIgnoreCase(const std::string& text) const {
  for (int i = 0; i < Count(); ++i)
    if (text::EqualIgnoreCase(items_[static_cast<size_t>(i)], text)) return i;
  return -1;
}

void ListBox::UserSelected(int index) {
  Guarded([this, index] {
    index_ = (index >= 0 && index < Count()) ? index : -1;
    if (OnClick) OnClick();
  });
}

// ---- label, progress bar ----
Label::Label(Container& parent, Rect place, const std::string& caption) {
  auto p = parent.Factory().CreateLabel(*this, parent, place);
  peer_ = Keep(p);
  AttachPeer(std::move(p));
  SetCaption(caption);
}

void Label::SetUnderline(bool on) {
  if (underline_ == on) return;
  underline_ = on;
  peer_->setUnderline(on);
}

void Label::UserClicked() {
  Guarded([this] {
    if (OnClick) OnClick();
  });
}
void Label::UserEntered() {
  Guarded([this] {
    if (OnMouseEnter) OnMouseEnter();
  });
}
void Label::UserLeft() {
  Guarded([this] {
    if (OnMouseLeave) OnMouseLeave();
  });
}

ProgressBar::ProgressBar(Container& parent, Rect place) {
  auto p = parent.Factory().CreateProgressBar(*this, parent, place);
  peer_ = Keep(p);
  AttachPeer(std::move(p));
}

void ProgressBar::SetPosition(int percent) {
  percent = std::clamp(percent, 0, 100);
  if (position_ == percent) return;
  position_ = percent;
  peer_->setPosition(percent);
}

// ---- window ----
Window::Window(WidgetFactory& factory, const WindowSpec& spec) : Container(factory) {
  auto p = factory.CreateWindow(*this, spec);
  peer_ = Keep(p);
  AttachPeer(std::move(p));
  SetVisible(false);
}

void Window::SetTopMost(bool on) {
  peer_->setTopMost(on);
}

void Window::Show() { SetVisible(true); }

bool Window::UserClosing() {
  bool allowed = true;
  Guarded([&] {
    if (CanClose) allowed = CanClose();
  });
  if (!allowed) return false;
  Guarded([this] {
    if (OnCloseQuery) OnCloseQuery();
  });
  Guarded([this] {
    if (OnClose) OnClose();
  });
  return true;
}

void Window::UserShowing() {
  Guarded([this] {
    if (OnShow) OnShow();
  });
}

// ---- timer ----
Timer::Timer(WidgetFactory& factory, unsigned intervalMs)
    : peer_(factory.CreateTimer(*this)), interval_(intervalMs) {}
Timer::~Timer() = default;

void Timer::Apply() {
  if (enabled_ && interval_ > 0)
    peer_->start(interval_);
  else
    peer_->stop();
}

void Timer::SetInterval(unsigned ms) {
  if (interval_ == ms) return;
  interval_ = ms;
  if (enabled_) Apply();
}

void Timer::SetEnabled(bool on) {
  if (enabled_ == on) return;
  enabled_ = on;
  Apply();
}

void Timer::Tick() {
  Guarded([this] {
    if (enabled_ && OnTimer) OnTimer();
  });
}

// ---- tray icon, popup menu ----
TrayIcon::TrayIcon(WidgetFactory& factory) : peer_(factory.CreateTrayIcon(*this)) {}
TrayIcon::~TrayIcon() = default;

void TrayIcon::SetHint(const std::string& text) {
  peer_->setHint(text);
}

void TrayIcon::SetVisible(bool on) {
  visible_ = on;
  peer_->setVisible(on);
}

void TrayIcon::UserClicked() {
  Guarded([this] {
    if (OnClick) OnClick();
  });
}

void TrayIcon::UserAskedForMenu(Point screen) {
  Guarded([this, screen] {
    if (OnContextMenu) OnContextMenu(screen);
  });
}

PopupMenu::PopupMenu(WidgetFactory& factory) : peer_(factory.CreatePopupMenu(*this)) {}
PopupMenu::~PopupMenu() = default;

void PopupMenu::Add(const MenuItem& item) {
  items_.push_back(item);
  peer_->setItems(items_);
}

void PopupMenu::SetItems(std::vector<MenuItem> items) {
  items_ = std::move(items);
  peer_->setItems(items_);
}

void PopupMenu::SetChecked(int index, bool on) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return;
  items_[static_cast<size_t>(index)].checked = on;
  peer_->setItems(items_);
}

void PopupMenu::UserChose(int index) {
  Guarded([this, index] {
    if (index >= 0 && index < static_cast<int>(items_.size()) && items_[static_cast<size_t>(index)].enabled &&
        OnItemClick)
      OnItemClick(index);
  });
}

}  // namespace ui

// ---- hotkey field ----
namespace ui {

HotkeyField::HotkeyField(Container& parent, Rect place) {
  auto p = parent.Factory().CreateHotkeyField(*this, parent, place);
  peer_ = p.get();
  AttachPeer(std::move(p));
}

void HotkeyField::UserFocused() {
  Guarded([this] {
    if (Enabled() && OnFocus) OnFocus();
  });
}

void HotkeyField::UserKey(std::uint32_t vk, std::uint32_t modifiers) {
  Guarded([this, vk, modifiers] {
    if (Enabled() && OnKey) OnKey(vk, modifiers);
  });
}

void HotkeyField::UserButton(std::uint32_t vk, std::uint32_t modifiers) {
  Guarded([this, vk, modifiers] {
    if (Enabled() && OnButton) OnButton(vk, modifiers);
  });
}

}  // namespace ui
