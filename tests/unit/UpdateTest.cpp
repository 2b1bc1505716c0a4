#include <gtest/gtest.h>

#include <stdexcept>

#include "base/AppInfo.h"
#include "fakes/FakeServices.h"
#include "i18n/Translation.h"
#include "platform/Files.h"
#include "update/UpdateDialog.h"
#include "update/SignedRelease.h"
#include "update/UpdateGate.h"
#include "update/VersionCheck.h"

namespace {

const std::string kBase = "https://update.qel-autoclicker.app";
const std::string kVersionUrl = kBase + update::kVersionPagePath;
const std::string kChangesUrl = kBase + update::kChangesPagePath;
const std::string kInstallerUrl = kBase + update::kWindowsInstallerPath;
const std::string kFailed = "Failed to download update. Please download manually on website.";

struct UpdateTest : ::testing::Test {
  fakes::FakePlatform p;
  UpdateTest() {
    update::ResetUpdateState();
    i18n::ResetTranslations();
  }
  ~UpdateTest() override {
    update::ResetUpdateState();
    i18n::ResetTranslations();
  }
  void Serve(const std::string& version, const std::string& changes = "Faster clicks\r\n") {
    p.http.answers[kVersionUrl] = {true, version, ""};
    p.http.answers[kChangesUrl] = {true, changes, ""};
  }
  bool Check() { return update::CheckForNewVersion(p.http, p.env); }
};

TEST_F(UpdateTest, VersionLineDecidesOfferAndHeadline) {
  struct Case {
    const char* page;
    bool shown;
    bool mandatory;
    const char* headline;
  } cases[] = {
      {"24/20", false, false, ""},
      {"25/20", true, false, "The new version 2.5 is available"},
      {"25/25", true, true,
       "This version of the software is out of date. You must download the current version 2.5 "
       "to continue using the software."},
      // The minimum is tested first: it names the latest number even when that is older.
      {"24/30", true, true,
       "This version of the software is out of date. You must download the current version 2.4 "
       "to continue using the software."},
      {"100/10\r\nignored line", true, false, "The new version 10.0 is available"},
      {"\xEF\xBB\xBF" "30/24\n", true, false, "The new version 3.0 is available"},
      {"2520", false, false, ""},
      {"2x/20", false, false, ""},
      {"25/abc", false, false, ""},
      {"25/", false, false, ""},
      {"/20", false, false, ""},
      {" 25/20", false, false, ""},
      {"", false, false, ""},
      {"\r\n25/20", false, false, ""},
  };
  for (const Case& c : cases) {
    update::ResetUpdateState();
    Serve(c.page);
    EXPECT_EQ(Check(), c.shown) << c.page;
    EXPECT_EQ(update::MandatoryUpdate, c.mandatory) << c.page;
    if (c.shown)
      EXPECT_EQ(update::UpdateMessage,
                std::string(c.headline) + "\r\n\r\nWhat's new:\r\nFaster clicks\r\n")
          << c.page;
    else
      EXPECT_EQ(update::UpdateMessage, "") << c.page;
  }
}

TEST_F(UpdateTest, BothPagesOnOneClientWithTheRequestSettings) {
  Serve("24/20");
  EXPECT_FALSE(Check());
  EXPECT_EQ(p.http.created, 1);
  ASSERT_EQ(p.http.log, (std::vector<std::string>{"GET " + kVersionUrl, "GET " + kChangesUrl}));
  for (const platform::HttpOptions& o : p.http.options) {
    EXPECT_EQ(o.userAgent, "Mozilla/4.0 (compatible; MyApp)");
    EXPECT_TRUE(o.followRedirects);
    EXPECT_EQ(o.maxRedirects, 10);
    EXPECT_EQ(o.readTimeoutMs, 10000);
    EXPECT_GT(o.connectTimeoutMs, 0);
    EXPECT_LE(o.connectTimeoutMs, 10000);
  }
}

TEST_F(UpdateTest, MissingPagesAreSilent) {
  Serve("25/20");
  p.http.answers.erase(kChangesUrl);
  EXPECT_FALSE(Check());
  EXPECT_EQ(update::UpdateMessage, "");

  p.http.answers.clear();
  p.http.log.clear();
  EXPECT_FALSE(Check());
  EXPECT_EQ(p.http.log.size(), 1u);  // the changes page is not asked for without a version page
  EXPECT_TRUE(p.dialogs.shown.empty());
}

TEST_F(UpdateTest, EmptyChangesLinesAreDroppedAndBlankOnesKept) {
  Serve("25/20", "\r\nFirst\r\n\r\n\n  \r<b>Second</b>\r\n\r\n");
  ASSERT_TRUE(Check());
  EXPECT_EQ(update::UpdateMessage,
            "The new version 2.5 is available\r\n\r\nWhat's new:\r\nFirst\r\n  \r\n<b>Second</b>\r\n");
  update::ResetUpdateState();
  Serve("25/20", "");
  ASSERT_TRUE(Check());
  EXPECT_EQ(update::UpdateMessage, "The new version 2.5 is available\r\n\r\nWhat's new:\r\n");
}

TEST_F(UpdateTest, TranslatedHeadlinesAndTheirPlaceholders) {
  auto translate = [](const std::string& available) {
    i18n::LanguageTable() = {
        {"English", "en", "The new version %s is available", "What's new:"},
        {"Deutsch", "de", available, "Neu:"}};
    i18n::CurrentLanguageIndex() = 1;
  };
  Serve("25/20");
  translate("Version %s (100%%) ist da");
  ASSERT_TRUE(Check());
  EXPECT_EQ(update::UpdateMessage, "Version 2.5 (100%) ist da\r\n\r\nNeu:\r\nFaster clicks\r\n");
  for (const char* broken : {"Version %s und %s", "Version %d", "Version 50%"}) {
    update::ResetUpdateState();
    translate(broken);
    EXPECT_FALSE(Check()) << broken;
    EXPECT_EQ(update::UpdateMessage, "") << broken;
  }
}

TEST_F(UpdateTest, ServerAddressOverrideOnlyForTlsOrThisMachine) {
  struct Case {
    const char* value;
    const char* used;
  } cases[] = {
      {"", "https://update.qel-autoclicker.app"},
      {"http://127.0.0.1:8123", "http://127.0.0.1:8123"},
      {"http://localhost:9/", "http://localhost:9"},
      {"HTTP://[::1]:80", "HTTP://[::1]:80"},
      {"https://mirror.example.org", "https://mirror.example.org"},
      {"http://mirror.example.org", "https://update.qel-autoclicker.app"},
      {"http://127.0.0.1@evil.example", "https://update.qel-autoclicker.app"},
      {"http://127.0.0.1.evil.example", "https://update.qel-autoclicker.app"},
      {"ftp://127.0.0.1", "https://update.qel-autoclicker.app"},
  };
  for (const Case& c : cases) {
    p.env.vars["QEL_UPDATE_URL"] = c.value;
    EXPECT_EQ(update::UpdateBaseUrl(p.env), c.used) << c.value;
  }
  EXPECT_EQ(std::string(app::kUpdateBaseUrl).rfind("https://", 0), 0u);
}

// ---- the dialog ----

struct DialogTest : UpdateTest {
  std::string downloaded;  // what the scripted download wrote
  const std::string target = ::testing::TempDir() + update::kWindowsInstallerFileName;
  DialogTest() {
    p.env.temp = ::testing::TempDir();
    if (p.env.temp.empty() || p.env.temp.back() != '/') p.env.temp += '/';
    // The offer the check kept: version 2.5, signed for what ScriptDownload writes.
    update::OfferedVersion = 25;
    update::OfferedSignatureLines = {"second line of the page", SignedLine("installer", 25)};
  }
  static std::string SignedLine(const std::string& bytes, int version, const std::string& kind = "exe",
                                std::string key = update::ShippedReleaseKey()) {
    std::string rawKey;
    EXPECT_TRUE(update::Base64Decode(key, rawKey));
    update::SignedRelease r;
    r.kind = kind;
    r.version = version;
    r.sha256 = fakes::FakeCrypto::Digest(bytes);
    const std::string sig = fakes::FakeCrypto::Sign(rawKey, update::SignedMessage(kind, version, r.sha256));
    std::copy(sig.begin(), sig.end(), r.signature.begin());
    return update::FormatSignatureLine(r);
  }
  ~DialogTest() override { std::remove((p.env.temp + update::kWindowsInstallerFileName).c_str()); }
  fakes::FakeProgressPeer& Bar(update::TfrmNewVersion& d) {
    return p.widgets.PeerOf<fakes::FakeProgressPeer>(d.ProgressBar1);
  }
  // A transfer that reports the given steps, then writes the file.
  void ScriptDownload(std::vector<platform::HttpProgress> steps, bool ok = true) {
    p.http.download = [this, steps, ok](const std::string&, const std::string& file,
                                        const std::function<void(const platform::HttpProgress&)>& progress,
                                        std::string& error) {
      for (const auto& s : steps) progress(s);
      if (!ok) {
        error = "HTTP/1.1 302 Found";
        return false;
      }
      platform::files::WriteAllReplacing(file, "installer");
      return true;
    };
  }
};

TEST_F(DialogTest, FormShowFillsTheOffer) {
  for (bool mandatory : {false, true}) {
    update::MandatoryUpdate = mandatory;
    update::UpdateMessage = "The new version 2.5 is available\r\n\r\nWhat's new:\r\nx\r\n";
    update::TfrmNewVersion d(p.services);
    d.Tag = 7;
    d.Form.UserShowing();
    EXPECT_EQ(d.Tag, 1);
    EXPECT_EQ(d.Form.Caption(), " QEL Auto Clicker");
    EXPECT_EQ(d.btUpdateNow.Caption(), "Update Now");
    EXPECT_EQ(d.btCancel.Caption(), mandatory ? "Exit" : "Skip");
    EXPECT_EQ(d.Label1.Caption(), update::UpdateMessage);
    EXPECT_FALSE(d.ProgressBar1.Visible());
    EXPECT_EQ(d.VirtualImage1.PictureName(), "update-icon");
    EXPECT_EQ(p.widgets.PeerOf(d.btCancel).place, (ui::Rect{299, 136, 75, 25}));
  }
}

TEST_F(DialogTest, TagTableOfTheOffers) {
  // Skip / Exit and the close box, in the optional and the mandatory offer.
  for (bool mandatory : {false, true}) {
    for (bool closeBox : {false, true}) {
      update::ResetUpdateState();
      update::MandatoryUpdate = mandatory;
      update::TfrmNewVersion d(p.services);
      auto& peer = *p.widgets.lastWindow;
      peer.onShowModal = [&] {
        d.Form.UserShowing();
        if (closeBox)
          d.Form.UserClosing();
        else
          d.btCancel.UserClicked();
      };
      d.Form.ShowModal();
      EXPECT_EQ(d.Tag, mandatory ? 0 : 1) << mandatory << closeBox;
      EXPECT_TRUE(p.http.log.empty());
    }
  }
}

TEST_F(DialogTest, StartupGateFollowsTheTag) {
  struct Case {
    const char* page;
    bool closeBox;
    bool goOn;
    int dialogs;
  } cases[] = {{"24/20", true, true, 0}, {"25/20", true, true, 1}, {"25/25", true, false, 1},
               {"garbage", true, true, 0}};
  for (const Case& c : cases) {
    update::ResetUpdateState();
    Serve(c.page);
    int shown = 0;
    p.widgets.whileModal = [&](fakes::FakeWindowPeer& w) {
      ++shown;
      w.owner->UserShowing();
      EXPECT_EQ(w.FakeControlPeer::caption, " QEL Auto Clicker");
      if (c.closeBox) w.owner->UserClosing();
    };
    EXPECT_EQ(update::RunStartupGate(p.services), c.goOn) << c.page;
    EXPECT_EQ(shown, c.dialogs) << c.page;
  }
}

TEST_F(DialogTest, SuccessfulDownloadStartsTheInstallerAndEnds) {
  ScriptDownload({{0, 1000, ""}, {250, 1000, ""}, {999, 1000, ""}, {1000, 1000, ""}});
  update::TfrmNewVersion d(p.services);
  d.Form.UserShowing();
  std::vector<int> positions;
  p.clock.onProcessMessages = [&] {
    positions.push_back(Bar(d).position);
    // Meanwhile the dialog shows the download state.
    EXPECT_EQ(d.btCancel.Caption(), "Abort");
    EXPECT_FALSE(d.btUpdateNow.Enabled());
    EXPECT_TRUE(d.ProgressBar1.Visible());
  };
  d.btUpdateNow.UserClicked();
  EXPECT_EQ(positions, (std::vector<int>{0, 0, 25, 99, 100}));
  EXPECT_TRUE(update::MandatoryUpdate);
  EXPECT_EQ(d.Tag, 0);
  ASSERT_EQ(p.http.log, (std::vector<std::string>{"DOWNLOAD " + kInstallerUrl}));
  const platform::HttpOptions& o = p.http.options[0];
  EXPECT_EQ(o.userAgent, "Mozilla/4.0 (compatible; MyApp)");
  EXPECT_FALSE(o.followRedirects);
  EXPECT_EQ(o.readTimeoutMs, 0);
  EXPECT_TRUE(p.dialogs.shown.empty());
  ASSERT_EQ(p.shell.opened.size(), 1u);
  EXPECT_EQ(p.shell.opened[0], (std::pair<std::string, std::string>{p.env.temp + update::kWindowsInstallerFileName, ""}));
}

TEST_F(DialogTest, BarStaysAtZeroWithoutALength) {
  ScriptDownload({{100, 1000, "Chunked"}, {500, 1000, "gzip, chunked"}, {700, -1, ""}, {900, 0, ""}});
  update::TfrmNewVersion d(p.services);
  d.btUpdateNow.UserClicked();
  EXPECT_EQ(Bar(d).position, 0);
  EXPECT_EQ(p.shell.opened.size(), 1u);
  EXPECT_EQ(d.Tag, 0);
}

TEST_F(DialogTest, MoreThanAnnouncedKeepsTheBarFull) {
  // 73 MB against an announced byte: 7 294 967 300 % no longer fits an int (it would wrap
  // to a negative number and show an empty bar).
  ScriptDownload({{1, 2, ""}, {72'949'673, 1, ""}});
  update::TfrmNewVersion d(p.services);
  d.btUpdateNow.UserClicked();
  EXPECT_EQ(Bar(d).position, 100);
}

TEST_F(DialogTest, FailuresShowTheErrorBoxAndTheWebsiteAndEnd) {
  struct Case {
    const char* name;
    std::function<void(DialogTest&)> arrange;
    std::string reason;
  } cases[] = {
      {"redirect answer", [](DialogTest& t) { t.ScriptDownload({}, false); }, "HTTP/1.1 302 Found"},
      {"not scripted (no server)", [](DialogTest& t) { t.p.http.download = nullptr; }, "not scripted"},
      {"file missing afterwards",
       [](DialogTest& t) {
         t.p.http.download = [](const std::string&, const std::string&,
                                const std::function<void(const platform::HttpProgress&)>&,
                                std::string&) { return true; };
       },
       "Cannot find downloaded file."},
  };
  for (const Case& c : cases) {
    p.dialogs.shown.clear();
    p.shell.opened.clear();
    update::ResetUpdateState();
    std::remove((p.env.temp + update::kWindowsInstallerFileName).c_str());
    c.arrange(*this);
    update::TfrmNewVersion d(p.services);
    d.Form.UserShowing();
    d.btUpdateNow.UserClicked();
    ASSERT_EQ(p.dialogs.shown.size(), 1u) << c.name;
    EXPECT_EQ(p.dialogs.shown[0].kind, ui::MsgKind::Error);
    EXPECT_EQ(p.dialogs.shown[0].buttons, ui::MsgButtons::Ok);
    EXPECT_EQ(p.dialogs.shown[0].text, kFailed + "\r\n\r\n" + c.reason) << c.name;
    EXPECT_EQ(p.shell.opened, (std::vector<std::pair<std::string, std::string>>{
                                  {"https://qel-autoclicker.app", "open"}}))
        << c.name;
    EXPECT_EQ(d.Tag, 0) << c.name;
  }
}

TEST_F(DialogTest, AbortActsAtTheNextProgressReport) {
  update::TfrmNewVersion d(p.services);
  d.Form.UserShowing();
  int reports = 0;
  p.http.download = [&](const std::string&, const std::string&,
                        const std::function<void(const platform::HttpProgress&)>& progress,
                        std::string&) {
    for (;;) {  // a slow server: reports go on until the handler stops the transfer
      ++reports;
      progress({static_cast<std::uint64_t>(reports), 1 << 20, ""});
      if (reports == 3) d.btCancel.UserClicked();  // the user, through the nested loop
      if (reports > 100) return true;
    }
  };
  d.btUpdateNow.UserClicked();
  EXPECT_EQ(reports, 4);
  ASSERT_EQ(p.dialogs.shown.size(), 1u);
  EXPECT_EQ(p.dialogs.shown[0].text, kFailed + "\r\n\r\nDownload is cancelled. Please download manually.");
  EXPECT_EQ(p.shell.opened.back().second, "open");
  EXPECT_EQ(d.Tag, 0);
  EXPECT_TRUE(update::DownloadCancelRequested);
}

TEST_F(DialogTest, AbortComparesWithTheTranslatedCaption) {
  i18n::LanguageTable() = {{"English", "en", "Abort", "Skip"}, {"Deutsch", "de", "Abbrechen", "Weiter"}};
  i18n::CurrentLanguageIndex() = 1;
  update::TfrmNewVersion d(p.services);
  d.Form.UserShowing();
  EXPECT_EQ(d.btCancel.Caption(), "Weiter");
  d.btCancel.SetCaption("Abbrechen");  // as during a download
  d.btCancel.UserClicked();
  EXPECT_TRUE(update::DownloadCancelRequested);
  d.btCancel.SetCaption("Abort");  // the English word is not the button's text here
  update::DownloadCancelRequested = false;
  d.btCancel.UserClicked();
  EXPECT_FALSE(update::DownloadCancelRequested);
  EXPECT_EQ(d.Tag, 1);
}

TEST_F(DialogTest, ClosingDuringTheDownloadIsItsAbort) {
  // The close box, Alt+F4 or Esc while the download runs: the dialog stays, the download
  // stops at the next report and ends as an abort does (no installer started).
  update::TfrmNewVersion d(p.services);
  d.Form.UserShowing();
  int reports = 0;
  bool closeAllowed = true;
  p.http.download = [&](const std::string&, const std::string& file,
                        const std::function<void(const platform::HttpProgress&)>& progress, std::string&) {
    for (; reports < 100; ++reports) {
      progress({static_cast<std::uint64_t>(reports), 1 << 20, ""});
      if (reports == 2) closeAllowed = d.Form.UserClosing();
    }
    platform::files::WriteAllReplacing(file, "installer");
    return true;
  };
  d.btUpdateNow.UserClicked();
  EXPECT_FALSE(closeAllowed);
  EXPECT_EQ(reports, 3);
  ASSERT_EQ(p.dialogs.shown.size(), 1u);
  EXPECT_EQ(p.dialogs.shown[0].text, kFailed + "\r\n\r\nDownload is cancelled. Please download manually.");
  EXPECT_EQ(p.shell.opened, (std::vector<std::pair<std::string, std::string>>{{"https://qel-autoclicker.app", "open"}}));
  EXPECT_EQ(d.Tag, 0);
  // Once the download has ended, a close goes ahead again.
  EXPECT_TRUE(d.Form.UserClosing());
}

TEST_F(DialogTest, OnlyASignedInstallerOfThisVersionOrNewerIsStarted) {
  const std::string otherKey = update::Base64Encode(std::string(1, '\x04') + std::string(64, 'k'));
  const std::string notSigned =
      "The update server sent no signature for this download. It was deleted and not started.";
  const std::string noMatch = "The downloaded file does not match the maker's signature. It was deleted and not started.";
  const std::string older = "The downloaded file is older than this version. It was deleted and not started.";
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    int offered;
    std::string refusal;  // empty: started
  } cases[] = {
      {"signed", {SignedLine("installer", 25)}, 25, ""},
      {"signed, among other lines", {"", "signature deb 25 zz", SignedLine("installer", 25)}, 25, ""},
      {"this very version again (24/30)", {SignedLine("installer", 24)}, 24, ""},
      {"no signature line", {"second line is ignored"}, 25, notSigned},
      {"only the other edition's line", {SignedLine("installer", 25, "deb")}, 25, notSigned},
      {"one byte differs", {SignedLine("installes", 25)}, 25, noMatch},
      {"signed by another key", {SignedLine("installer", 25, "exe", otherKey)}, 25, noMatch},
      {"signed for another version than offered", {SignedLine("installer", 26)}, 25, noMatch},
      {"a genuine older release", {SignedLine("installer", 23)}, 25, older},
  };
  for (const Case& c : cases) {
    p.dialogs.shown.clear();
    p.shell.opened.clear();
    p.updatePackage.discarded.clear();
    update::OfferedVersion = c.offered;
    update::OfferedSignatureLines = c.lines;
    ScriptDownload({{9, 9, ""}});
    update::TfrmNewVersion d(p.services);
    d.btUpdateNow.UserClicked();
    EXPECT_EQ(d.Tag, 0) << c.name;
    if (c.refusal.empty()) {
      EXPECT_TRUE(p.dialogs.shown.empty()) << c.name;
      EXPECT_EQ(p.shell.opened, (std::vector<std::pair<std::string, std::string>>{{target, ""}})) << c.name;
      EXPECT_TRUE(platform::files::FileExists(target)) << c.name;
      continue;
    }
    ASSERT_EQ(p.dialogs.shown.size(), 1u) << c.name;
    EXPECT_EQ(p.dialogs.shown[0].text, kFailed + "\r\n\r\n" + c.refusal) << c.name;
    EXPECT_EQ(p.shell.opened, (std::vector<std::pair<std::string, std::string>>{{"https://qel-autoclicker.app", "open"}}))
        << c.name;
    EXPECT_EQ(p.updatePackage.discarded, std::vector<std::string>{target}) << c.name;
    EXPECT_FALSE(platform::files::FileExists(target)) << c.name;
  }
}

TEST_F(DialogTest, AnInstallerThatCannotBeCheckedIsDeletedAndNotStarted) {
  p.crypto.hashFails = true;
  ScriptDownload({{9, 9, ""}});
  update::TfrmNewVersion d(p.services);
  d.btUpdateNow.UserClicked();
  ASSERT_EQ(p.dialogs.shown.size(), 1u);
  EXPECT_EQ(p.dialogs.shown[0].text, kFailed + "\r\n\r\nSHA-256 is not available");
  EXPECT_EQ(p.shell.opened, (std::vector<std::pair<std::string, std::string>>{{"https://qel-autoclicker.app", "open"}}));
  EXPECT_FALSE(platform::files::FileExists(target));
  EXPECT_EQ(d.Tag, 0);
}

TEST_F(UpdateTest, CheckKeepsTheOfferForTheDownload) {
  Serve("25/20\r\nsignature exe 25 ab\r\n\r\nlast");
  ASSERT_TRUE(Check());
  EXPECT_EQ(update::OfferedVersion, 25);
  EXPECT_EQ(update::OfferedSignatureLines, (std::vector<std::string>{"signature exe 25 ab", "", "last"}));
  update::ResetUpdateState();
  Serve("24/20\r\nsignature exe 24 ab");
  EXPECT_FALSE(Check());
  EXPECT_TRUE(update::OfferedSignatureLines.empty());
}

}  // namespace
