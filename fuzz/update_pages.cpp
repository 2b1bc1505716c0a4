// The version page and the changes page of the update check, as the server (or anything
// between it and the program) may send them. The input is the version page, a NUL byte,
// then the changes page; without a NUL the changes page is empty.
#include <cstddef>
#include <cstdint>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/AppInfo.h"
#include "i18n/Translation.h"
#include "platform/Http.h"
#include "platform/System.h"
#include "update/VersionCheck.h"

namespace {

// The C library's reading of one side of the version line: a whole number in the int
// range with nothing around it (strtoll would skip leading blanks, which the line may not
// hold).
bool LibcInteger(const std::string& text, int& value) {
  if (text.empty() || !(text[0] == '+' || text[0] == '-' || (text[0] >= '0' && text[0] <= '9')))
    return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || end != text.c_str() + text.size() || v < INT_MIN || v > INT_MAX) return false;
  value = static_cast<int>(v);
  return true;
}

class PageClient : public platform::HttpClient {
 public:
  PageClient(const std::string& version, const std::string& changes)
      : version_(version), changes_(changes) {}
  bool Get(const std::string& url, const platform::HttpOptions&, std::string& body,
           std::string&) override {
    body = url.ends_with(update::kVersionPagePath) ? version_ : changes_;
    return true;
  }
  bool Download(const std::string&, const platform::HttpOptions&, const std::string&,
                const std::function<void(const platform::HttpProgress&)>&,
                std::string& error) override {
    error = "no downloads here";
    return false;
  }

 private:
  const std::string& version_;
  const std::string& changes_;
};

class PageFactory : public platform::HttpClientFactory {
 public:
  PageFactory(const std::string& version, const std::string& changes)
      : version_(version), changes_(changes) {}
  std::unique_ptr<platform::HttpClient> Create() override {
    return std::make_unique<PageClient>(version_, changes_);
  }

 private:
  const std::string& version_;
  const std::string& changes_;
};

class NoEnvironment : public platform::Environment {
 public:
  std::string GetVariable(const std::string&) override { return ""; }
  std::string UserConfigFolder() override { return "/nonexistent"; }
  std::string ExecutableFolder() override { return "/nonexistent"; }
  std::string TempFolder() override { return "/nonexistent/"; }
  std::uint16_t SystemDefaultUILanguage() override { return 9; }
  std::string DecimalSeparator() override { return "."; }
  char PathDelimiter() override { return '/'; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t nul = input.find('\0');
  const std::string version = input.substr(0, nul);
  const std::string changes = nul == std::string::npos ? "" : input.substr(nul + 1);

  // The pieces on their own: lines hold no line break, and a version line either parses
  // or throws the one exception the check catches.
  const std::vector<std::string> lines = update::SplitLines(version);
  for (const std::string& line : lines)
    if (line.find_first_of("\r\n") != std::string::npos) std::abort();
  int latest = 0, minimum = 0;
  bool parsed = false;
  if (!lines.empty()) {
    try {
      update::ParseVersionLine(lines[0], latest, minimum);
      parsed = true;
      if (update::DisplayVersion(latest).find('.') == std::string::npos) std::abort();
    } catch (const std::runtime_error&) {
    }
    // The numbers are the ones the C library reads, and a line it reads as two whole
    // numbers is accepted.
    const std::string& line = lines[0];
    const std::size_t slash = line.find('/');
    int a = 0, b = 0;
    const bool libc = slash != std::string::npos &&
                      LibcInteger(line.substr(0, slash), a) && LibcInteger(line.substr(slash + 1), b);
    if (libc != parsed || (parsed && (a != latest || b != minimum))) std::abort();
  }

  // The whole check, as at start-up.
  update::ResetUpdateState();
  PageFactory factory(version, changes);
  NoEnvironment env;
  const bool offered = update::CheckForNewVersion(factory, env);
  if (offered != (parsed && (latest > app::kVersionNumber || minimum > app::kVersionNumber)))
    std::abort();
  if (update::MandatoryUpdate != (offered && minimum > app::kVersionNumber)) std::abort();
  if (offered) {
    // Every non-empty line of the changes page is shown.
    for (const std::string& line : update::SplitLines(changes))
      if (!line.empty() && update::UpdateMessage.find(line) == std::string::npos) std::abort();
  } else if (!update::UpdateMessage.empty()) {
    std::abort();
  }
  update::ResetUpdateState();
  return 0;
}
