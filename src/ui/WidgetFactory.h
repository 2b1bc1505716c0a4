#pragma once

#include <memory>

#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/HotkeyField.h"
#include "ui/Container.h"
#include "ui/Label.h"
#include "ui/Lists.h"
#include "ui/SpinEdit.h"
#include "ui/Timer.h"
#include "ui/Tray.h"
#include "ui/Window.h"

namespace ui {

class Image;

// The platform's side of the kit: one peer per control. Each create call receives the
// control that the peer reports user actions to, its parent and its place.
class WidgetFactory {
 public:
  virtual ~WidgetFactory() = default;
  virtual std::unique_ptr<WindowPeer> CreateWindow(Window& owner, const WindowSpec& spec) = 0;
  virtual std::unique_ptr<ControlPeer> CreateGroupBox(GroupBox& owner, Container& parent, Rect place) = 0;
  virtual std::unique_ptr<ControlPeer> CreatePanel(Panel& owner, Container& parent, int height) = 0;
  virtual std::unique_ptr<ButtonPeer> CreateButton(Button& owner, Container& parent, Rect place) = 0;
  virtual std::unique_ptr<CheckPeer> CreateCheckBox(CheckBox& owner, Container& parent, Rect place) = 0;
  virtual std::unique_ptr<CheckPeer> CreateRadioButton(RadioButton& owner, Container& parent, Rect place) = 0;
  virtual std::unique_ptr<SpinEditPeer> CreateSpinEdit(SpinEdit& owner, Container& parent, Rect place) = 0;
  virtual std::unique_ptr<ListPeer> CreateComboBox(ComboBox& owner, Container& parent, Rect place) = 0;
  virtual std::unique_ptr<ListPeer> CreateListBox(ListBox& owner, Container& parent, Rect place) = 0;
  virtual std::unique_ptr<LabelPeer> CreateLabel(Label& owner, Container& parent, Rect place) = 0;
  virtual std::unique_ptr<ProgressBarPeer> CreateProgressBar(ProgressBar& owner, Container& parent, Rect place) = 0;
  virtual std::unique_ptr<ControlPeer> CreateImage(Image& owner, Container& parent, Rect place) = 0;
  virtual std::unique_ptr<HotkeyFieldPeer> CreateHotkeyField(HotkeyField& owner, Container& parent, Rect place) = 0;
  virtual std::unique_ptr<TimerPeer> CreateTimer(Timer& owner) = 0;
  virtual std::unique_ptr<TrayIconPeer> CreateTrayIcon(TrayIcon& owner) = 0;
  virtual std::unique_ptr<PopupMenuPeer> CreatePopupMenu(PopupMenu& owner) = 0;
};

// A picture by name ("update-icon"), scaled into its place.
class Image : public Control {
 public:
  Image(Container& parent, Rect place, const std::string& pictureName);
  const std::string& PictureName() const { return name_; }

 private:
  std::string name_;
};

}  // namespace ui
