#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/Geometry.h"

namespace ui {

class WidgetFactory;

class TrayIconPeer {
 public:
  virtual ~TrayIconPeer() = default;
  virtual void setHint(const std::string& text) = 0;
  virtual void setVisible(bool on) = 0;
  // False where the desktop has no notification area at all.
  virtual bool available() const = 0;
};

// The program's icon in the notification area: a left click, and the context request
// (right click, the menu key) with the screen point where its menu belongs.
class TrayIcon {
 public:
  explicit TrayIcon(WidgetFactory& factory);
  ~TrayIcon();
  void SetHint(const std::string& text);
  void SetVisible(bool on);
  bool Visible() const { return visible_; }
  bool Available() const { return peer_->available(); }
  std::function<void()> OnClick;
  std::function<void(Point screen)> OnContextMenu;
  void UserClicked();
  void UserAskedForMenu(Point screen);

 private:
  std::unique_ptr<TrayIconPeer> peer_;
  bool visible_ = false;
};

struct MenuItem {
  std::string caption;
  int tag = 0;
  bool checked = false;
  bool enabled = true;
  // A command rather than a choice: shown without a check mark's place.
  bool checkable = true;
};

class PopupMenuPeer {
 public:
  virtual ~PopupMenuPeer() = default;
  virtual void setItems(const std::vector<MenuItem>& items) = 0;
  // Open at a screen point (physical pixels); returns at once or when the menu closes.
  virtual void popup(Point screen) = 0;
};

// Entry captions are shown as they are: no access keys are added.
class PopupMenu {
 public:
  explicit PopupMenu(WidgetFactory& factory);
  ~PopupMenu();
  const std::vector<MenuItem>& Items() const { return items_; }
  void Add(const MenuItem& item);
  void SetItems(std::vector<MenuItem> items);
  void SetChecked(int index, bool on);
  void Popup(Point screen) { peer_->popup(screen); }
  // Runs with the index of the chosen entry; a disabled entry is never chosen.
  std::function<void(int index)> OnItemClick;
  void UserChose(int index);

 private:
  std::unique_ptr<PopupMenuPeer> peer_;
  std::vector<MenuItem> items_;
};

}  // namespace ui
