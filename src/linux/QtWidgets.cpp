#include "linux/QtWidgets.h"

#include <QPixmap>

#include "linux/QtWidgetPeer.h"

namespace linuxdesktop {

// The peers live one group to a file (QtWindow, QtButtons, ...) and the timer in QtTimer.cpp;
// the pictures they show come from the resources compiled into the program.
QPixmap Picture(const std::string& name) { return QPixmap(":/images/" + Q(name) + ".png"); }

}  // namespace linuxdesktop
