#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/TempFolder.h"
#include "fakes/FakeServices.h"
#include "i18n/Translation.h"
#include "platform/Files.h"

namespace {

using i18n::LanguageColumn;
using i18n::ParseTranslationTable;

std::string Lines(std::initializer_list<std::string> lines, const std::string& eol = "\n") {
  std::string out;
  for (const std::string& l : lines) out += l + eol;
  return out;
}

// English and German: "Start" translated, "Stop" left empty (shown in English).
const std::string kTwoLanguages =
    Lines({"2", "English", "Deutsch", "en", "de", "Start", "Starten", "Stop", ""});

TEST(TranslationTableTest, ReadsColumnsRowByRowWhateverTheLineEnds) {
  const std::vector<LanguageColumn> expected = {{"English", "en", "Start", "Stop"},
                                                {"Deutsch", "de", "Starten", ""}};
  const std::string body = "English\nDeutsch\r\nen\rde\r\nStart\nStarten\rStop\r\n";
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"LF", kTwoLanguages},
      {"CR LF", Lines({"2", "English", "Deutsch", "en", "de", "Start", "Starten", "Stop", ""}, "\r\n")},
      {"CR", Lines({"2", "English", "Deutsch", "en", "de", "Start", "Starten", "Stop", ""}, "\r")},
      {"mixed, empty last line written by its break", "2\r" + body + "\n"},
      {"byte-order mark", "\xEF\xBB\xBF" + kTwoLanguages},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseTranslationTable(c.bytes), expected) << c.what;

  // Without the last break, the last line is still one line; with an empty last cell
  // missing, the row is incomplete and dropped.
  EXPECT_EQ(ParseTranslationTable("2\nEnglish\nDeutsch\nen\nde\nStart\nStarten").size(), 2u);
  EXPECT_EQ(ParseTranslationTable("2\nEnglish\nDeutsch\nen\nde\nStart\nStarten")[0].size(), 3u);
  EXPECT_EQ(ParseTranslationTable("2\nEnglish\nDeutsch\nen\nde\nStart\nStarten\nStop")[1].size(), 3u);
}

TEST(TranslationTableTest, CellsAreTakenExactlyAsWritten) {
  const auto t = ParseTranslationTable(
      Lines({"2", " English ", "Deutsch", "en", "de", "Clicks done: ", "  Klicks:\t", "", "leer"}));
  EXPECT_EQ(t[0], (LanguageColumn{" English ", "en", "Clicks done: ", ""}));
  EXPECT_EQ(t[1], (LanguageColumn{"Deutsch", "de", "  Klicks:\t", "leer"}));
}

TEST(TranslationTableTest, RowCountIsRoundedDownAndNeedsTwoCompleteRows) {
  // 3 x N + 2 lines: three rows, the extra line ignored.
  const auto three = ParseTranslationTable(Lines({"2", "English", "Deutsch", "en", "de", "Start", "Starten", "x"}));
  ASSERT_EQ(three.size(), 2u);
  EXPECT_EQ(three[0].size(), 3u);
  EXPECT_EQ(three[1].size(), 3u);

  // N = 1: English alone.
  EXPECT_EQ(ParseTranslationTable(Lines({"1", "English", "en", "Start"})),
            (std::vector<LanguageColumn>{{"English", "en", "Start"}}));
  // N = 0: no columns at all, and not an error.
  EXPECT_TRUE(ParseTranslationTable(Lines({"0", "English", "en"})).empty());
  EXPECT_TRUE(ParseTranslationTable("0").empty());
  // Blanks around N and an explicit sign are read as a number.
  EXPECT_EQ(ParseTranslationTable(Lines({" +2 ", "English", "Deutsch", "en", "de"})).size(), 2u);

  const char* rejected[] = {
      "",                                             // no first line
      "\xEF\xBB\xBF",                                 // only the mark
      "two\nEnglish\nDeutsch\nen\nde\n",              // N not a number
      "2x\nEnglish\nDeutsch\nen\nde\n",               // nor a number with a tail
      "\n",                                           // empty first line
      "-1\nEnglish\nen\n",                            // negative N
      "99999999999999999999\nEnglish\nen\n",          // N beyond any count
      "2\nEnglish\nDeutsch\nen\n",                    // the codes row incomplete
      "2\nEnglish\nDeutsch\n",                        // names only
      "1\nEnglish\n",                                 // N = 1, names only
      "2000000000\nEnglish\nDeutsch\nen\nde\n",       // a huge N in a short file
  };
  for (const char* bytes : rejected)
    EXPECT_THROW(ParseTranslationTable(bytes), std::runtime_error) << bytes;
}

TEST(TranslationTableTest, InvalidUtf8RejectsTheWholeTable) {
  const char* bad[] = {
      "\xFF",              // never valid
      "\xC3",              // cut short
      "\xC0\xAF",          // overlong
      "\xED\xA0\x80",      // a surrogate
      "\xF4\x90\x80\x80",  // above U+10FFFF
      "\x80",              // a lone continuation byte
  };
  for (const char* b : bad) {
    const std::string bytes = Lines({"2", "English", "Deutsch", "en", "de", "Start", std::string("Sta") + b + "rt"});
    EXPECT_THROW(ParseTranslationTable(bytes), std::runtime_error);
  }
  // A mark in the middle of the file is an ordinary character of its cell.
  EXPECT_EQ(ParseTranslationTable(Lines({"1", "English", "\xEF\xBB\xBF" "en"}))[0][1], "\xEF\xBB\xBF" "en");
  EXPECT_EQ(ParseTranslationTable(Lines({"2", "English", "中文(简体)", "en", "cn", "Hold", "按住 \xF0\x9F\x96\xB1"}))[1][2],
            "按住 \xF0\x9F\x96\xB1");
}

// Every prefix of a table: either rejected, or its complete rows and nothing else.
TEST(TranslationTableTest, TruncatedFileKeepsCompleteRowsOrIsRejected) {
  const std::string full =
      "\xEF\xBB\xBF" + Lines({"2", "English", "Ελληνικά", "en", "el", "Start", "Έναρξη", "Stop", "Διακοπή"}, "\r\n");
  for (size_t len = 0; len <= full.size(); ++len) {
    const std::string cut = full.substr(0, len);
    std::vector<LanguageColumn> t;
    try {
      t = ParseTranslationTable(cut);
    } catch (const std::runtime_error&) {
      continue;
    }
    ASSERT_EQ(t.size(), 2u) << len;
    ASSERT_GE(t[0].size(), 2u) << len;
    const LanguageColumn english = {"English", "en", "Start", "Stop"};
    const LanguageColumn greek = {"Ελληνικά", "el", "Έναρξη", "Διακοπή"};
    for (size_t r = 0; r < t[0].size(); ++r) {
      EXPECT_EQ(t[0][r], english[r]) << len;
      // The last cell may be cut between whole characters; it is never a broken one.
      EXPECT_EQ(t[1][r], greek[r].substr(0, t[1][r].size())) << len;
    }
  }
}

TEST(TranslationTableTest, HugeInputsAreReadInLinearTime) {
  const auto started = std::chrono::steady_clock::now();

  std::string many = Lines({"2", "English", "Deutsch", "en", "de"});
  for (int i = 0; i < 100000; ++i) many += "Text " + std::to_string(i) + "\nText " + std::to_string(i) + " de\n";
  const auto t = ParseTranslationTable(many);
  ASSERT_EQ(t[0].size(), 100002u);
  EXPECT_EQ(t[1][100001], "Text 99999 de");

  const std::string longCell(100000, 'x');
  const auto l = ParseTranslationTable(Lines({"2", "English", "Deutsch", "en", "de", longCell, longCell + "y"}));
  EXPECT_EQ(l[1][2].size(), 100001u);
  // A first line of 100 000 digits is no count; 100 000 blanks are no count either.
  EXPECT_THROW(ParseTranslationTable(std::string(100000, '7') + "\nEnglish\n"), std::runtime_error);
  EXPECT_THROW(ParseTranslationTable(std::string(100000, ' ') + "\nEnglish\n"), std::runtime_error);
  // One 100 000-byte line without any break after the count.
  EXPECT_THROW(ParseTranslationTable("2\n" + longCell), std::runtime_error);

  // Generous even under the sanitizers; a quadratic reader takes minutes here.
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
}

TEST(SystemLanguageCodeTest, LowEightBitsOfTheLanguageId) {
  struct Case {
    std::uint16_t id;
    const char* code;
  } cases[] = {
      {0x0C0A, "es"}, {0x0419, "en"}, {0x0804, "cn"}, {0x0401, "ar"}, {0x0404, "cn"},
      {0x0405, "cs"}, {0x0407, "de"}, {0x0807, "de"}, {0x0408, "el"}, {0x040C, "fr"},
      {0x040E, "hu"}, {0x0410, "it"}, {0x0411, "jp"}, {0x0412, "kr"}, {0x0413, "nl"},
      {0x0415, "pl"}, {0x0416, "pt"}, {0x0816, "pt"}, {0x041F, "tr"}, {0x0409, "en"},
      {0x0000, "en"}, {0xFFFF, "en"}, {0x0403, "en"},
      // Bits 8 and 9 belong to the 10-bit primary language but not to the low byte.
      {0x0307, "de"}, {0x0111, "jp"},
  };
  for (const Case& c : cases) EXPECT_EQ(i18n::SystemLanguageCode(c.id), c.code) << std::hex << c.id;
}

struct TranslationStateTest : ::testing::Test {
  TranslationStateTest() { i18n::ResetTranslations(); }
  ~TranslationStateTest() override { i18n::ResetTranslations(); }
  fakes::FakeRegistry registry;
  fakes::FakeEnvironment env;
  fakes::TempFolder temp{"qel-i18n"};
  std::filesystem::path dir = temp.path;

  void SetUp() override {
    std::filesystem::create_directories(dir);
    env.exeFolder = dir.string();
    env.langId = 0x0409;
  }
  void WriteTable(const std::string& bytes) { platform::files::WriteAllReplacing((dir / "transl.dt").string(), bytes); }
  void StoreLanguage(const std::string& code) { registry.values["Software\\QEL Auto Clicker\\CurrentLanguage"] = code; }
  void Load() { i18n::LoadTranslations(registry, env); }
};

const std::string kThreeLanguages = Lines({"3", "English", "Deutsch", "Français", "en", "de", "fr",  //
                                           "Start", "Starten", "Démarrer",                            //
                                           "Stop", "", "Arrêter",                                     //
                                           "Start", "Los", "Go",                                      //
                                           "Clicks done: ", "Klicks: ", "Clics : "});

TEST_F(TranslationStateTest, BeforeLoadingEveryTextIsItself) {
  EXPECT_EQ(TranslateText("Start"), "Start");
  EXPECT_EQ(i18n::CurrentLanguageIndex(), 0);
}

TEST_F(TranslationStateTest, LookupIsExactAndTheFirstRowWins) {
  WriteTable(kThreeLanguages);
  StoreLanguage("de");
  Load();
  ASSERT_EQ(i18n::CurrentLanguageIndex(), 1);
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"Start", "Starten"},           // the first of two equal rows
      {"Stop", "Stop"},               // empty cell: the English text
      {"start", "start"},             // letter case counts
      {"Start ", "Start "},           // so do blanks
      {"Clicks done: ", "Klicks: "},  // found only with its trailing blank
      {"Clicks done:", "Clicks done:"},
      {"English", "Deutsch"},         // the name and code rows take part
      {"en", "de"},
      {"Unknown", "Unknown"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(TranslateText(c.in), c.out) << c.in;
}

TEST_F(TranslationStateTest, StoredCodeChoosesTheColumnIgnoringCase) {
  WriteTable(kThreeLanguages);
  struct Case {
    std::uint16_t system;
    const char* stored;  // nullptr: no value
    bool wrongType;
    const char* code;
    int index;
  } cases[] = {
      {0x0409, "DE", false, "DE", 1},      // kept as written, compared without case
      {0x0409, "fr", false, "fr", 2},
      {0x040C, nullptr, false, "fr", 2},   // missing value: the system's language
      {0x0407, nullptr, true, "de", 1},    // not a text value: the system's language
      {0x0407, "ru", false, "ru", 0},      // a code no column carries stays and shows
      {0x0407, "", false, "", 0},          // an empty text is a value too
      {0x0419, nullptr, false, "en", 0},
  };
  for (const Case& c : cases) {
    registry.values.clear();
    registry.wrongType.clear();
    env.langId = c.system;
    if (c.stored) StoreLanguage(c.stored);
    if (c.wrongType) registry.wrongType["Software\\QEL Auto Clicker\\CurrentLanguage"] = true;
    Load();
    EXPECT_EQ(i18n::CurrentLanguageCode(), c.code) << c.code;
    EXPECT_EQ(i18n::CurrentLanguageIndex(), c.index) << c.code;
    EXPECT_EQ(i18n::LanguageTable().size(), 3u);
  }
}

TEST_F(TranslationStateTest, EnglishOnlyTableOrEnglishCodeLeavesTextsAlone) {
  WriteTable(Lines({"1", "English", "en", "Start"}));
  StoreLanguage("de");
  Load();
  EXPECT_EQ(i18n::CurrentLanguageIndex(), 0);
  EXPECT_EQ(TranslateText("Start"), "Start");
  EXPECT_EQ(i18n::CurrentLanguageCode(), "de");

  WriteTable(kThreeLanguages);
  StoreLanguage("EN");
  Load();
  EXPECT_EQ(i18n::CurrentLanguageIndex(), 0);
  EXPECT_EQ(TranslateText("Start"), "Start");
}

TEST_F(TranslationStateTest, AnyBadFileLeavesEnglishAndAnEmptyTable) {
  StoreLanguage("de");
  std::string truncatedInsideACharacter = kThreeLanguages.substr(0, kThreeLanguages.find("Démarrer") + 2);
  const std::string bad[] = {
      "not a count\nEnglish\nDeutsch\n",
      "-2\nEnglish\nDeutsch\nen\nde\n",
      "2\nEnglish\nDeutsch\nen\n",  // fewer than two complete rows: never reaches the menu
      "2\nEnglish\nDeutsch\nen\nde\nStart\nSt\xE4rten\n",  // Latin-1, not UTF-8
      truncatedInsideACharacter,
  };
  for (const std::string& bytes : bad) {
    WriteTable(kThreeLanguages);
    Load();
    ASSERT_EQ(i18n::CurrentLanguageIndex(), 1);
    WriteTable(bytes);
    Load();
    EXPECT_TRUE(i18n::LanguageTable().empty()) << bytes;
    EXPECT_EQ(i18n::CurrentLanguageIndex(), 0) << bytes;
    EXPECT_EQ(i18n::CurrentLanguageCode(), "de");
    EXPECT_EQ(TranslateText("Start"), "Start");
  }

  // No file at all, and a folder where the file should be.
  std::filesystem::remove(dir / "transl.dt");
  Load();
  EXPECT_TRUE(i18n::LanguageTable().empty());
  EXPECT_EQ(i18n::CurrentLanguageCode(), "de");
  std::filesystem::create_directory(dir / "transl.dt");
  Load();
  EXPECT_TRUE(i18n::LanguageTable().empty());
  EXPECT_EQ(i18n::CurrentLanguageIndex(), 0);
}

TEST_F(TranslationStateTest, TableWithoutColumnsLoadsAsEmpty) {
  WriteTable(Lines({"0", "English", "en"}));
  StoreLanguage("de");
  Load();
  EXPECT_TRUE(i18n::LanguageTable().empty());
  EXPECT_EQ(i18n::CurrentLanguageIndex(), 0);
  EXPECT_EQ(i18n::CurrentLanguageCode(), "de");
}

TEST_F(TranslationStateTest, SaveWritesTheCurrentCode) {
  i18n::CurrentLanguageCode() = "kr";
  EXPECT_TRUE(i18n::SaveCurrentLanguage(registry));
  EXPECT_EQ(registry.values["Software\\QEL Auto Clicker\\CurrentLanguage"], "kr");
  registry.failWrite = true;
  i18n::CurrentLanguageCode() = "jp";
  EXPECT_FALSE(i18n::SaveCurrentLanguage(registry));
  EXPECT_EQ(registry.values["Software\\QEL Auto Clicker\\CurrentLanguage"], "kr");
}

}  // namespace
