#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/FrmMain.h"
#include "fakes/FakeServices.h"
#include "i18n/Translation.h"

namespace {

const char* const kLanguageValue = "Software\\QEL Auto Clicker\\CurrentLanguage";

struct LanguageMenuTest : ::testing::Test {
  LanguageMenuTest() { i18n::ResetTranslations(); }
  ~LanguageMenuTest() override {
    f.reset();
    i18n::ResetTranslations();
  }
  fakes::FakePlatform p;
  std::unique_ptr<TFrmMain> f;

  // English, German and French; French has no text for "Hold".
  void UseTable(int index, const std::string& code) {
    i18n::LanguageTable() = {
        {"English", "en", "Start", "Ready", "Left", "Right", "Middle", "Single", "Double", "Hold",
         "Hotkeys \u2014 Start: %s  |  Stop: %s", "Repeat"},
        {"Deutsch", "de", "Starten", "Bereit", "Links", "Rechts", "Mitte", "Einfach", "Doppelt",
         "Halten", "Tasten \u2014 Start: %s  |  Stopp: %s", "Wiederholen"},
        {"Français", "fr", "Démarrer", "Prêt", "Gauche", "Droit", "Milieu", "Simple", "Double", "",
         "Raccourcis \u2014 Démarrer : %s  |  Arrêter : %s", "Répéter"},
    };
    i18n::CurrentLanguageIndex() = index;
    i18n::CurrentLanguageCode() = code;
  }
  void Open() { f = std::make_unique<TFrmMain>(p.services); }
  std::vector<bool> Checks() const {
    std::vector<bool> out;
    for (const ui::MenuItem& m : f->PopupMenuLang.Items()) out.push_back(m.checked);
    return out;
  }
};

TEST_F(LanguageMenuTest, MenuHasOneEntryPerColumnWithTheCurrentChecked) {
  UseTable(2, "FR");
  Open();
  const auto& items = f->PopupMenuLang.Items();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].caption, "English");
  EXPECT_EQ(items[1].caption, "Deutsch");
  EXPECT_EQ(items[2].caption, "Français");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(items[static_cast<size_t>(i)].tag, i);
  EXPECT_EQ(Checks(), (std::vector<bool>{false, false, true}));
  EXPECT_EQ(p.widgets.menu->items.size(), 3u);
  EXPECT_EQ(f->btnLang.Caption(), "FR");  // the code as stored, case and all
  EXPECT_EQ(f->btnStart.Caption(), "Démarrer");
}

TEST_F(LanguageMenuTest, WithoutTableTheMenuIsEmptyAndTheButtonShowsTheCode) {
  i18n::CurrentLanguageCode() = "ru";
  Open();
  EXPECT_TRUE(f->PopupMenuLang.Items().empty());
  EXPECT_EQ(f->btnLang.Caption(), "ru");
  EXPECT_EQ(f->btnStart.Caption(), "Start");
  f->btnLang.UserClicked();
  EXPECT_EQ(p.widgets.menu->popups.size(), 1u);  // opens, with nothing to choose
}

TEST_F(LanguageMenuTest, ButtonOpensTheMenuAtItsBottomLeftCorner) {
  UseTable(0, "en");
  Open();
  f->btnLang.UserClicked();
  ASSERT_EQ(p.widgets.menu->popups.size(), 1u);
  // The fake places controls at their design position: 253, 531, 25 high.
  EXPECT_EQ(p.widgets.menu->popups[0].x, 253);
  EXPECT_EQ(p.widgets.menu->popups[0].y, 531 + 25);
}

TEST_F(LanguageMenuTest, ChoosingALanguageSwitchesStoresAndKeepsTheListChoices) {
  UseTable(0, "en");
  Open();
  f->cbButton.UserSelected(1);
  f->cbClickType.UserSelected(2);
  f->SetStatus("Stopped by button. Clicks done: 12");

  f->PopupMenuLang.UserChose(1);
  EXPECT_EQ(Checks(), (std::vector<bool>{false, true, false}));
  EXPECT_EQ(i18n::CurrentLanguageIndex(), 1);
  EXPECT_EQ(i18n::CurrentLanguageCode(), "de");
  EXPECT_EQ(p.registry.values[kLanguageValue], "de");
  EXPECT_EQ(f->btnLang.Caption(), "de");
  EXPECT_EQ(f->btnStart.Caption(), "Starten");
  EXPECT_EQ(f->btnStop.Caption(), "Stop");  // not in the table
  EXPECT_EQ(f->Label1.Caption(), "Bereit");
  EXPECT_EQ(f->cbButton.Items(), (std::vector<std::string>{"Links", "Rechts", "Mitte"}));
  EXPECT_EQ(f->cbClickType.Items(), (std::vector<std::string>{"Einfach", "Doppelt", "Halten"}));
  EXPECT_EQ(f->cbButton.ItemIndex(), 1);
  EXPECT_EQ(f->cbClickType.ItemIndex(), 2);
  EXPECT_EQ(p.widgets.PeerOf<fakes::FakeListPeer>(f->cbClickType).index, 2);
  EXPECT_EQ(f->grpClicks.Caption(), "Wiederholen");
  EXPECT_EQ(f->rbRepeatCount.Caption(), "Wiederholen");
  EXPECT_EQ(f->lblHotkeys.Caption(), "Tasten \u2014 Start: Shift+Ctrl+S  |  Stopp: Shift+Ctrl+X");

  // An empty cell shows the English text; the lists still keep their choice.
  f->PopupMenuLang.UserChose(2);
  EXPECT_EQ(Checks(), (std::vector<bool>{false, false, true}));
  EXPECT_EQ(f->cbClickType.Items(), (std::vector<std::string>{"Simple", "Double", "Hold"}));
  EXPECT_EQ(f->cbClickType.ItemIndex(), 2);
  EXPECT_EQ(f->btnLang.Caption(), "fr");

  // Choosing the checked entry again writes the value again and changes nothing else.
  p.registry.values.clear();
  f->SetStatus("Started");
  f->PopupMenuLang.UserChose(2);
  EXPECT_EQ(p.registry.values[kLanguageValue], "fr");
  EXPECT_EQ(Checks(), (std::vector<bool>{false, false, true}));
  EXPECT_EQ(f->Label1.Caption(), "Prêt");
  EXPECT_EQ(f->cbClickType.ItemIndex(), 2);
}

TEST_F(LanguageMenuTest, RegistryRefusingTheValueStillSwitchesForThisRun) {
  UseTable(0, "en");
  Open();
  p.registry.failWrite = true;
  f->PopupMenuLang.UserChose(1);
  EXPECT_TRUE(p.registry.values.empty());
  EXPECT_EQ(f->btnStart.Caption(), "Starten");
  EXPECT_EQ(f->btnLang.Caption(), "de");
  EXPECT_TRUE(p.dialogs.shown.empty());
}

TEST_F(LanguageMenuTest, HotkeyLineNamesTheCurrentHotkeysAfterASwitch) {
  UseTable(0, "en");
  Open();
  f->FStartHK = {0x70, 0x1};  // Alt+F1
  f->FStpHK = {0xBA, 0x0};    // the key named ";"
  f->PopupMenuLang.UserChose(2);
  EXPECT_EQ(f->lblHotkeys.Caption(), "Raccourcis \u2014 Démarrer : Alt+F1  |  Arrêter : ;");
}

// The shipped table, read the way the program reads it at start-up.
struct ShippedTableTest : ::testing::Test {
  ShippedTableTest() {
    i18n::ResetTranslations();
    p.env.exeFolder = std::string(QEL_SOURCE_DIR) + "/data";
  }
  ~ShippedTableTest() override {
    f.reset();
    i18n::ResetTranslations();
  }
  fakes::FakePlatform p;
  std::unique_ptr<TFrmMain> f;
};

TEST_F(ShippedTableTest, GermanWindowAndBackToEnglish) {
  p.registry.values[kLanguageValue] = "de";
  i18n::LoadTranslations(p.registry, p.env);
  ASSERT_EQ(i18n::LanguageTable().size(), 16u);
  ASSERT_EQ(i18n::CurrentLanguageIndex(), 4);
  f = std::make_unique<TFrmMain>(p.services);
  TFrmMain& w = *f;

  struct Shown {
    const ui::Control* control;
    const char* german;
    const char* english;
  } shown[] = {
      {&w.btnLang, "de", "en"},
      {&w.btnStart, "Start", "Start"},
      {&w.btnStop, "Stopp", "Stop"},
      {&w.GroupBox1, "Ziel", "Target"},
      {&w.rbCurrentCursorPosition, "Mauszeigerposition", "Cursor position"},
      {&w.rbCoordinates, "Koordinaten:", "Coordinates:"},
      {&w.rbMacros, "Makros:", "Macros:"},
      {&w.btnCreateMacros, "Erstellen", "Create"},
      {&w.bRemove, "Entfernen", "Remove"},
      {&w.bRename, "Umbenennen", "Rename"},
      {&w.grpInterval, "Klickintervall", "Click Interval"},
      {&w.lblH, "Stunden", "Hours"},
      {&w.lblM, "Minuten", "Minutes"},
      {&w.lblS, "Sekunden", "Seconds"},
      {&w.lblMS, "Millisekunden", "Milliseconds"},
      {&w.chkJitter, "Zufall +/- (ms)", "Jitter +/- (ms)"},
      {&w.grpClickType, "Klickart", "Click Type"},
      {&w.lblHold, "Haltezeit (ms)", "Hold time (ms)"},
      {&w.grpDelay, "Startverzögerung", "Start Delay"},
      {&w.lblDelayMs, "Verzögerung (s)", "Delay (s)"},
      {&w.grpClicks, "Wiederholen", "Repeat"},
      {&w.rbUntilStopped, "Wiederholen bis zum Stopp", "Repeat until stopped"},
      {&w.rbRepeatCount, "Wiederholen", "Repeat"},
      {&w.grpSafety, "Weitere Optionen", "Additional"},
      {&w.chkMinimizeToTrayOnStart, "Beim Start in den Infobereich minimieren",
       "Minimize to tray when starting"},
      {&w.chkTopMost, "Immer im Vordergrund", "Always on top"},
      {&w.Button1, "Über...", "About..."},
      {&w.lblHotkeys, "Tastenkürzel \u2014 Start: Shift+Ctrl+S  |  Stopp: Shift+Ctrl+X",
       "Hotkeys \u2014 Start: Shift+Ctrl+S  |  Stop: Shift+Ctrl+X"},
      {&w.Label1, "Bereit", "Ready"},
  };
  for (const Shown& s : shown) {
    EXPECT_EQ(s.control->Caption(), s.german);
    EXPECT_EQ(p.widgets.PeerOf(*s.control).caption, s.german);
  }
  EXPECT_EQ(w.cbButton.Items(), (std::vector<std::string>{"Links", "Rechts", "Mitte"}));
  EXPECT_EQ(w.cbClickType.Items(), (std::vector<std::string>{"Einfach", "Doppelt", "Halten"}));
  EXPECT_EQ(w.cbButton.ItemIndex(), 0);
  EXPECT_EQ(w.PopupMenuLang.Items()[4].caption, "Deutsch");
  EXPECT_TRUE(w.PopupMenuLang.Items()[4].checked);
  // Left alone: the window caption, the link, the "X" between the coordinates.
  EXPECT_EQ(w.Form.Caption(), "  QEL Auto Clicker 2.4");
  EXPECT_EQ(w.Label3.Caption(), "X");

  w.PopupMenuLang.UserChose(0);
  for (const Shown& s : shown) EXPECT_EQ(s.control->Caption(), s.english);
  EXPECT_EQ(w.cbClickType.Items(), (std::vector<std::string>{"Single", "Double", "Hold"}));
  EXPECT_EQ(p.registry.values[kLanguageValue], "en");

  // The next start opens in the language chosen last.
  w.PopupMenuLang.UserChose(15);
  EXPECT_EQ(w.btnStart.Caption(), "Başlat");
  i18n::ResetTranslations();
  i18n::LoadTranslations(p.registry, p.env);
  EXPECT_EQ(i18n::CurrentLanguageCode(), "tr");
  EXPECT_EQ(i18n::CurrentLanguageIndex(), 15);
}

TEST_F(ShippedTableTest, AboutBoxSpeaksTheChosenLanguage) {
  p.registry.values[kLanguageValue] = "fr";
  i18n::LoadTranslations(p.registry, p.env);
  f = std::make_unique<TFrmMain>(p.services);
  f->Button1.UserClicked();
  ASSERT_EQ(p.dialogs.shown.size(), 1u);
  const std::string& text = p.dialogs.shown[0].text;
  EXPECT_EQ(text.find("QEL Auto Clicker\r\nVersion : 2.4\r\n\r\nSite web : qel-autoclicker.app\r\n\r\n"), 0u)
      << text;
  EXPECT_NE(text.find("\r\nCe programme est gratuit."), std::string::npos) << text;
  EXPECT_NE(text.find(" QEL Software. Tous droits réservés."), std::string::npos) << text;
}

TEST_F(ShippedTableTest, SystemLanguagePicksItsColumnInEveryLanguage) {
  struct Case {
    std::uint16_t langId;
    int index;
    const char* name;
  } cases[] = {
      {0x0409, 0, "English"},    {0x0401, 1, "العربية"},   {0x0804, 2, "中文(简体)"},
      {0x0405, 3, "Čeština"},    {0x0407, 4, "Deutsch"},   {0x0408, 5, "Ελληνικά"},
      {0x0C0A, 6, "Español"},    {0x040C, 7, "Français"},  {0x040E, 8, "Magyar"},
      {0x0410, 9, "Italiano"},   {0x0411, 10, "日本語"},    {0x0412, 11, "한국어"},
      {0x0413, 12, "Nederlands"}, {0x0415, 13, "Polski"},   {0x0416, 14, "Português"},
      {0x041F, 15, "Türkçe"},    {0x0419, 0, "English"},
  };
  for (const Case& c : cases) {
    p.env.langId = c.langId;
    i18n::LoadTranslations(p.registry, p.env);
    EXPECT_EQ(i18n::CurrentLanguageIndex(), c.index) << c.name;
    EXPECT_EQ(TranslateText("English"), c.name);
  }
}

}  // namespace
