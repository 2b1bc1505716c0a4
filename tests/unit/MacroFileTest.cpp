#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "fakes/TempFolder.h"
#include "macros/FileNames.h"
#include "macros/RecordedMacro.h"
#include "macros/TextRules.h"
#include "platform/Files.h"

namespace {

namespace fs = std::filesystem;

using Events = std::vector<TMacroMouseEvent>;

TMacroMouseEvent Ev(std::uint32_t t, std::uint8_t kind, int x, int y, int button) {
  TMacroMouseEvent e;
  e.DeltaMs = t;
  e.Kind = kind;
  e.X = x;
  e.Y = y;
  e.Button = button;
  return e;
}

const char* const kExampleFile =
    "\xEF\xBB\xBF"
    "Name=2025-03-07 14.05.09 (3.2s)\r\n"
    "DurationMs=3187\r\n"
    "E=0|0|640|400|-1\r\n"
    "E=412|0|652|410|-1\r\n"
    "E=1200|1|652|410|0\r\n"
    "E=1310|2|652|410|0\r\n"
    "E=3187|0|700|380|-1\r\n";

struct TempFolder : fakes::TempFolder {
  TempFolder() : fakes::TempFolder("qel-macrofile") {}
};

std::string ReadBytes(const std::string& path) {
  std::string bytes;
  EXPECT_TRUE(platform::files::ReadAll(path, bytes));
  return bytes;
}

TEST(MacroFile, WritesTheDocumentedLayoutAndReadsItBack) {
  TRecordedMacro m;
  m.SetName("2025-03-07 14.05.09 (3.2s)");
  m.SetDurationMs(3187);
  m.Events() = {Ev(0, mekMove, 640, 400, -1), Ev(412, mekMove, 652, 410, -1), Ev(1200, mekDown, 652, 410, 0),
                Ev(1310, mekUp, 652, 410, 0), Ev(3187, mekMove, 700, 380, -1)};
  EXPECT_EQ(m.ToText(), kExampleFile);

  auto back = TRecordedMacro::FromText(m.ToText());
  EXPECT_EQ(back->Name(), m.Name());
  EXPECT_EQ(back->DurationMs(), 3187u);
  EXPECT_EQ(back->Events(), m.Events());
  EXPECT_EQ(back->FileName(), "");
}

// Keys and the wheel are events like the others: an older file reads exactly as before,
// and the new kinds keep their code or notch count in the button field through a save.
TEST(MacroFile, KeyAndWheelEventsUseTheButtonFieldAndOldFilesReadUnchanged) {
  auto old = TRecordedMacro::FromText(kExampleFile);
  EXPECT_EQ(old->ToText(), kExampleFile);

  const char* const keysAndWheel =
      "\xEF\xBB\xBF"
      "DurationMs=900\r\n"
      "E=0|3|0|0|65\r\n"
      "E=40|4|0|0|65\r\n"
      "E=100|5|300|200|3\r\n"
      "E=200|5|300|200|-2\r\n"
      "E=900|3|0|0|160\r\n";
  auto m = TRecordedMacro::FromText(keysAndWheel);
  EXPECT_EQ(m->Events(), (Events{Ev(0, mekKeyDown, 0, 0, 65), Ev(40, mekKeyUp, 0, 0, 65),
                                 Ev(100, mekWheel, 300, 200, 3), Ev(200, mekWheel, 300, 200, -2),
                                 Ev(900, mekKeyDown, 0, 0, 160)}));
  EXPECT_EQ(m->ToText(), keysAndWheel);
}

TEST(MacroFile, RoundTripKeepsExtremeValues) {
  TRecordedMacro m;
  m.SetName("a=b |c| ünï \xE2\x82\xAC");  // "=" and "|" in a name are plain text
  m.SetDurationMs(2147483647u);
  m.Events() = {Ev(4294967295u, mekMove, -2147483647 - 1, 2147483647, -1), Ev(2147483648u, mekDown, -1920, -5, 2),
                Ev(7, 255, 0, 0, 12345)};
  auto back = TRecordedMacro::FromText(m.ToText());
  EXPECT_EQ(back->Name(), m.Name());
  EXPECT_EQ(back->DurationMs(), m.DurationMs());
  EXPECT_EQ(back->Events(), m.Events());
  EXPECT_NE(m.ToText().find("E=-1|0|-2147483648|2147483647|-1\r\n"), std::string::npos);
  EXPECT_NE(m.ToText().find("E=-2147483648|1|-1920|-5|2\r\n"), std::string::npos);
}

TEST(MacroFile, EmptyNameHasNoNameLine) {
  TRecordedMacro m;
  EXPECT_EQ(m.ToText(), "\xEF\xBB\xBF" "DurationMs=0\r\n");
  auto back = TRecordedMacro::FromText(m.ToText());
  EXPECT_EQ(back->Name(), "");
  EXPECT_TRUE(back->Events().empty());
}

struct ReadCase {
  const char* what;
  std::string text;
  std::string name;
  std::uint32_t duration;
  Events events;
};

TEST(MacroFile, ReadingToleratesWhatHandsAndOtherToolsWrite) {
  const ReadCase cases[] = {
      {"only a duration line", "DurationMs=5\r\n", "", 5, {}},
      {"lower-case keys", "name=Abc\r\ndurationms=9\r\n", "Abc", 9, {}},
      {"value after the first =", "NAME=a=b=c\r\n", "a=b=c", 0, {}},
      {"first Name line wins", "Name=one\r\nName=two\r\nDurationMs=1\r\nDurationMs=2\r\n", "one", 1, {}},
      {"nothing trimmed", "Name= spaced \r\n", " spaced ", 0, {}},
      {"key with a blank is another key", "Name =x\r\n DurationMs=4\r\n", "", 0, {}},
      {"duration -1", "DurationMs=-1\r\n", "", 4294967295u, {}},
      {"duration not a number", "DurationMs=12ab\r\n", "", 0, {}},
      {"duration out of range", "DurationMs=4294967295\r\n", "", 0, {}},
      {"duration with a plus sign", "DurationMs=+12\r\n", "", 12, {}},
      {"lower-case e is no event", "e=1|0|1|1|-1\r\nE=2|0|2|2|-1\r\n", "", 0, {Ev(2, 0, 2, 2, -1)}},
      {"leading blank is no event", " E=1|0|1|1|-1\r\n", "", 0, {}},
      {"four fields skipped", "E=1|0|5|5\r\n", "", 0, {}},
      {"six fields read from the first five", "E=1|1|5|6|0|99\r\n", "", 0, {Ev(1, 1, 5, 6, 0)}},
      {"empty and bad button", "E=1|1|5|6|\r\nE=2|2|5|6|left\r\n", "", 0, {Ev(1, 1, 5, 6, -1), Ev(2, 2, 5, 6, -1)}},
      {"letters in X", "E=3|0|abc|7|-1\r\n", "", 0, {Ev(3, 0, 0, 7, -1)}},
      {"all fields empty", "E=||||\r\n", "", 0, {Ev(0, 0, 0, 0, -1)}},
      {"kind 7 kept, 257 keeps its low byte", "E=1|7|0|0|-1\r\nE=2|257|0|0|0\r\nE=3|-1|0|0|0\r\n", "", 0,
       {Ev(1, 7, 0, 0, -1), Ev(2, 1, 0, 0, 0), Ev(3, 255, 0, 0, 0)}},
      {"negative time wraps", "E=-5|0|1|1|-1\r\n", "", 0, {Ev(4294967291u, 0, 1, 1, -1)}},
      {"file order, no sorting", "E=9|0|1|1|-1\r\nE=3|0|2|2|-1\r\n", "", 0,
       {Ev(9, 0, 1, 1, -1), Ev(3, 0, 2, 2, -1)}},
      {"no BOM, LF only", "Name=x\nDurationMs=2\nE=1|0|1|1|-1\n", "x", 2, {Ev(1, 0, 1, 1, -1)}},
      {"lone CR, no final line end", "Name=x\rDurationMs=2\rE=1|0|1|1|-1", "x", 2, {Ev(1, 0, 1, 1, -1)}},
      {"a BOM only at the start is skipped", "\xEF\xBB\xBFName=y\r\n", "y", 0, {}},
      {"garbage lines ignored", "hello\r\n\r\n[section]\r\nE\r\nE=\r\n", "", 0, {}},
  };
  for (const ReadCase& c : cases) {
    auto m = TRecordedMacro::FromText(c.text);
    EXPECT_EQ(m->Name(), c.name) << c.what;
    EXPECT_EQ(m->DurationMs(), c.duration) << c.what;
    EXPECT_EQ(m->Events(), c.events) << c.what;
  }
}

TEST(MacroFile, InvalidUtf8AnywhereIsAnError) {
  const char* const bad[] = {
      "Name=Caf\xE9\r\n",                      // a single-byte code page
      "DurationMs=1\r\nE=1|0|1|1|-1\r\n\xFF",  // at the very end
      "Name=\xC0\xAF\r\n",                     // overlong "/"
      "Name=\xED\xA0\x80\r\n",                 // a surrogate
      "Name=\xF4\x90\x80\x80\r\n",             // above U+10FFFF
      "Name=\xE2\x82\r\n",                     // cut short
  };
  for (const char* text : bad) EXPECT_THROW(TRecordedMacro::FromText(text), std::runtime_error) << text;
  EXPECT_NO_THROW(TRecordedMacro::FromText("Name=\xF0\x9F\x96\xB1 \xC3\xA9\r\n"));
}

TEST(MacroFile, SaveAndLoadThroughFiles) {
  TempFolder dir;
  const std::string path = dir.File("m.qelmac");
  TRecordedMacro m;
  m.SetName("x");
  m.SetDurationMs(3);
  m.Events() = {Ev(3, mekMove, 1, 2, -1)};
  m.SaveToFile(path);
  EXPECT_EQ(m.FileName(), path);
  EXPECT_EQ(ReadBytes(path), m.ToText());

  auto loaded = TRecordedMacro::LoadFromFile(path);
  EXPECT_EQ(loaded->FileName(), path);
  EXPECT_EQ(loaded->Events(), m.Events());

  // Overwriting leaves exactly the new text, and no temporary file beside it.
  m.SetName("y");
  m.SaveToFile(path);
  EXPECT_EQ(ReadBytes(path), m.ToText());
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1);
}

TEST(MacroFile, LoadFailsForMissingOrNonUtf8Files) {
  TempFolder dir;
  EXPECT_THROW(TRecordedMacro::LoadFromFile(dir.File("none.qelmac")), std::runtime_error);
  std::ofstream(dir.File("latin1.qelmac"), std::ios::binary) << "Name=Caf\xE9\r\n";
  try {
    TRecordedMacro::LoadFromFile(dir.File("latin1.qelmac"));
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("latin1.qelmac"), std::string::npos) << e.what();
  }
}

// A name never changes what its file means: one that would read back differently is not
// written at all, and every other name reads back exactly.
TEST(MacroFile, ANameReadsBackAsItWasOrIsNotWritten) {
  TempFolder dir;
  const std::vector<TMacroMouseEvent> events = {Ev(0, mekMove, 1, 2, -1), Ev(40, mekDown, 1, 2, 0)};
  for (const std::string name : {"a\tb", "a\x01" "b", " lead and trail ", "k=v|x", "E=0|1|5|5|0", "\xC2\x85"}) {
    TRecordedMacro m;
    m.SetName(name);
    m.SetDurationMs(40);
    m.Events() = events;
    m.SaveToFile(dir.File("ok.qelmac"));
    const auto back = TRecordedMacro::LoadFromFile(dir.File("ok.qelmac"));
    EXPECT_EQ(back->Name(), name);
    EXPECT_EQ(back->DurationMs(), 40u) << name;
    EXPECT_EQ(back->Events(), events) << name;
  }
  for (const std::string name : {"abc\nE=0|1|5|5|0\nDurationMs=99\nxyz", "a\rb", "a\r\n"}) {
    TRecordedMacro m;
    m.SetName(name);
    m.SetFileName("old");
    EXPECT_THROW(m.SaveToFile(dir.File("bad.qelmac")), std::runtime_error) << name;
    EXPECT_EQ(m.FileName(), "old");
    EXPECT_FALSE(fs::exists(dir.File("bad.qelmac")));
  }
}

TEST(MacroFile, SaveIntoAMissingFolderFailsAndKeepsTheFileName) {
  TempFolder dir;
  TRecordedMacro m;
  m.SetFileName("old");
  EXPECT_THROW(m.SaveToFile(dir.File("no/such/folder/m.qelmac")), std::runtime_error);
  EXPECT_EQ(m.FileName(), "old");
}

TEST(MacroNames, SanitizeAndTrim) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {{"a/b", "a_b"},
               {"  \t x:y*z?\"<>|\\ \r\n", "x_y_z______"},
               {"", "Macro"},
               {" \x01\x7F ", "Macro"},
               // Inside, control characters go too: no file name with a line break or a tab.
               {"in\tside", "in_side"},
               {"abc\nE=0|1|5|5|0\r\nxyz", "abc_E=0_1_5_5_0__xyz"},
               {"x\xC2\x85y\x7Fz", "x_y_z"},  // NEL (a C1 control) and DEL
               {"x\xC2\xA0y", "x\xC2\xA0y"},  // a no-break space is no control character
               {"2025-03-07 14.05.09", "2025-03-07 14.05.09"},
               {"\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"}};
  for (const Case& c : cases) EXPECT_EQ(SanitizeMacroFileName(c.in), c.out) << c.in;
}

TEST(MacroNames, ControlCharactersAreFoundWhereverTheyAre) {
  using namespace std::string_literals;
  for (const std::string& name : {"a\nb"s, "\rab"s, "ab\t"s, "a\x01"s, "a\x7F"s, "a\xC2\x80"s, "a\xC2\x9F"s, "a\0b"s})
    EXPECT_TRUE(macros::HasControlCharacter(name)) << name;
  // U+00A0 and U+2028 are blanks of their own kind, not controls; C2 alone is a cut letter.
  for (const char* name : {"", "plain", "\xC2\xA0", "\xC3\xA9t\xC3\xA9", "a b", "\xE2\x80\xA8", "\xC2"})
    EXPECT_FALSE(macros::HasControlCharacter(name)) << name;
}

TEST(MacroNames, StampAndDuration) {
  EXPECT_EQ(macros::RecordingStamp({2025, 3, 7, 14, 5, 9}), "2025-03-07 14.05.09");
  EXPECT_EQ(macros::SecondsOneDecimal(3187, "."), "3.2");
  EXPECT_EQ(macros::SecondsOneDecimal(3150, ","), "3,2");
  EXPECT_EQ(macros::SecondsOneDecimal(0, ","), "0,0");
  EXPECT_EQ(macros::SecondsOneDecimal(4294967295u, "."), "4294967.3");
}

// A long recording reads back event for event. (How long loading takes, and that it stays
// linear, is measured by bench/macro_load: a wall clock has no place in these tests.)
TEST(MacroFile, LargeFileRoundTripsExactly) {
  TempFolder dir;
  constexpr int kEvents = 100000;
  TRecordedMacro m;
  m.SetName("big");
  m.Events().reserve(kEvents);
  for (int k = 0; k < kEvents; ++k)
    m.Events().push_back(Ev(static_cast<std::uint32_t>(k * 7), static_cast<std::uint8_t>(k % 3), 1000 + k % 1920,
                            -200 + k % 1080, k % 3 == 0 ? -1 : k % 3));
  const std::string path = dir.File("big.qelmac");
  m.SaveToFile(path);
  auto loaded = TRecordedMacro::LoadFromFile(path);
  ASSERT_TRUE(loaded);
  ASSERT_EQ(loaded->Events().size(), static_cast<size_t>(kEvents));
  EXPECT_TRUE(loaded->Events() == m.Events());
}

}  // namespace
