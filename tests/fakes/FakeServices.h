#pragma once

#include <cstdio>
#include <deque>
#include <functional>
#include <stdexcept>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/Services.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeWidgets.h"
#include "update/VersionCheck.h"

namespace fakes {

struct ShownMessage {
  ui::MsgKind kind;
  std::string text;
  ui::MsgButtons buttons;
};

// Records every dialog and answers from a script (OK / Yes by default).
class FakeDialogs : public ui::Dialogs {
 public:
  std::vector<ShownMessage> shown;
  std::deque<ui::MsgResult> answers;
  struct InputAnswer {
    bool ok;
    std::string text;
  };
  std::deque<InputAnswer> inputAnswers;
  std::vector<std::string> inputPrompts;
  std::function<void()> whileOpen;  // the "user" acting while a message box is open

  ui::MsgResult MessageBox(ui::MsgKind kind, const std::string& text, ui::MsgButtons b) override {
    shown.push_back({kind, text, b});
    if (whileOpen) whileOpen();
    if (answers.empty()) return b == ui::MsgButtons::YesNo ? ui::MsgResult::Yes : ui::MsgResult::Ok;
    auto a = answers.front();
    answers.pop_front();
    return a;
  }
  bool InputBox(const std::string& caption, const std::string& prompt, std::string& text) override {
    inputPrompts.push_back(caption + "|" + prompt + "|" + text);
    if (inputAnswers.empty()) return false;
    auto a = inputAnswers.front();
    inputAnswers.pop_front();
    if (a.ok) text = a.text;
    return a.ok;
  }
};

class FakeMouse : public platform::MouseInputSink {
 public:
  std::vector<platform::MouseInputRecord> sent;
  std::vector<std::uint64_t> sentAt;
  FakeClock* clock = nullptr;
  void Send(const platform::MouseInputRecord& r) override {
    sent.push_back(r);
    sentAt.push_back(clock ? clock->now : 0);
  }
  std::vector<platform::KeyInputRecord> keys;
  std::vector<std::uint64_t> keysAt;
  void SendKey(const platform::KeyInputRecord& r) override {
    keys.push_back(r);
    keysAt.push_back(clock ? clock->now : 0);
  }
};

class FakeScreen : public platform::Screen {
 public:
  ui::Point cursor{500, 400};
  bool cursorOk = true;
  ui::Rect desktop{0, 0, 1920, 1080};
  ui::Rect work{0, 0, 1920, 1040};
  bool CursorPos(ui::Point& p) override {
    if (cursorOk) p = cursor;
    return cursorOk;
  }
  ui::Rect VirtualDesktop() override { return desktop; }
  ui::Rect WorkArea() override { return work; }
};

class FakeHotkeys : public platform::HotkeyRegistrar {
 public:
  struct Reg {
    std::uint32_t modifiers, vk;
  };
  std::map<int, Reg> registered;
  std::vector<std::string> calls;  // "R1001", "U1001", in order
  std::function<void(int)> handler;
  bool refuseAll = false;
  std::function<void(int)> releaseHandler;
  void SetHandler(std::function<void(int)> h) override { handler = std::move(h); }
  void SetReleaseHandler(std::function<void(int)> h) override { releaseHandler = std::move(h); }
  bool Register(int id, std::uint32_t m, std::uint32_t vk) override {
    calls.push_back("R" + std::to_string(id));
    for (auto& [otherId, r] : registered)
      if (r.modifiers == m && r.vk == vk) return false;  // held by an earlier one
    if (refuseAll || vk > 0xFF) return false;
    registered[id] = {m, vk};
    return true;
  }
  void Unregister(int id) override {
    calls.push_back("U" + std::to_string(id));
    registered.erase(id);
  }
  std::string KeyName(std::uint32_t vk) override { return vk == 0xBA ? ";" : ""; }
  // The user presses a registered combination.
  void Press(int id) {
    if (handler && registered.count(id)) handler(id);
  }
  // ... and lets it go.
  void Release(int id) {
    if (releaseHandler && registered.count(id)) releaseHandler(id);
  }
};

class FakeMouseHook : public platform::MouseHook {
 public:
  Callback callback;
  bool failInstall = false;
  int installs = 0, removes = 0;
  bool Install(Callback cb) override {
    ++installs;
    input = std::move(pendingInput);
    keys = pendingKeys;
    pendingInput = nullptr;
    pendingKeys = false;
    if (failInstall) {
      input = nullptr;
      return false;
    }
    callback = std::move(cb);
    return true;
  }
  void Remove() override {
    ++removes;
    callback = nullptr;
    input = nullptr;
    keys = false;
  }
  void Event(std::uint32_t message, int x, int y, int nCode = 0) {
    if (callback) callback(nCode, message, x, y);
  }
  InputCallback input, pendingInput;
  bool keys = false, pendingKeys = false;
  void AlsoReport(InputCallback cb, bool withKeys) override {
    pendingInput = std::move(cb);
    pendingKeys = withKeys;
  }
  // What the platform would report: keys only when they were asked for.
  void Input(std::uint32_t message, int x, int y, std::int32_t data) {
    const bool isKey = message >= platform::kWmKeyDown && message <= platform::kWmSysKeyUp;
    if (callback && input && (keys || !isKey)) input(message, x, y, data);
  }
};

class FakeRegistry : public platform::Registry {
 public:
  std::map<std::string, std::string> values;  // "key\\name" -> value
  std::map<std::string, bool> wrongType;
  bool failWrite = false;
  platform::RegReadResult ReadString(const std::string& key, const std::string& name,
                                     std::string& value) override {
    if (wrongType.count(key + "\\" + name)) return platform::RegReadResult::WrongType;
    auto it = values.find(key + "\\" + name);
    if (it == values.end()) return platform::RegReadResult::Missing;
    value = it->second;
    return platform::RegReadResult::Ok;
  }
  bool WriteString(const std::string& key, const std::string& name, const std::string& value) override {
    if (failWrite) return false;
    values[key + "\\" + name] = value;
    return true;
  }
};

class FakeEnvironment : public platform::Environment {
 public:
  std::map<std::string, std::string> vars;
  // A folder of the tests own: code that falls back to the executable folder writes there.
  std::string exeFolder = "/tmp/qel-unit-tests/exe";
  std::string temp = "/tmp/";
  std::uint16_t langId = 0x0409;
  std::string decimal = ".";
  std::string GetVariable(const std::string& n) override {
    auto it = vars.find(n);
    return it == vars.end() ? std::string() : it->second;
  }
  std::string configFolder;
  std::string UserConfigFolder() override { return configFolder; }
  std::string ExecutableFolder() override { return exeFolder; }
  std::string TempFolder() override { return temp; }
  std::uint16_t SystemDefaultUILanguage() override { return langId; }
  std::string DecimalSeparator() override { return decimal; }
  char PathDelimiter() override { return '/'; }
};

class FakeShell : public platform::Shell {
 public:
  std::vector<std::pair<std::string, std::string>> opened;  // target, verb
  void Open(const std::string& t, const std::string& v) override { opened.emplace_back(t, v); }
};

// In memory, keyed without regard to letter case; good enough where the INI rules are
// not under test.
class FakeProfile : public platform::ProfileStore {
 public:
  std::map<std::string, std::string> values;
  std::vector<std::string> writes;  // "section/key=value" in order
  bool failWrites = false;
  std::string ReadString(const std::string& f, const std::string& s, const std::string& k,
                         const std::string& d) override {
    auto it = values.find(Key(f, s, k));
    return it == values.end() ? d : it->second;
  }
  bool WriteString(const std::string& f, const std::string& s, const std::string& k,
                   const std::string& v) override {
    if (failWrites) return false;
    writes.push_back(s + "/" + k + "=" + v);
    values[Key(f, s, k)] = v;
    return true;
  }
  static std::string Key(const std::string& f, const std::string& s, const std::string& k) {
    std::string r = f + "|" + s + "|" + k;
    for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
  }
};

class FakeHttpClient : public platform::HttpClient {
 public:
  struct Answer {
    bool ok = true;
    std::string body;
    std::string error;
  };
  std::map<std::string, Answer>* answers = nullptr;
  std::vector<std::string>* log = nullptr;
  std::vector<platform::HttpOptions>* options = nullptr;
  bool Get(const std::string& url, const platform::HttpOptions& o, std::string& body,
           std::string& error) override {
    if (log) log->push_back("GET " + url);
    if (options) options->push_back(o);
    auto it = answers->find(url);
    if (it == answers->end() || !it->second.ok) {
      error = it == answers->end() ? "404 Not Found" : it->second.error;
      return false;
    }
    body = it->second.body;
    return true;
  }
  // A scripted transfer: it may call the progress handler, whose exception aborts it as
  // the real clients do (false, with the exception's text).
  using DownloadScript = std::function<bool(const std::string& url, const std::string& file,
                                            const std::function<void(const platform::HttpProgress&)>&,
                                            std::string& error)>;
  DownloadScript* download = nullptr;
  bool Download(const std::string& url, const platform::HttpOptions& o, const std::string& file,
                const std::function<void(const platform::HttpProgress&)>& progress,
                std::string& error) override {
    if (log) log->push_back("DOWNLOAD " + url);
    if (options) options->push_back(o);
    if (!download || !*download) {
      error = "not scripted";
      return false;
    }
    try {
      return (*download)(url, file, progress, error);
    } catch (const std::exception& e) {
      error = e.what();
      return false;
    }
  }
};

class FakeHttpFactory : public platform::HttpClientFactory {
 public:
  std::map<std::string, FakeHttpClient::Answer> answers;
  std::vector<std::string> log;
  std::vector<platform::HttpOptions> options;
  FakeHttpClient::DownloadScript download;
  int created = 0;
  std::unique_ptr<platform::HttpClient> Create() override {
    ++created;
    auto c = std::make_unique<FakeHttpClient>();
    c->answers = &answers;
    c->log = &log;
    c->options = &options;
    c->download = &download;
    return c;
  }
};

// Starts a package as the shell would (recorded in the FakeShell); downloads go straight
// into the temporary folder under the Windows edition's name.
class FakeUpdatePackage : public platform::UpdatePackage {
 public:
  explicit FakeUpdatePackage(FakeShell& shell) : shell_(shell) {}
  std::vector<std::string> discarded;
  std::string ServerPath() override { return update::kWindowsInstallerPath; }
  std::string Kind() override { return "exe"; }
  std::string NewDownloadPath(const std::string& temp) override { return temp + update::kWindowsInstallerFileName; }
  void Start(const std::string& file) override { shell_.Open(file, ""); }
  void Discard(const std::string& file) override {
    discarded.push_back(file);
    std::remove(file.c_str());
  }

 private:
  FakeShell& shell_;
};

// Stand-in cryptography: a digest and a "signature" that only the same bytes (and, for the
// signature, the same key) reproduce. Not secure; it only has to tell inputs apart.
class FakeCrypto : public platform::Crypto {
 public:
  static platform::Sha256Digest Digest(const std::string& bytes) {
    platform::Sha256Digest d{};
    for (size_t k = 0; k < d.size(); ++k) {
      std::uint32_t h = 2166136261u ^ static_cast<std::uint32_t>(k * 16777619u);
      for (char c : bytes) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
      d[k] = static_cast<std::uint8_t>(h >> 13);
    }
    return d;
  }
  static std::string Sign(const std::string& key, const std::string& message) {
    const platform::Sha256Digest a = Digest(key + "|" + message), b = Digest(message + "|" + key);
    return std::string(a.begin(), a.end()) + std::string(b.begin(), b.end());
  }
  bool hashFails = false;  // as a platform without SHA-256
  platform::Sha256Digest Sha256(const std::string& bytes) override {
    if (hashFails) throw std::runtime_error("SHA-256 is not available");
    return Digest(bytes);
  }
  bool VerifyP256(const std::string& key, const std::string& message, const std::string& signature) override {
    return key.size() == 65 && signature == Sign(key, message);
  }
};

// Records the picks begun and ended; `Input` plays what the user does meanwhile.
struct FakePointPicker : platform::PointPicker {
  bool refuse = false;  // another program holds the pointer
  int begins = 0, ends = 0;
  bool active = false;
  std::function<void(const platform::PickInput&)> onInput;
  bool Begin(std::function<void(const platform::PickInput&)> callback) override {
    if (refuse) return false;
    ++begins;
    active = true;
    onInput = std::move(callback);
    return true;
  }
  void End() override {
    ++ends;
    active = false;
  }
  void Input(platform::PickInputKind kind, int x = 0, int y = 0) {
    if (active && onInput) onInput({kind, x, y});
  }
};

// Every fake, wired into one Services bundle.
struct FakePlatform {
  FakeClock clock;
  FakeWidgetFactory widgets{clock};
  FakeDialogs dialogs;
  FakeMouse mouse;
  FakeScreen screen;
  FakeHotkeys hotkeys;
  FakeMouseHook hook;
  FakeRegistry registry;
  FakeEnvironment env;
  FakeShell shell;
  FakeProfile profile;
  FakeHttpFactory http;
  FakeUpdatePackage updatePackage{shell};
  FakeCrypto crypto;
  FakePointPicker picker;
  app::Services services = MakeServices();
  // The same services with another profile store, HTTP factory, package or crypto.
  app::Services MakeServices(platform::ProfileStore* store = nullptr, platform::HttpClientFactory* factory = nullptr,
                             platform::UpdatePackage* package = nullptr, platform::Crypto* withCrypto = nullptr) {
    return app::Services{.widgets = widgets,
                         .dialogs = dialogs,
                         .queue = clock,
                         .mouse = mouse,
                         .screen = screen,
                         .hotkeys = hotkeys,
                         .mouseHook = hook,
                         .clock = clock,
                         .registry = registry,
                         .env = env,
                         .shell = shell,
                         .profile = store ? *store : profile,
                         .http = factory ? *factory : http,
                         .updatePackage = package ? *package : updatePackage,
                         .crypto = withCrypto ? *withCrypto : crypto,
                         .picker = picker};
  }
  FakePlatform() { mouse.clock = &clock; }
};

}  // namespace fakes
