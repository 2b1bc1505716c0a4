#include "linux/DBusControl.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <sys/stat.h>

#include <cstdlib>

namespace linuxdesktop {

namespace {

constexpr int kReplyTimeoutMs = 5000;

QString Str(const char* text) { return QString::fromLatin1(text); }

// Only a bus the session already has: without one, libdbus would autolaunch a daemon of
// its own through X11 that outlives the program.
bool SessionBusExists() {
  if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address) return true;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat st{};
  return runtime && *runtime && stat((std::string(runtime) + "/bus").c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

// Without moc: the one method is dispatched by hand, and its introspection written out.
class ControlObject final : public QDBusVirtualObject {
 public:
  QString introspect(const QString&) const override {
    return QStringLiteral(
        "<interface name=\"org.qel.AutoClicker.Control\">"
        "<method name=\"Command\">"
        "<arg name=\"name\" type=\"s\" direction=\"in\"/>"
        "<arg name=\"done\" type=\"b\" direction=\"out\"/>"
        "<arg name=\"text\" type=\"s\" direction=\"out\"/>"
        "</method></interface>");
  }

  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    if (message.type() != QDBusMessage::MethodCallMessage || message.interface() != Str(kControlInterface) ||
        message.member() != QStringLiteral("Command"))
      return false;
    const QList<QVariant> args = message.arguments();
    const auto command = args.size() == 1 && args[0].typeId() == QMetaType::QString
                             ? app::ControlFromName(args[0].toString().toStdString())
                             : std::nullopt;
    if (!command) {
      connection.send(message.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("unknown command")));
      return true;
    }
    app::AnswerControlCommand(*command, [&](bool done, const std::string& text) {
      connection.send(message.createReply({done, QString::fromStdString(text)}));
    });
    return true;
  }
};

}  // namespace

DBusControlServer::DBusControlServer() = default;

DBusControlServer::~DBusControlServer() {
  if (!registered_) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.unregisterObject(Str(kControlObjectPath));
  bus.unregisterService(Str(kControlBusName));
}

bool DBusControlServer::Serve(std::string& why) {
  if (!SessionBusExists()) {
    why = "no session bus (DBUS_SESSION_BUS_ADDRESS is not set)";
    return false;
  }
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    why = "no session bus: " + bus.lastError().message().toStdString();
    return false;
  }
  object_ = std::make_unique<ControlObject>();
  if (!bus.registerVirtualObject(Str(kControlObjectPath), object_.get())) {
    why = "the control object could not be registered";
    return false;
  }
  // No queueing: a later copy must not take over the name when the first one ends while
  // commands are meant for whichever copy the user started first.
  if (!bus.registerService(Str(kControlBusName))) {
    bus.unregisterObject(Str(kControlObjectPath));
    why = "another copy owns the bus name " + std::string(kControlBusName);
    return false;
  }
  registered_ = true;
  return true;
}

ControlResult SendControlCommand(app::ControlCommand command) {
  ControlResult result;
  if (!SessionBusExists()) {
    result.text = "no session bus: DBUS_SESSION_BUS_ADDRESS is not set";
    return result;
  }
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    result.text = "no session bus (" + bus.lastError().message().toStdString() + ")";
    return result;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(Str(kControlBusName), Str(kControlObjectPath),
                                                     Str(kControlInterface), QStringLiteral("Command"));
  call.setAutoStartService(false);
  call << QString::fromStdString(app::ControlName(command));
  const QDBusMessage reply = bus.call(call, QDBus::Block, kReplyTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage) {
    const QString error = reply.errorName();
    if (error != QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown") &&
        error != QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"))
      result.outcome = ControlResult::Outcome::NoAnswer;
    result.text = reply.errorMessage().toStdString();
    return result;
  }
  const QList<QVariant> out = reply.arguments();
  if (out.size() != 2) {
    result.text = "an answer of the wrong form";
    return result;
  }
  result.outcome = out[0].toBool() ? ControlResult::Outcome::Done : ControlResult::Outcome::NothingDone;
  result.text = out[1].toString().toStdString();
  return result;
}

}  // namespace linuxdesktop
