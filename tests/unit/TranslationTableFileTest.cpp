// Checks the translation table that ships beside the program (data/transl.dt) against
// the texts the program really looks up, found by scanning the sources.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "i18n/Translation.h"
#include "platform/Files.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSourceDir = QEL_SOURCE_DIR;

std::vector<i18n::LanguageColumn> ShippedTable() {
  std::string bytes;
  if (!platform::files::ReadAll((kSourceDir / "data" / "transl.dt").string(), bytes)) return {};
  return i18n::ParseTranslationTable(bytes);
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Reads one ordinary C++ string literal starting at the opening quote; false when the
// text at `i` is not one. Leaves `i` after the closing quote.
bool ReadLiteral(const std::string& s, size_t& i, std::string& out) {
  if (i >= s.size() || s[i] != '"') return false;
  ++i;
  while (i < s.size() && s[i] != '"') {
    if (s[i] == '\n') return false;
    if (s[i] != '\\') {
      out += s[i++];
      continue;
    }
    if (++i >= s.size()) return false;
    const char e = s[i++];
    auto hex = [&](size_t digits) {
      std::uint32_t v = 0;
      for (size_t k = 0; k < digits && i < s.size() && std::isxdigit(static_cast<unsigned char>(s[i])); ++k, ++i)
        v = v * 16 + static_cast<std::uint32_t>(std::stoi(std::string(1, s[i]), nullptr, 16));
      return v;
    };
    switch (e) {
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case 'x': out += static_cast<char>(hex(2)); break;
      case 'u': AppendUtf8(out, hex(4)); break;
      case 'U': AppendUtf8(out, hex(8)); break;
      default: out += e; break;  // \" \\ \'
    }
  }
  if (i >= s.size()) return false;
  ++i;
  return true;
}

struct FoundText {
  std::string text;
  std::string where;
};

// Every TranslateText("...") in the sources, adjacent literals joined.
std::vector<FoundText> LookedUpLiterals() {
  std::vector<FoundText> found;
  for (const auto& entry : fs::recursive_directory_iterator(kSourceDir / "src")) {
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
    std::string s;
    if (!platform::files::ReadAll(entry.path().string(), s)) continue;
    const std::string call = "TranslateText(";
    for (size_t at = s.find(call); at != std::string::npos; at = s.find(call, at + 1)) {
      size_t i = at + call.size();
      std::string text;
      bool literal = false;
      for (;;) {
        while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
        if (i >= s.size() || s[i] != '"') break;
        if (!ReadLiteral(s, i, text)) break;
        literal = true;
      }
      while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
      if (!literal || i >= s.size() || s[i] != ')') continue;
      const auto line = std::count(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(at), '\n') + 1;
      found.push_back({text, fs::relative(entry.path(), kSourceDir).string() + ":" + std::to_string(line)});
    }
  }
  return found;
}

// Texts looked up through a variable (the two drop-down lists), which a scan for
// literals cannot see, and the whole list of the program's texts, so that a table can
// never lose a row while the code that shows it is still being written.
const char* const kProgramTexts[] = {
    "Start", "Stop", "Target", "Cursor position", "Coordinates:", "Macros:", "Create", "Remove",
    "Rename", "Click Interval", "Hours", "Minutes", "Seconds", "Milliseconds", "Jitter +/- (ms)",
    "Click Type", "Left", "Right", "Middle", "Single", "Double", "Hold", "Hold time (ms)",
    "Start Delay", "Delay (s)", "Repeat", "Repeat until stopped", "Additional",
    "Minimize to tray when starting", "Always on top", "About...",
    "Hotkeys \u2014 Start: %s  |  Stop: %s", "Ready",
    "Recording stopped because application is closing.", "Closing",
    "Recording stopped by hotkey.", "Stopped by hotkey. Runs done: ",
    "Stopped by hotkey. Clicks done: ", "Stopped by button. Runs done: ",
    "Stopped by button. Clicks done: ", "Version: ", "Website: ",
    "This program is free to use. It is provided as is, without any warranty.",
    "All rights reserved.", "Please select a macro to play back.", "Started",
    "Running... Press %s to stop", "No macro selected.",
    "Completed macro repeat count. Runs done: ", "Macro playback stopped. Runs done: ",
    "Completed repeat count. Clicks done: ", "Recording starts in %d...",
    "Recording starts in %d ...", "Recording... Press %s to stop", "Recording macro...",
    "Macro saved: %s. %s", "Macro recording cancelled or empty.", "Please select a macro first.",
    "Rename macro", "Enter new macro name:", "Macro name cannot be empty.", "Macro renamed.",
    "A macro file with this name already exists.", "Delete selected macro?",
    "Selected macro removed.", "Update Now", "Exit", "Skip", "Abort",
    "The new version %s is available",
    "This version of the software is out of date. You must download the current version %s to "
    "continue using the software.",
    "What's new:", "Cannot find downloaded file.",
    "Failed to download update. Please download manually on website.",
    "Download is cancelled. Please download manually.",
};

std::vector<std::string> Placeholders(const std::string& s) {
  std::vector<std::string> out;
  for (size_t i = 0; i + 1 < s.size(); ++i)
    if (s[i] == '%' && (s[i + 1] == 's' || s[i + 1] == 'd')) out.push_back(s.substr(i++, 2));
  return out;
}

size_t Count(const std::string& s, const std::string& part) {
  size_t n = 0;
  for (size_t at = s.find(part); at != std::string::npos; at = s.find(part, at + part.size())) ++n;
  return n;
}

size_t LeadingBlanks(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos ? s.size() : s.find_first_not_of(' '); }
size_t TrailingBlanks(const std::string& s) {
  const size_t last = s.find_last_not_of(' ');
  return last == std::string::npos ? s.size() : s.size() - last - 1;
}

TEST(ShippedTranslationTable, HasTheSixteenLanguagesInOrderAndWholeRows) {
  std::string bytes;
  ASSERT_TRUE(platform::files::ReadAll((kSourceDir / "data" / "transl.dt").string(), bytes));
  const auto table = i18n::ParseTranslationTable(bytes);
  ASSERT_EQ(table.size(), 16u);
  const std::vector<std::string> codes = {"en", "ar", "cn", "cs", "de", "el", "es", "fr",
                                          "hu", "it", "jp", "kr", "nl", "pl", "pt", "tr"};
  const std::vector<std::string> names = {"English", "العربية", "中文(简体)", "Čeština",
                                          "Deutsch", "Ελληνικά", "Español", "Français",
                                          "Magyar", "Italiano", "日本語", "한국어",
                                          "Nederlands", "Polski", "Português", "Türkçe"};
  for (size_t c = 0; c < table.size(); ++c) {
    EXPECT_EQ(table[c][0], names[c]);
    EXPECT_EQ(table[c][1], codes[c]);
  }
  // No line outside a complete row: a cell lost or added anywhere shows up here.
  size_t lines = 0;
  for (size_t i = 0; i < bytes.size(); ++i)
    if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))) ++lines;
  EXPECT_EQ(lines, 1 + table.size() * table[0].size());

  std::set<std::string> seen;
  for (const std::string& english : table[0])
    EXPECT_TRUE(seen.insert(english).second) << "listed twice, the later row is never used: " << english;
}

TEST(ShippedTranslationTable, EveryTranslationKeepsPlaceholdersBlanksAndMarks) {
  const auto table = ShippedTable();
  ASSERT_FALSE(table.empty());
  for (size_t c = 1; c < table.size(); ++c) {
    for (size_t r = 2; r < table[0].size(); ++r) {
      const std::string& en = table[0][r];
      const std::string& tr = table[c][r];
      const std::string what = table[c][1] + ": \"" + en + "\" -> \"" + tr + "\"";
      EXPECT_FALSE(tr.empty()) << what;
      if (tr.empty()) continue;
      EXPECT_EQ(Placeholders(tr), Placeholders(en)) << what;
      EXPECT_EQ(LeadingBlanks(tr), LeadingBlanks(en)) << what;
      EXPECT_EQ(TrailingBlanks(tr), TrailingBlanks(en)) << what;
      EXPECT_EQ(Count(tr, "\u2014"), Count(en, "\u2014")) << what;
      EXPECT_EQ(Count(tr, "  |  "), Count(en, "  |  ")) << what;
    }
  }
}

// The update dialog recognises a running download by its second button reading the
// translation of "Abort"; it must not be mistaken for "Skip" or "Exit".
TEST(ShippedTranslationTable, UpdateButtonsStayDistinguishable) {
  const auto table = ShippedTable();
  ASSERT_FALSE(table.empty());
  auto row = [&](const std::string& en) {
    return static_cast<size_t>(std::find(table[0].begin(), table[0].end(), en) - table[0].begin());
  };
  const size_t exitRow = row("Exit"), skipRow = row("Skip"), abortRow = row("Abort");
  ASSERT_LT(std::max({exitRow, skipRow, abortRow}), table[0].size());
  for (const auto& column : table) {
    EXPECT_NE(column[abortRow], column[skipRow]) << column[1];
    EXPECT_NE(column[abortRow], column[exitRow]) << column[1];
    EXPECT_NE(column[skipRow], column[exitRow]) << column[1];
  }
}

TEST(ShippedTranslationTable, HasARowForEveryTextTheProgramLooksUp) {
  const auto table = ShippedTable();
  ASSERT_FALSE(table.empty());
  const std::set<std::string> english(table[0].begin(), table[0].end());

  const auto found = LookedUpLiterals();
  // The scan itself works: the main window's own lookups are among its finds.
  ASSERT_GE(found.size(), 10u);
  EXPECT_TRUE(std::any_of(found.begin(), found.end(),
                          [](const FoundText& f) { return f.text == "Hotkeys \u2014 Start: %s  |  Stop: %s"; }));
  for (const FoundText& f : found) EXPECT_TRUE(english.count(f.text)) << f.where << ": \"" << f.text << "\"";
  for (const char* text : kProgramTexts) EXPECT_TRUE(english.count(text)) << "\"" << text << "\"";
}

}  // namespace
