// The Linux edition's composition root: the only place that names the concrete services.
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QMessageBox>
#include <QSocketNotifier>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/AppInfo.h"
#include "app/ControlCommand.h"
#include "app/Services.h"
#include "app/Startup.h"
#include "linux/CurlHttp.h"
#include "linux/DBusControl.h"
#include "linux/FolderLocks.h"
#include "linux/LinuxUpdatePackage.h"
#include "linux/OpenSslCrypto.h"
#include "linux/QtDialogs.h"
#include "linux/QtStyle.h"
#include "linux/QtWidgets.h"
#include "linux/SessionCheck.h"
#include "linux/SystemServices.h"
#include "linux/X11Platform.h"
#include "linux/XkbButtonNotices.h"
#include "settings/ProfileFile.h"

namespace {

int g_signalPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
  const char byte = 1;
  // Only async-signal-safe work here: the UI thread does the rest.
  [[maybe_unused]] const ssize_t n = write(g_signalPipe[1], &byte, 1);
}

void InstallTerminationSignals() {
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalPipe) != 0) return;
  struct sigaction sa{};
  sa.sa_handler = OnTerminationSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
}

void Fail(const std::string& text, bool canShowBox) {
  std::fprintf(stderr, "%s: %s\n", app::kAppTitle, text.c_str());
  if (canShowBox) QMessageBox::critical(nullptr, app::kAppTitle, QString::fromStdString(text));
}

// Between the display check and Qt's own connection the X server may go away (or the
// platform named in QT_QPA_PLATFORM may not load): Qt would then abort and leave a core
// dump. While Qt starts, a fatal message ends the program the way a missing display does.
QtMessageHandler g_qtMessages = nullptr;

void StartupMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg) {
    const char* display = std::getenv("DISPLAY");
    std::fprintf(stderr, "%s: the window system could not be used (DISPLAY \"%s\"): %s\n", app::kAppTitle,
                 display ? display : "", qPrintable(text.simplified()));
    std::fflush(stderr);
    std::_Exit(2);
  }
  if (g_qtMessages)
    g_qtMessages(type, context, text);
  else
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

void ApplyFont() {
  QFont font(QStringLiteral("Segoe UI"), 9);
  if (!QFontDatabase::hasFamily(QStringLiteral("Segoe UI"))) {
    font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(9);
    // The common system sans faces run wider than Segoe UI; their semi-condensed cut
    // keeps the longer translations inside the buttons and groups laid out for it.
    font.setStretch(QFont::SemiCondensed);
  }
  QApplication::setFont(font);
}

// A command for the running copy: needs the session bus, not the display.
int SendCommand(int argc, char** argv, app::ControlCommand command) {
  QCoreApplication core(argc, argv);
  const linuxdesktop::ControlResult result = linuxdesktop::SendControlCommand(command);
  switch (result.outcome) {
    case linuxdesktop::ControlResult::Outcome::Done:
      std::printf("%s\n", result.text.c_str());
      return 0;
    case linuxdesktop::ControlResult::Outcome::NothingDone:
      std::printf("%s\n", result.text.c_str());
      return 1;
    case linuxdesktop::ControlResult::Outcome::NoCopy:
      std::fprintf(stderr, "%s: no copy of the program is running to take %s (%s).\n", app::kAppTitle,
                   app::ControlOption(command).c_str(), result.text.c_str());
      return 3;
    case linuxdesktop::ControlResult::Outcome::NoAnswer:
      break;
  }
  std::fprintf(stderr, "%s: the running copy did not answer %s (%s).\n", app::kAppTitle,
               app::ControlOption(command).c_str(), result.text.c_str());
  return 4;
}

}  // namespace

int main(int argc, char** argv) {
  const app::CommandLine commandLine = app::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  switch (commandLine.kind) {
    case app::CommandLine::Kind::Help:
      std::printf("%s", app::ControlUsage(argc > 0 ? argv[0] : "qel-autoclicker").c_str());
      return 0;
    case app::CommandLine::Kind::Invalid:
      std::fprintf(stderr, "%s: %s\n", app::kAppTitle, commandLine.error.c_str());
      return 2;
    case app::CommandLine::Kind::Send:
      return SendCommand(argc, argv, commandLine.command);
    case app::CommandLine::Kind::StartCopy:
      break;
  }

  std::string why;
  if (!linuxdesktop::CanReachX11Display(why)) {
    // A message box needs some display; a Wayland-only session may still show one.
    bool shown = false;
    if (std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) {
      setenv("QT_QPA_PLATFORM", "wayland;offscreen", 1);
      QApplication probe(argc, argv);
      shown = QGuiApplication::platformName() == QStringLiteral("wayland");
      Fail(why, shown);
    }
    if (!shown) Fail(why, false);
    return 2;
  }
  // The X11 services need Qt on the same X server.
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "xcb", 1);

  InstallTerminationSignals();
  g_qtMessages = qInstallMessageHandler(StartupMessage);
  QApplication app(argc, argv);
  qInstallMessageHandler(g_qtMessages);
  if (QGuiApplication::platformName() != QStringLiteral("xcb")) {
    Fail("QEL Auto Clicker runs only in an X11 session; the window system here is \"" +
             QGuiApplication::platformName().toStdString() + "\".",
         QGuiApplication::platformName() != QStringLiteral("offscreen") &&
             QGuiApplication::platformName() != QStringLiteral("minimal"));
    return 2;
  }
  QApplication::setQuitOnLastWindowClosed(false);
  linuxdesktop::StopButtonStateNotices();
  QApplication::setApplicationName(app::kAppTitle);
  QApplication::setWindowIcon(QIcon(linuxdesktop::Picture("icon")));

  std::string styleError;
  if (!linuxdesktop::ApplyMidnightExpressGreen(styleError)) Fail(styleError, true);
  ApplyFont();

  // Synthetic input needs XTEST; the mouse hook of the recorder needs RECORD, without which
  // everything but recording works.
  std::string x11Error;
  std::unique_ptr<linuxdesktop::X11Platform> x11 = linuxdesktop::X11Platform::Open(x11Error);
  if (!x11) {
    Fail(x11Error, true);
    return 2;
  }

  linuxdesktop::LinuxClock clock;
  linuxdesktop::FlockFolderLocks folderLocks;
  settings::PortableProfileStore profile(folderLocks, clock);
  linuxdesktop::LinuxEnvironment env;
  linuxdesktop::LinuxRegistry registry(env, profile);
  linuxdesktop::LinuxShell shell;
  linuxdesktop::QtWidgetFactory widgets;
  linuxdesktop::QtDialogs dialogs(widgets);
  linuxdesktop::QtMessageQueue queue;
  auto http = linuxdesktop::MakeCurlHttpFactory(queue);

  // A session end or a termination signal closes the window the normal way, so the
  // settings are saved as on any other close.
  auto closeMain = [&widgets] {
    if (widgets.MainWidget())
      widgets.CloseMainWindow();
    else
      std::exit(1);
  };
  QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, [&closeMain](QSessionManager&) { closeMain(); });
  std::unique_ptr<QSocketNotifier> signalNotifier;
  if (g_signalPipe[0] >= 0) {
    signalNotifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(signalNotifier.get(), &QSocketNotifier::activated, &app, [&closeMain] {
      char buf[16];
      while (read(g_signalPipe[0], buf, sizeof buf) > 0) {
      }
      closeMain();
    });
  }

  // The first copy takes the commands of later ones; without a session bus, or as a later
  // copy, it runs as before, only without them.
  linuxdesktop::DBusControlServer control;
  std::string controlWhy;
  if (!control.Serve(controlWhy))
    std::fprintf(stderr, "%s: control commands are not taken: %s\n", app::kAppTitle, controlWhy.c_str());

  linuxdesktop::LinuxUpdatePackage updatePackage(shell);
  linuxdesktop::OpenSslCrypto crypto;
  app::Services services{.widgets = widgets,
                         .dialogs = dialogs,
                         .queue = queue,
                         .mouse = x11->Mouse(),
                         .screen = x11->Screen(),
                         .hotkeys = x11->Hotkeys(),
                         .mouseHook = x11->Hook(),
                         .clock = clock,
                         .registry = registry,
                         .env = env,
                         .shell = shell,
                         .profile = profile,
                         .http = *http,
                         .updatePackage = updatePackage,
                         .crypto = crypto,
                         .picker = x11->Picker()};
  return app::RunApplication(services, [&app] { app.exec(); });
}
