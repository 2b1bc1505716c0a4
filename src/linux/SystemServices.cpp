#include "linux/SystemServices.h"

#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <vector>

#include "base/AppInfo.h"
#include "linux/Monotonic.h"
#include "linux/RealtimePriority.h"
#include "platform/Files.h"
#include "platform/LocaleLanguage.h"

namespace linuxdesktop {

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

// --- clock ---------------------------------------------------------------------------------

std::uint32_t LinuxClock::GetTickCount() {
  // Keeps the 49.7-day wrap of the Windows counter.
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(linuxdesktop::MonotonicNs()) / 1000000u);
}

void LinuxClock::Sleep(std::uint32_t ms) {
  // Holds and the waits of a macro keep time like the timers do.
  if (ms > 0) linuxdesktop::RealtimePriority::Instance().Sleeping();
  timespec left{static_cast<time_t>(ms / 1000u), static_cast<long>(ms % 1000u) * 1000000L};
  while (nanosleep(&left, &left) == -1 && errno == EINTR) {
  }
}

std::uint64_t LinuxClock::NowMicros() { return static_cast<std::uint64_t>(linuxdesktop::MonotonicNs()) / 1000u; }

void LinuxClock::SleepMicros(std::uint64_t us) {
  if (us == 0) return;
  linuxdesktop::RealtimePriority::Instance().Sleeping();
  timespec left{static_cast<time_t>(us / 1000000u), static_cast<long>(us % 1000000u) * 1000L};
  while (nanosleep(&left, &left) == -1 && errno == EINTR) {
  }
}

platform::LocalDateTime LinuxClock::Now() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::uint64_t LinuxClock::HighResolutionNow() { return static_cast<std::uint64_t>(linuxdesktop::MonotonicNs()); }

// --- environment ---------------------------------------------------------------------------

std::string LinuxEnvironment::GetVariable(const std::string& name) { return Env(name.c_str()); }

std::string LinuxEnvironment::UserConfigFolder() {
  // XDG: a relative XDG_CONFIG_HOME is invalid and must be ignored.
  const std::string xdg = Env("XDG_CONFIG_HOME");
  if (!xdg.empty() && xdg.front() == '/') return WithoutTrailingSlash(xdg);
  std::string home = Env("HOME");
  if (home.empty()) {
    // A service started without HOME: the account's home folder.
    passwd pw{};
    passwd* found = nullptr;
    std::vector<char> buf(16384);
    if (getpwuid_r(getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found && found->pw_dir) {
      home = found->pw_dir;
    }
  }
  if (home.empty()) return {};
  return WithoutTrailingSlash(home) + "/.config";
}

std::string LinuxEnvironment::ExecutableFolder() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return exe.parent_path().string();
}

std::string LinuxEnvironment::TempFolder() {
  std::string dir = Env("TMPDIR");
  if (dir.empty() || dir.front() != '/') dir = "/tmp";
  dir = WithoutTrailingSlash(dir);
  if (dir.back() != '/') dir.push_back('/');
  return dir;
}

std::uint16_t LinuxEnvironment::SystemDefaultUILanguage() {
  return platform::LangIdFromLocale(
      platform::MessagesLocale(Env("LC_ALL"), Env("LC_MESSAGES"), Env("LANG")));
}

std::string LinuxEnvironment::DecimalSeparator() {
  // A private locale object read through nl_langinfo_l: no setlocale, so nothing global
  // changes under Qt or another thread. An uninstalled locale falls back to C.
  locale_t loc = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) return ".";
  std::string sep = nl_langinfo_l(RADIXCHAR, loc);
  freelocale(loc);
  return sep.empty() ? std::string(".") : sep;
}

char LinuxEnvironment::PathDelimiter() { return '/'; }

// --- registry ------------------------------------------------------------------------------

std::string DataFolderBase(platform::Environment& env) {
  std::string base = env.GetVariable("APPDATA");
  if (base.empty()) base = env.UserConfigFolder();
  return base;
}

LinuxRegistry::LinuxRegistry(platform::Environment& env, platform::ProfileStore& store)
    : env_(env),
      registry_(
          store, [this] { return FileName(); },
          [this] {
            const std::string file = FileName();
            return platform::files::ForceDirectories(file.substr(0, file.rfind('/')));
          }) {}

std::string LinuxRegistry::FileName() const {
  return DataFolderBase(env_) + "/" + app::kAppTitle + "/registry.ini";
}

platform::RegReadResult LinuxRegistry::ReadString(const std::string& keyPath,
                                                  const std::string& name, std::string& value) {
  return registry_.ReadString(keyPath, name, value);
}

bool LinuxRegistry::WriteString(const std::string& keyPath, const std::string& name,
                                const std::string& value) {
  return registry_.WriteString(keyPath, name, value);
}

// --- shell ---------------------------------------------------------------------------------

void LinuxShell::Open(const std::string& target, const std::string& /*verb*/) {
  // Everything the children need is prepared before fork: after it only async-signal-safe
  // calls. The target goes in as one argument, never through a shell.
  std::vector<char*> argv = {const_cast<char*>("xdg-open"), const_cast<char*>(target.c_str()),
                             nullptr};
  const pid_t child = fork();
  if (child == 0) {
    // The middle child leaves at once, so xdg-open is adopted by init and never becomes
    // our zombie; setsid detaches it from our terminal's signals.
    setsid();
    if (fork() == 0) {
      const int devnull = open("/dev/null", O_RDWR);
      if (devnull >= 0) {
        dup2(devnull, STDIN_FILENO);
        if (devnull > STDERR_FILENO) close(devnull);
      }
      execvp(argv[0], argv.data());
      _exit(127);
    }
    _exit(0);
  }
  if (child > 0) {
    int status = 0;
    while (waitpid(child, &status, 0) == -1 && errno == EINTR) {
    }
  }
}

}  // namespace linuxdesktop
