#pragma once

#include <functional>

#include <QPointer>
#include <QWidget>

#include "ui/WidgetFactory.h"

namespace linuxdesktop {

// Every Qt peer that is a widget: a container's peer hands its widget to the children.
class WidgetHolder {
 public:
  virtual ~WidgetHolder() = default;
  virtual QWidget* widget() const = 0;
};

// The picture of a given name from the program's embedded resources (":/images/NAME.png").
QPixmap Picture(const std::string& name);

// Qt widgets behind the widget kit.
class QtWidgetFactory : public ui::WidgetFactory {
 public:
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

  // The main window's widget while it exists (parent of the message boxes), else null.
  QWidget* MainWidget() const { return mainWidget_; }
  // Closes the main window as the user's close box does (session end, signals).
  void CloseMainWindow();

  // Called by the main window's peer: its widget and how it closes itself.
  void SetMainWindow(QWidget* w, std::function<void()> closer) {
    mainWidget_ = w;
    mainCloser_ = std::move(closer);
  }

 private:
  QPointer<QWidget> mainWidget_;
  std::function<void()> mainCloser_;
};

}  // namespace linuxdesktop
