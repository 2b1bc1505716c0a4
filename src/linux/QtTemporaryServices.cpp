#include "linux/QtTemporaryServices.h"

#include <time.h>
#include <unistd.h>

#include <QCursor>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <string>

// Xlib last: its macros clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace qtui {

namespace {

Display* XDisplay() {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->display() : nullptr;
}

class TempMouse : public platform::MouseInputSink {
 public:
  void Send(const platform::MouseInputRecord& r) override {
    Display* d = XDisplay();
    if (!d) return;
    if (r.flags & platform::kMouseMove) {
      const int w = DisplayWidth(d, DefaultScreen(d)), h = DisplayHeight(d, DefaultScreen(d));
      const int x = static_cast<int>((static_cast<long long>(r.dx) * (w - 1) + 32767) / 65535);
      const int y = static_cast<int>((static_cast<long long>(r.dy) * (h - 1) + 32767) / 65535);
      XTestFakeMotionEvent(d, -1, x, y, CurrentTime);
    }
    struct Map { std::uint32_t flag; unsigned button; bool down; };
    static const Map kMap[] = {{platform::kMouseLeftDown, 1, true}, {platform::kMouseLeftUp, 1, false},
                               {platform::kMouseRightDown, 3, true}, {platform::kMouseRightUp, 3, false},
                               {platform::kMouseMiddleDown, 2, true}, {platform::kMouseMiddleUp, 2, false}};
    for (const auto& m : kMap)
      if (r.flags & m.flag) XTestFakeButtonEvent(d, m.button, m.down ? True : False, CurrentTime);
    XFlush(d);
  }
};

class TempScreen : public platform::Screen {
 public:
  bool CursorPos(ui::Point& p) override {
    const QPoint c = QCursor::pos();
    p = {c.x(), c.y()};
    return true;
  }
  ui::Rect VirtualDesktop() override {
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s) return {0, 0, 1, 1};
    const QRect g = s->virtualGeometry();
    return {g.x(), g.y(), g.width(), g.height()};
  }
  ui::Rect WorkArea() override {
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s) return {0, 0, 1, 1};
    const QRect g = s->availableGeometry();
    return {g.x(), g.y(), g.width(), g.height()};
  }
};

class TempHotkeys : public platform::HotkeyRegistrar {
 public:
  void SetHandler(std::function<void(int)>) override {}
  bool Register(int, std::uint32_t, std::uint32_t) override { return true; }
  void Unregister(int) override {}
  std::string KeyName(std::uint32_t) override { return {}; }
};

class TempHook : public platform::MouseHook {
 public:
  bool Install(Callback) override { return false; }
  void Remove() override {}
};

class TempClock : public platform::Clock {
 public:
  std::uint32_t GetTickCount() override {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000);
  }
  void Sleep(std::uint32_t ms) override {
    timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0) {
    }
  }
  platform::LocalDateTime Now() override {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
  }
  std::uint64_t HighResolutionNow() override {
    return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  }
};

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

class TempEnvironment : public platform::Environment {
 public:
  std::string GetVariable(const std::string& name) override { return Env(name.c_str()); }
  std::string UserConfigFolder() override {
    const std::string xdg = Env("XDG_CONFIG_HOME");
    return xdg.empty() ? Env("HOME") + "/.config" : xdg;
  }
  std::string ExecutableFolder() override {
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    std::string path(buf, static_cast<size_t>(n));
    return path.substr(0, path.rfind('/'));
  }
  std::string TempFolder() override {
    std::string t = Env("TMPDIR");
    if (t.empty()) t = "/tmp";
    if (t.back() != '/') t += '/';
    return t;
  }
  std::uint16_t SystemDefaultUILanguage() override { return 0x0409; }
  std::string DecimalSeparator() override { return "."; }
  char PathDelimiter() override { return '/'; }
};

class TempRegistry : public platform::Registry {
 public:
  TempRegistry(platform::ProfileStore& profile, std::string file) : profile_(profile), file_(std::move(file)) {}
  platform::RegReadResult ReadString(const std::string& key, const std::string& name, std::string& value) override {
    const std::string missing = "\x01missing";
    value = profile_.ReadString(file_, key, name, missing);
    return value == missing ? platform::RegReadResult::Missing : platform::RegReadResult::Ok;
  }
  bool WriteString(const std::string& key, const std::string& name, const std::string& value) override {
    return profile_.WriteString(file_, key, name, value);
  }

 private:
  platform::ProfileStore& profile_;
  std::string file_;
};

class TempShell : public platform::Shell {
 public:
  void Open(const std::string& target, const std::string&) override {
    QProcess::startDetached("xdg-open", {QString::fromStdString(target)});
  }
};

}  // namespace

TemporaryServices MakeTemporaryServices(platform::ProfileStore& profile) {
  TemporaryServices s;
  auto env = std::make_unique<TempEnvironment>();
  s.registry = std::make_unique<TempRegistry>(profile, env->UserConfigFolder() + "/qel-autoclicker-registry.ini");
  s.env = std::move(env);
  s.mouse = std::make_unique<TempMouse>();
  s.screen = std::make_unique<TempScreen>();
  s.hotkeys = std::make_unique<TempHotkeys>();
  s.hook = std::make_unique<TempHook>();
  s.clock = std::make_unique<TempClock>();
  s.shell = std::make_unique<TempShell>();
  return s;
}

}  // namespace qtui
