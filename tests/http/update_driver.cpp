// Drives the version check and the update dialog's download with the edition's real HTTP
// client against a test server, with the rest of the program's services faked. Prints
// what the program did as key=value lines for the test scripts.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "fakes/FakeServices.h"
#include "update/UpdateDialog.h"
#include "update/VersionCheck.h"

#ifdef _WIN32
#include "win32/WinHttp.h"
#include "win32/Win32UpdatePackage.h"
#else
#include "linux/CurlHttp.h"
#include "linux/LinuxUpdatePackage.h"
#include "linux/OpenSslCrypto.h"
#endif

namespace {

#ifdef _WIN32
using EditionPackage = win32::Win32UpdatePackage;
using EditionCrypto = win32::CngCrypto;
#else
struct EditionPackage : linuxdesktop::LinuxUpdatePackage {
  explicit EditionPackage(platform::Shell& shell) : linuxdesktop::LinuxUpdatePackage(shell) {}
};
using EditionCrypto = linuxdesktop::OpenSslCrypto;
#endif

// The edition's own package service, except that a started package is only noted: the
// test server's "installer" is not a program.
class NotingPackage : public EditionPackage {
 public:
#ifndef _WIN32
  explicit NotingPackage(platform::Shell& shell) : EditionPackage(shell) {}
#else
  explicit NotingPackage(platform::Shell&) {}
#endif
  std::vector<std::string> started;
  void Start(const std::string& file) override { started.push_back(file); }
};

std::unique_ptr<platform::HttpClientFactory> MakeFactory(ui::MessageQueue& queue) {
#ifdef _WIN32
  return win32::MakeWinHttpFactory(queue);
#else
  // The TLS cases trust the test server's own certificate, and only it.
  const char* ca = std::getenv("QEL_TEST_CA_FILE");
  if (ca && *ca) return linuxdesktop::MakeCurlHttpFactoryTrusting(queue, ca);
  return linuxdesktop::MakeCurlHttpFactory(queue);
#endif
}

std::string Escaped(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

std::string Getenv(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

int Usage() {
  std::cerr << "usage: update_driver check | download TEMPDIR [ABORT_AFTER_MS] | get URL | fetch URL FILE\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string mode = argv[1];
  fakes::FakePlatform p;
  p.env.vars[update::kUpdateUrlVariable] = Getenv(update::kUpdateUrlVariable);
  auto factory = MakeFactory(p.clock);
  NotingPackage package(p.shell);
  EditionCrypto crypto;
  app::Services services = p.MakeServices(nullptr, factory.get(), &package, &crypto);
  using Clock = std::chrono::steady_clock;
  const auto started = Clock::now();
  auto elapsedMs = [&] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count();
  };

  // Every answer is flushed at once: under Wine a process has been seen to end without
  // flushing what it buffered, which read as an empty answer.
  if (mode == "check") {
    const bool shown = update::CheckForNewVersion(*factory, p.env);
    std::cout << "dialog=" << (shown ? "yes" : "no") << "\n"
              << "mandatory=" << (update::MandatoryUpdate ? "yes" : "no") << "\n"
              << "message=" << Escaped(update::UpdateMessage) << "\n"
              << "elapsed_ms=" << elapsedMs() << "\n" << std::flush;
    return 0;
  }
  if (mode == "get" && argc >= 3) {
    std::string body, error;
    const bool ok = factory->Create()->Get(argv[2], update::PageRequestOptions(), body, error);
    std::cout << "ok=" << (ok ? "yes" : "no") << "\nbody=" << Escaped(body) << "\nerror=" << Escaped(error)
              << "\nelapsed_ms=" << elapsedMs() << "\n" << std::flush;
    return 0;
  }
  if (mode == "fetch" && argc >= 4) {
    std::string error;
    const bool ok = factory->Create()->Download(argv[2], update::InstallerRequestOptions(), argv[3], nullptr, error);
    std::cout << "ok=" << (ok ? "yes" : "no") << "\nerror=" << Escaped(error) << "\n" << std::flush;
    return 0;
  }
  if (mode == "download" && argc >= 3) {
    // What the check would have kept of the version page: its latest number and lines.
    if (!update::CheckForNewVersion(*factory, p.env)) {
      std::cout << "check=failed\n" << std::flush;
      return 0;
    }
    p.env.temp = argv[2];
    if (p.env.temp.back() != '/' && p.env.temp.back() != '\\') p.env.temp += '/';
    const long abortAfterMs = argc >= 4 ? std::atol(argv[3]) : -1;
    update::TfrmNewVersion dialog(services, Getenv("QEL_TEST_RELEASE_KEY"));
    dialog.Form.UserShowing();
    int served = 0, maxBar = 0, cancelClicks = 0;
    bool abortedClicked = false;
    // The "user": watches the bar while the program serves its queue, and presses Abort
    // once the given time has passed.
    p.clock.onProcessMessages = [&] {
      ++served;
      maxBar = std::max(maxBar, p.widgets.PeerOf<fakes::FakeProgressPeer>(dialog.ProgressBar1).position);
      if (abortAfterMs >= 0 && !abortedClicked && elapsedMs() >= abortAfterMs) {
        abortedClicked = true;
        ++cancelClicks;
        dialog.btCancel.UserClicked();
      }
    };
    dialog.btUpdateNow.UserClicked();
    const auto& bar = p.widgets.PeerOf<fakes::FakeProgressPeer>(dialog.ProgressBar1);
    std::cout << "tag=" << dialog.Tag << "\n"
              << "bar=" << bar.position << "\n"
              << "bar_max=" << maxBar << "\n"
              << "served=" << served << "\n"
              << "abort_clicks=" << cancelClicks << "\n"
              << "elapsed_ms=" << elapsedMs() << "\n" << std::flush;
    for (const auto& m : p.dialogs.shown) std::cout << "error_box=" << Escaped(m.text) << "\n";
    for (const auto& [target, verb] : p.shell.opened) std::cout << "opened=" << target << "|" << verb << "\n";
    for (const auto& file : package.started) std::cout << "started=" << file << "\n";
    return 0;
  }
  return Usage();
}
