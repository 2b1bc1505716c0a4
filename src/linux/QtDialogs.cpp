#include "linux/QtDialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <cstdio>

#include "base/AppInfo.h"
#include "linux/QtWidgets.h"

namespace linuxdesktop {

namespace {
QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The core separates lines the Windows way.
QString Lines(const std::string& s) { return Q(s).replace("\r\n", "\n"); }

// The main window when it is shown, so the box is centred on it and stays above it.
QWidget* Owner(const QtWidgetFactory& widgets) {
  QWidget* w = widgets.MainWidget();
  return w && w->isVisible() ? w : nullptr;
}
}  // namespace

ui::MsgResult QtDialogs::MessageBox(ui::MsgKind kind, const std::string& text, ui::MsgButtons buttons) {
  QMessageBox::Icon icon = QMessageBox::Information;
  switch (kind) {
    case ui::MsgKind::Information: icon = QMessageBox::Information; break;
    case ui::MsgKind::Warning: icon = QMessageBox::Warning; break;
    case ui::MsgKind::Confirmation: icon = QMessageBox::Question; break;
    case ui::MsgKind::Error: icon = QMessageBox::Critical; break;
  }
  // An error also goes to stderr, as the start-up failures do: a box's text cannot be
  // copied on X11, and a log of a session started from a terminal keeps it.
  if (kind == ui::MsgKind::Error) std::fprintf(stderr, "%s: %s\n", app::kAppTitle, text.c_str());
  const QMessageBox::StandardButtons shown =
      buttons == ui::MsgButtons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok;
  QMessageBox box(icon, Q(app::kAppTitle), Lines(text), shown, Owner(widgets_));
  box.setTextFormat(Qt::PlainText);
  if (buttons == ui::MsgButtons::YesNo) box.setEscapeButton(QMessageBox::No);
  switch (box.exec()) {
    case QMessageBox::Ok: return ui::MsgResult::Ok;
    case QMessageBox::Yes: return ui::MsgResult::Yes;
    case QMessageBox::No: return ui::MsgResult::No;
    default: return buttons == ui::MsgButtons::Ok ? ui::MsgResult::Ok : ui::MsgResult::Cancel;
  }
}

bool QtDialogs::InputBox(const std::string& caption, const std::string& prompt, std::string& text) {
  QInputDialog box(Owner(widgets_));
  box.setInputMode(QInputDialog::TextInput);
  box.setWindowTitle(Q(caption));
  box.setLabelText(Lines(prompt));
  box.setTextValue(Q(text));
  // Wide enough for the caption and a long name (the dialog fits itself to its field).
  if (auto* field = box.findChild<QLineEdit*>()) field->setMinimumWidth(320);
  if (box.exec() != QDialog::Accepted) return false;
  text = box.textValue().toStdString();
  return true;
}

void QtMessageQueue::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

}  // namespace linuxdesktop
