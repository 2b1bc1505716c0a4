// The Qt peers of the notification-area icon and the popup menu.

#include "linux/QtWidgetPeer.h"

#include <QAction>
#include <QCursor>
#include <QIcon>
#include <QList>
#include <QMenu>
#include <QSystemTrayIcon>

namespace linuxdesktop {

namespace {

class TrayPeer : public ui::TrayIconPeer {
 public:
  explicit TrayPeer(ui::TrayIcon& owner) {
    tray_.setIcon(QIcon(Picture("icon")));
    QObject::connect(&tray_, &QSystemTrayIcon::activated, &tray_,
                     [&owner](QSystemTrayIcon::ActivationReason reason) {
                       if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
                         owner.UserClicked();
                       } else if (reason == QSystemTrayIcon::Context) {
                         // The menu opens where the pointer is, as the tray's own menus do.
                         const QPoint at = QCursor::pos();
                         const qreal r = qApp->devicePixelRatio();
                         owner.UserAskedForMenu({ToPhysical(at.x(), r), ToPhysical(at.y(), r)});
                       }
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
      a->setCheckable(item.checkable);
      a->setChecked(item.checkable && item.checked);
      a->setEnabled(item.enabled);
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

std::unique_ptr<ui::TrayIconPeer> QtWidgetFactory::CreateTrayIcon(ui::TrayIcon& owner) {
  return std::make_unique<TrayPeer>(owner);
}
std::unique_ptr<ui::PopupMenuPeer> QtWidgetFactory::CreatePopupMenu(ui::PopupMenu& owner) {
  return std::make_unique<MenuPeer>(owner);
}

}  // namespace linuxdesktop
