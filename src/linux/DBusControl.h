#pragma once

#include <memory>
#include <string>

#include "app/ControlCommand.h"

class QDBusVirtualObject;

namespace linuxdesktop {

// The session bus name the first copy owns and the commands of later copies are sent to.
inline constexpr const char* kControlBusName = "org.qel.AutoClicker";
inline constexpr const char* kControlObjectPath = "/org/qel/AutoClicker";
inline constexpr const char* kControlInterface = "org.qel.AutoClicker.Control";

// The running copy's end: owns the bus name and answers commands through
// app::AnswerControlCommand. A later copy (or one without a session bus) just serves none.
class DBusControlServer {
 public:
  DBusControlServer();
  ~DBusControlServer();
  DBusControlServer(const DBusControlServer&) = delete;
  DBusControlServer& operator=(const DBusControlServer&) = delete;
  // False, with the reason, when another copy owns the name or there is no session bus.
  bool Serve(std::string& why);

 private:
  std::unique_ptr<QDBusVirtualObject> object_;
  bool registered_ = false;
};

// The sending copy's end. Needs a QCoreApplication.
struct ControlResult {
  enum class Outcome { Done, NothingDone, NoCopy, NoAnswer };
  Outcome outcome = Outcome::NoCopy;
  std::string text;  // the running copy's reply, or why it could not be reached
};
ControlResult SendControlCommand(app::ControlCommand command);

}  // namespace linuxdesktop
