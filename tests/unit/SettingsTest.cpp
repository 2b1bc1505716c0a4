#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>

#include "fakes/TempFolder.h"
#include "app/FrmMain.h"
#include "fakes/FakeServices.h"
#include "i18n/Translation.h"
#include "platform/Files.h"
#include "settings/DataFolder.h"
#include "settings/ProfileFile.h"
#include "ui/Guard.h"

namespace fs = std::filesystem;

namespace {

// The real portable store on real files, recording each write and able to fail the n-th.
class RecordingStore : public platform::ProfileStore {
 public:
  settings::PortableProfileStore real;
  std::vector<std::string> writes;  // "Section/key=value"
  int failAtWrite = 0;              // 1-based; 0: never
  std::string ReadString(const std::string& f, const std::string& s, const std::string& k,
                         const std::string& d) override {
    return real.ReadString(f, s, k, d);
  }
  bool WriteString(const std::string& f, const std::string& s, const std::string& k,
                   const std::string& v) override {
    writes.push_back(s + "/" + k + "=" + v);
    if (static_cast<int>(writes.size()) == failAtWrite) return false;
    return real.WriteString(f, s, k, v);
  }
};

struct SettingsTest : ::testing::Test {
  fakes::FakePlatform p;
  RecordingStore store;
  app::Services services = p.MakeServices(&store);
  fakes::TempFolder temp{"qel-settings"};
  fs::path appData = temp.path;
  std::string file;
  std::unique_ptr<TFrmMain> f;
  std::vector<std::string> errors;

  SettingsTest() {
    i18n::ResetTranslations();
    p.env.vars["APPDATA"] = appData.string();
    file = (appData / "QEL Auto Clicker" / "settings.ini").string();
    ui::SetErrorReporter([this](const std::string& text) { errors.push_back(text); });
  }
  ~SettingsTest() override {
    f.reset();
    ui::SetErrorReporter(nullptr);
    std::error_code ec;
    fs::permissions(file, fs::perms::owner_all, ec);
  }
  void Put(const std::string& text) {
    fs::create_directories(fs::path(file).parent_path());
    std::ofstream(file, std::ios::binary) << text;
  }
  std::string Slurp() {
    std::string bytes;
    platform::files::ReadAll(file, bytes);
    return bytes;
  }
  void Open() { f = std::make_unique<TFrmMain>(services); }
  // Destruction as the program runs it: errors go to the top-level handler.
  void Close() {
    ui::Guarded([this] { f->FormDestroy(); });
  }
};

const char* const kFirstStartFile =
    "[Target]\r\nmode=0\r\n\r\n"
    "[Interval]\r\nh=0\r\nm=0\r\ns=0\r\nms=100\r\njitterEnabled=0\r\njitterMs=0\r\njitterMode=0\r\n\r\n"
    "[Repeat]\r\nuntilStopped=1\r\ncount=100\r\n\r\n"
    "[Click]\r\nbutton=0\r\ntype=0\r\nholdMs=80\r\n\r\n"
    "[UI]\r\ntopMost=0\r\nminimizeOnStart=0\r\ncornerStop=0\r\n\r\n"
    "[Delay]\r\nstartDelayS=0\r\n\r\n"
    "[HotkeyStart]\r\nvk=83\r\nmod=6\r\ntoggle=0\r\nhold=0\r\n\r\n"
    "[HotkeyStop]\r\nvk=88\r\nmod=6\r\n\r\n"
    "[HotkeyStartMacros]\r\nvk=82\r\nmod=6\r\n\r\n"
    "[HotkeyPick]\r\nvk=0\r\nmod=0\r\n\r\n"
    "[Coords]\r\nx=0\r\ny=0\r\nradius=0\r\n\r\n"
    "[Macros]\r\nselected=-1\r\nrecordKeys=0\r\nrecordWheel=0\r\nspeed=100\r\n";

TEST_F(SettingsTest, FirstStartKeepsStartUpValuesAndWritesAll34KeysInOrder) {
  Open();
  EXPECT_TRUE(f->rbCurrentCursorPosition.Checked());
  EXPECT_FALSE(f->edtCoordX.Enabled());
  // Only the registrations of creation: with no file there is nothing to register again.
  EXPECT_EQ(p.hotkeys.calls, (std::vector<std::string>{"R1001", "R1002", "R1003"}));
  EXPECT_TRUE(fs::is_directory(appData / "QEL Auto Clicker"));
  EXPECT_FALSE(fs::exists(file));

  Close();
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(store.writes,
            (std::vector<std::string>{
                "Target/mode=0", "Interval/h=0", "Interval/m=0", "Interval/s=0", "Interval/ms=100",
                "Interval/jitterEnabled=0", "Interval/jitterMs=0", "Repeat/untilStopped=1",
                "Repeat/count=100", "Click/button=0", "Click/type=0", "Click/holdMs=80",
                "UI/topMost=0", "Delay/startDelayS=0", "UI/minimizeOnStart=0", "HotkeyStart/vk=83",
                "HotkeyStart/mod=6", "HotkeyStop/vk=88", "HotkeyStop/mod=6",
                "HotkeyStartMacros/vk=82", "HotkeyStartMacros/mod=6", "HotkeyStart/toggle=0",
                "HotkeyStart/hold=0", "HotkeyPick/vk=0", "HotkeyPick/mod=0", "Coords/x=0", "Coords/y=0",
                "Macros/selected=-1", "Macros/recordKeys=0", "Macros/recordWheel=0", "Coords/radius=0",
                "Interval/jitterMode=0", "UI/cornerStop=0", "Macros/speed=100"}));
  EXPECT_EQ(Slurp(), kFirstStartFile);
}

// A saved window comes back as it was, and saving it again changes no byte.
TEST_F(SettingsTest, EveryValueSurvivesARoundTrip) {
  Open();
  f->rbCoordinates.UserClicked();
  f->seHours.SetValue(1);
  f->seMinutes.SetValue(2);
  f->seSeconds.SetValue(3);
  f->seMillis.SetValue(4);
  f->chkJitter.UserToggled(true);
  f->seJitterMs.SetValue(5);
  f->rbRepeatCount.UserClicked();
  f->seRepeat.SetValue(6);
  f->cbButton.UserSelected(2);
  f->cbClickType.UserSelected(2);
  f->seHoldMs.SetValue(7);
  f->chkMinimizeToTrayOnStart.UserToggled(true);
  f->seStartDelaySS.SetValue(8);
  f->FStartHK = {0x70, 9};
  f->FStpHK = {0x2E, 0};
  f->FStartMacrosHK = {0xFFFFFFFF, 0x80000000};
  f->FHotkeyModes = {true, true};
  f->FPickHK = {0x75, 2};
  f->edtCoordX.SetValue(100000);
  f->edtCoordY.SetValue(9);
  f->FRecordKeys = true;
  f->FRecordWheel = true;
  f->FRadius = 20;
  f->FJitterMode = 2;
  f->FCornerStop = true;
  f->FSpeed = 250;
  Close();
  const std::string saved = Slurp();
  f.reset();

  Open();
  EXPECT_TRUE(f->rbCoordinates.Checked());
  EXPECT_TRUE(f->edtCoordX.Enabled());
  EXPECT_EQ(f->GetIntervalMs(), ((1 * 60 + 2) * 60 + 3) * 1000 + 4);
  EXPECT_TRUE(f->chkJitter.Checked());
  EXPECT_TRUE(f->seJitterMs.Enabled());
  EXPECT_EQ(f->seJitterMs.Value(), 5);
  EXPECT_TRUE(f->rbRepeatCount.Checked());
  EXPECT_FALSE(f->rbUntilStopped.Checked());
  EXPECT_TRUE(f->seRepeat.Enabled());
  EXPECT_EQ(f->seRepeat.Value(), 6);
  EXPECT_EQ(f->cbButton.ItemIndex(), 2);
  EXPECT_EQ(f->cbClickType.ItemIndex(), 2);
  EXPECT_TRUE(f->seHoldMs.Enabled());
  EXPECT_EQ(f->seHoldMs.Value(), 7);
  EXPECT_TRUE(f->FRecordKeys);
  EXPECT_TRUE(f->FRecordWheel);
  EXPECT_TRUE(f->chkMinimizeToTrayOnStart.Checked());
  EXPECT_FALSE(f->chkTopMost.Checked());
  EXPECT_EQ(f->seStartDelaySS.Value(), 8);
  EXPECT_EQ(f->FStartHK.Vk, 0x70u);
  EXPECT_EQ(f->FStartHK.Modifiers, 9u);
  EXPECT_EQ(f->FStpHK.Vk, 0x2Eu);
  EXPECT_EQ(f->FStartMacrosHK.Vk, 4294967295u);
  EXPECT_EQ(f->FStartMacrosHK.Modifiers, 0x80000000u);
  EXPECT_TRUE(f->FHotkeyModes.toggle);
  EXPECT_TRUE(f->FHotkeyModes.hold);
  EXPECT_EQ(f->FPickHK.Vk, 0x75u);
  EXPECT_EQ(f->FPickHK.Modifiers, 2u);
  EXPECT_EQ(p.hotkeys.registered.at(1004).vk, 0x75u);
  EXPECT_EQ(f->lblHotkeys.Caption(), "Hotkeys \u2014 Start: Win+Alt+F1  |  Stop: Del");
  EXPECT_EQ(f->edtCoordX.Value(), 100000);
  EXPECT_EQ(f->edtCoordY.Value(), 9);
  EXPECT_EQ(f->FRadius, 20);
  EXPECT_EQ(f->FJitterMode, 2);
  EXPECT_TRUE(f->FCornerStop);
  EXPECT_EQ(f->FSpeed, 250);
  EXPECT_NE(saved.find("[HotkeyStartMacros]\r\nvk=-1\r\nmod=-2147483648\r\n"), std::string::npos);
  store.writes.clear();
  Close();
  EXPECT_EQ(Slurp(), saved);
  EXPECT_EQ(store.writes.size(), 34u);
}

// What one key of a hand-made file does to the window after loading.
TEST_F(SettingsTest, LoadedValuesAreClampedParsedAndRunTheirHandlers) {
  struct Case {
    const char* file;
    std::function<void(TFrmMain&, fakes::FakePlatform&)> check;
  } cases[] = {
      {"[Interval]\nms=5000\n[Repeat]\ncount=0\n[Interval]\nh=-3\n",  // 2nd [Interval] unseen
       [](TFrmMain& f, auto&) {
         EXPECT_EQ(f.seMillis.Value(), 999);
         EXPECT_EQ(f.seRepeat.Value(), 1);
         EXPECT_EQ(f.seHours.Value(), 0);
       }},
      {"[Interval]\nh=-3\nm=60\ns=99\njitterMs=2000\n[Click]\nholdMs=10001\n[Delay]\nstartDelayS=70000\n"
       "[Coords]\nx=200000\ny=-5\n",
       [](TFrmMain& f, auto&) {
         EXPECT_EQ(f.seHours.Value(), 0);
         EXPECT_EQ(f.seMinutes.Value(), 59);
         EXPECT_EQ(f.seSeconds.Value(), 59);
         EXPECT_EQ(f.seJitterMs.Value(), 999);
         EXPECT_EQ(f.seHoldMs.Value(), 10000);
         EXPECT_EQ(f.seStartDelaySS.Value(), 65535);
         EXPECT_EQ(f.edtCoordX.Value(), 100000);
         EXPECT_EQ(f.edtCoordY.Value(), 0);
       }},
      {"[Interval]\nms=abc\n", [](TFrmMain& f, auto&) { EXPECT_EQ(f.seMillis.Value(), 100); }},
      {"[Interval]\nms=0x20\n", [](TFrmMain& f, auto&) { EXPECT_EQ(f.seMillis.Value(), 32); }},
      {"[Interval]\nms=$20\n", [](TFrmMain& f, auto&) { EXPECT_EQ(f.seMillis.Value(), 32); }},
      {"[Interval]\nms=12abc\n", [](TFrmMain& f, auto&) { EXPECT_EQ(f.seMillis.Value(), 100); }},
      {"[Target]\nmode=7\n[Coords]\nx=5\n",
       [](TFrmMain& f, auto&) {
         EXPECT_TRUE(f.rbCurrentCursorPosition.Checked());
         EXPECT_FALSE(f.edtCoordX.Enabled());
         EXPECT_EQ(f.GetTargetMode(), 0);
       }},
      {"[Target]\nmode=2\n",
       [](TFrmMain& f, auto&) {
         EXPECT_TRUE(f.rbMacros.Checked());
         EXPECT_FALSE(f.grpInterval.Enabled());
         EXPECT_TRUE(f.lbMacroses.Enabled());
         EXPECT_EQ(f.GetTargetMode(), 2);
       }},
      {"[Repeat]\nuntilStopped=0\n",
       [](TFrmMain& f, auto&) {
         EXPECT_TRUE(f.rbRepeatCount.Checked());
         EXPECT_FALSE(f.rbUntilStopped.Checked());
         EXPECT_TRUE(f.seRepeat.Enabled());
       }},
      {"[Repeat]\nuntilStopped=5\n",
       [](TFrmMain& f, auto&) {
         EXPECT_TRUE(f.rbUntilStopped.Checked());
         EXPECT_FALSE(f.rbRepeatCount.Checked());
         EXPECT_FALSE(f.seRepeat.Enabled());
       }},
      {"[Click]\ntype=2\n",
       [](TFrmMain& f, auto&) {
         EXPECT_TRUE(f.seHoldMs.Enabled());
         EXPECT_TRUE(f.lblHold.Enabled());
       }},
      {"[Click]\ntype=1\nbutton=7\n",
       [](TFrmMain& f, auto&) {
         EXPECT_EQ(f.cbClickType.ItemIndex(), 1);
         EXPECT_FALSE(f.seHoldMs.Enabled());
         EXPECT_FALSE(f.lblHold.Enabled());
         EXPECT_EQ(f.cbButton.ItemIndex(), -1);  // handed over unchanged: no selection
       }},
      // The options: held to their ranges; an unknown jitter mode keeps the original draw.
      {"[Coords]\nradius=501\n[Interval]\njitterMode=3\n[UI]\ncornerStop=-1\n[Macros]\nspeed=24\n",
       [](TFrmMain& f, auto&) {
         EXPECT_EQ(f.FRadius, 500);
         EXPECT_EQ(f.FJitterMode, 0);
         EXPECT_TRUE(f.FCornerStop);
         EXPECT_EQ(f.FSpeed, 25);
       }},
      {"[Coords]\nradius=-1\n[Interval]\njitterMode=2\n[UI]\ncornerStop=0\n[Macros]\nspeed=401\n",
       [](TFrmMain& f, auto&) {
         EXPECT_EQ(f.FRadius, 0);
         EXPECT_EQ(f.FJitterMode, 2);
         EXPECT_FALSE(f.FCornerStop);
         EXPECT_EQ(f.FSpeed, 400);
       }},
      {"[Coords]\nradius=abc\n[Interval]\njitterMode=-1\n[Macros]\nspeed=x\n",
       [](TFrmMain& f, auto&) {
         EXPECT_EQ(f.FRadius, 0);
         EXPECT_EQ(f.FJitterMode, 0);
         EXPECT_EQ(f.FSpeed, 100);
       }},
      {"[Interval]\njitterEnabled=-1\n",
       [](TFrmMain& f, auto&) {
         EXPECT_TRUE(f.chkJitter.Checked());
         EXPECT_TRUE(f.seJitterMs.Enabled());
       }},
      {"[UI]\ntopMost=1\nminimizeOnStart=0\n",
       [](TFrmMain& f, fakes::FakePlatform& p) {
         EXPECT_TRUE(f.chkTopMost.Checked());
         EXPECT_TRUE(p.widgets.PeerOf<fakes::FakeWindowPeer>(f.Form).topMost);
       }},
      {"[UI]\ntopMost=1\nminimizeOnStart=1\n",
       [](TFrmMain& f, fakes::FakePlatform& p) {
         EXPECT_TRUE(f.chkMinimizeToTrayOnStart.Checked());
         EXPECT_FALSE(f.chkTopMost.Checked());
         EXPECT_FALSE(p.widgets.PeerOf<fakes::FakeWindowPeer>(f.Form).topMost);
       }},
      {"[TARGET]\nMODE=1\n[interval]\nMS=250\n[COORDS]\nX=640\n[hotkeystart]\nVK=65\nMOD=8\n",
       [](TFrmMain& f, auto&) {
         EXPECT_TRUE(f.rbCoordinates.Checked());
         EXPECT_EQ(f.seMillis.Value(), 250);
         EXPECT_EQ(f.edtCoordX.Value(), 640);
         EXPECT_EQ(f.HotkeyText(f.FStartHK), "Win+A");
       }},
      {"[HotkeyStart]\nvk=-1\nmod=0\n[HotkeyStop]\nvk=4294967295\n[HotkeyStartMacros]\nvk=0x70\nmod=$FFFFFFFF\n",
       [](TFrmMain& f, auto&) {
         EXPECT_EQ(f.FStartHK.Vk, 4294967295u);
         EXPECT_EQ(f.FStartHK.Modifiers, 0u);
         EXPECT_EQ(f.FStpHK.Vk, 88u);  // outside 32 signed bits: the current value stays
         EXPECT_EQ(f.FStartMacrosHK.Vk, 0x70u);
         EXPECT_EQ(f.FStartMacrosHK.Modifiers, 4294967295u);
         // A file of an older copy: both modes off, no pick hotkey grabbed.
         EXPECT_FALSE(f.FHotkeyModes.toggle);
         EXPECT_FALSE(f.FHotkeyModes.hold);
         EXPECT_EQ(f.FPickHK.Vk, 0u);
       }},
      {"[HotkeyStart]\ntoggle=1\nhold=7\n[HotkeyPick]\nvk=117\nmod=2\n",
       [](TFrmMain& f, fakes::FakePlatform& p) {
         EXPECT_TRUE(f.FHotkeyModes.toggle);
         EXPECT_TRUE(f.FHotkeyModes.hold);
         EXPECT_EQ(f.FStartHK.Vk, 0x53u);  // the other keys of the section keep their defaults
         ASSERT_EQ(p.hotkeys.registered.count(1004), 1u);
         EXPECT_EQ(p.hotkeys.registered.at(1004).vk, 117u);
       }},
      {"[HotkeyStart]\ntoggle=0\nhold=x\n",
       [](TFrmMain& f, auto&) {
         EXPECT_FALSE(f.FHotkeyModes.toggle);
         EXPECT_FALSE(f.FHotkeyModes.hold);
         EXPECT_FALSE(f.FPickRegistered);  // unset: nothing grabbed
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    Put(c.file);
    Open();
    c.check(*f, p);
    f.reset();
  }
}

TEST_F(SettingsTest, LoadingRegistersTheStoredHotkeysAgain) {
  Put("[HotkeyStart]\nvk=65\nmod=8\n[HotkeyStop]\nmod=0\n");
  Open();
  EXPECT_EQ(p.hotkeys.calls, (std::vector<std::string>{"R1001", "R1002", "R1003", "U1001", "U1002",
                                                       "U1003", "R1001", "R1002", "R1003"}));
  ASSERT_EQ(p.hotkeys.registered.count(1001), 1u);
  EXPECT_EQ(p.hotkeys.registered[1001].vk, 65u);
  EXPECT_EQ(p.hotkeys.registered[1001].modifiers, 8u | 0x4000u);
  EXPECT_EQ(p.hotkeys.registered[1002].vk, 88u);
  EXPECT_EQ(p.hotkeys.registered[1002].modifiers, 0x4000u);
  EXPECT_EQ(f->lblHotkeys.Caption(), "Hotkeys \u2014 Start: Win+A  |  Stop: X");
}

// A key that is missing falls back on its own: fixed defaults for the target, the repeat
// mode, "minimise to tray" and the selection; the window's current value for the rest.
TEST_F(SettingsTest, MissingKeysFallBackToFixedOrCurrentValues) {
  Put("[Target]\nmode=1\n[Interval]\nh=5\n[Repeat]\nuntilStopped=0\n[UI]\nminimizeOnStart=1\n"
      "[Macros]\nselected=2\n");
  Open();
  ASSERT_TRUE(f->rbCoordinates.Checked());
  f->LoadSettings();  // once more, to see the value before the macro list consumed it
  EXPECT_EQ(f->FPendingSelectedMacroIndex, 2);

  Put("[Unrelated]\nk=1\n");
  f->LoadSettings();
  EXPECT_TRUE(f->rbCurrentCursorPosition.Checked());
  EXPECT_FALSE(f->edtCoordX.Enabled());
  EXPECT_EQ(f->seHours.Value(), 5);
  EXPECT_TRUE(f->rbUntilStopped.Checked());
  EXPECT_FALSE(f->chkMinimizeToTrayOnStart.Checked());
  EXPECT_EQ(f->FPendingSelectedMacroIndex, -1);
  EXPECT_FALSE(f->FRecordKeys);
  EXPECT_FALSE(f->FRecordWheel);
}

TEST_F(SettingsTest, ForeignLinesOfTheFileSurviveASave) {
  const std::string mine = "; written by hand\r\n[Interval]\r\nms=250\r\ncomment=keep\r\n\r\n[Other]\r\nx=1\r\n";
  Put(mine);
  Open();
  Close();
  const std::string after = Slurp();
  EXPECT_EQ(after.rfind("; written by hand\r\n[Interval]\r\nms=250\r\ncomment=keep\r\nh=0\r\n", 0), 0u);
  EXPECT_NE(after.find("\r\n[Other]\r\nx=1\r\n"), std::string::npos);
}

TEST_F(SettingsTest, ReadOnlyFileShowsOneErrorAndKeepsItsContents) {
  Put("[Interval]\r\nms=250\r\n");
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  Open();
  f->seMillis.SetValue(300);
  Close();
  EXPECT_EQ(errors, (std::vector<std::string>{"Unable to write to " + file}));
  EXPECT_EQ(store.writes.size(), 1u);
  EXPECT_EQ(Slurp(), "[Interval]\r\nms=250\r\n");
}

TEST_F(SettingsTest, SavingStopsAtTheFirstFailedWrite) {
  Open();
  store.failAtWrite = 3;
  Close();
  EXPECT_EQ(errors, (std::vector<std::string>{"Unable to write to " + file}));
  EXPECT_EQ(store.writes.size(), 3u);
  EXPECT_EQ(Slurp(), "[Target]\r\nmode=0\r\n\r\n[Interval]\r\nh=0\r\n");
}

TEST_F(SettingsTest, TheErrorTextIsTranslatedBeforeThePathGoesIn) {
  i18n::LanguageTable() = {{"English", "en", "Unable to write to %s"},
                           {"Deutsch", "de", "Kann %s nicht schreiben"}};
  i18n::CurrentLanguageIndex() = 1;
  i18n::CurrentLanguageCode() = "de";
  Open();
  store.failAtWrite = 1;
  Close();
  i18n::ResetTranslations();
  EXPECT_EQ(errors, (std::vector<std::string>{"Kann " + file + " nicht schreiben"}));
}

// ---- the data folder ----

struct DataFolderTest : ::testing::Test {
  fakes::FakeEnvironment env;
  fakes::TempFolder temp{"qel-data"};
  fs::path root = temp.path;
};

TEST_F(DataFolderTest, BaseIsAppDataThenConfigFolderThenExecutableFolder) {
  struct Case {
    std::string appData, config, exe, expectedBase;
  } cases[] = {
      {(root / "roaming").string(), (root / "cfg").string(), (root / "exe").string(), (root / "roaming").string()},
      {(root / "roaming").string() + "/", "", "", (root / "roaming").string()},
      {"", (root / "cfg").string(), (root / "exe").string(), (root / "cfg").string()},
      {"", "", (root / "exe").string(), (root / "exe").string()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expectedBase);
    env.vars["APPDATA"] = c.appData;
    env.configFolder = c.config;
    env.exeFolder = c.exe;
    EXPECT_EQ(settings::GetSettingsFileName(env), c.expectedBase + "/QEL Auto Clicker/settings.ini");
    EXPECT_TRUE(fs::is_directory(c.expectedBase + "/QEL Auto Clicker"));
    EXPECT_EQ(settings::GetMacrosFolder(env), c.expectedBase + "/QEL Auto Clicker/Macros");
    EXPECT_TRUE(fs::is_directory(c.expectedBase + "/QEL Auto Clicker/Macros"));
    fs::remove_all(root);
  }
}

TEST_F(DataFolderTest, FolderThatCannotBeCreatedIsNotReportedYet) {
  fs::create_directories(root);
  std::ofstream(root / "file") << "x";
  env.vars["APPDATA"] = (root / "file").string();  // a file where the folder should be
  EXPECT_EQ(settings::GetSettingsFileName(env), (root / "file").string() + "/QEL Auto Clicker/settings.ini");
  settings::PortableProfileStore store;
  EXPECT_FALSE(store.WriteString(settings::GetSettingsFileName(env), "a", "k", "1"));
}

}  // namespace
