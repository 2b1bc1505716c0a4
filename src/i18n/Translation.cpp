#include "i18n/Translation.h"

#include <cstddef>
#include <stdexcept>

#include "base/AppInfo.h"
#include "platform/Files.h"
#include "base/TextCase.h"

namespace i18n {

std::vector<LanguageColumn>& LanguageTable() {
  static std::vector<LanguageColumn> table;
  return table;
}
int& CurrentLanguageIndex() {
  static int index = 0;
  return index;
}
std::string& CurrentLanguageCode() {
  static std::string code = "en";
  return code;
}
void ResetTranslations() {
  LanguageTable().clear();
  CurrentLanguageIndex() = 0;
  CurrentLanguageCode() = "en";
}

namespace {

const char* const kLanguageValueName = "CurrentLanguage";
const char* const kTableFileName = "transl.dt";

std::string LanguageKeyPath() { return std::string("Software\\") + app::kAppTitle; }

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, no sequence cut
// short. One pass over the bytes.
bool IsValidUtf8(const std::string& s, std::size_t from) {
  const std::size_t n = s.size();
  std::size_t i = from;
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t extra = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      if (c == 0xE0) lo = 0xA0;
      if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;
    } else {
      return false;
    }
    if (n - i - 1 < extra) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      const unsigned char b = static_cast<unsigned char>(s[i + k]);
      const unsigned char min = k == 1 ? lo : 0x80, max = k == 1 ? hi : 0xBF;
      if (b < min || b > max) return false;
    }
    i += extra + 1;
  }
  return true;
}

// CR LF, LF and a lone CR each end a line; a break after the last line ends it without
// starting an empty one. Cells are kept exactly as written, blanks included.
std::vector<std::string> SplitLines(const std::string& s, std::size_t from) {
  std::vector<std::string> lines;
  std::size_t start = from;
  const std::size_t n = s.size();
  std::size_t i = from;
  while (i < n) {
    const char c = s[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(s, start, i - start);
      i += (c == '\r' && i + 1 < n && s[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < n) lines.emplace_back(s, start, n - start);
  return lines;
}

// The count of languages: an optional sign and decimal digits, blanks around allowed.
long long ParseCount(const std::string& line) {
  std::size_t b = 0, e = line.size();
  while (b < e && (line[b] == ' ' || line[b] == '\t')) ++b;
  while (e > b && (line[e - 1] == ' ' || line[e - 1] == '\t')) --e;
  bool negative = false;
  if (b < e && (line[b] == '+' || line[b] == '-')) negative = line[b++] == '-';
  if (b == e) throw std::runtime_error("Translation table: the first line is not a number");
  long long value = 0;
  for (std::size_t i = b; i < e; ++i) {
    if (line[i] < '0' || line[i] > '9')
      throw std::runtime_error("Translation table: the first line is not a number");
    value = value * 10 + (line[i] - '0');
    if (value > 0x7FFFFFFF) throw std::runtime_error("Translation table: too many languages");
  }
  return negative ? -value : value;
}


}  // namespace

// What damaged files give (all in time linear in the file's size):
// - a file cut off after some rows: the complete rows are kept, the lines of a row cut
//   short are ignored; cut before the second row is complete: rejected as a whole;
// - a file cut inside a multi-byte character, or with any invalid UTF-8 byte anywhere:
//   rejected as a whole, we never guess at the encoding of a half-broken table;
// - very many rows or very long lines: read as they are; only memory for the file's own
//   text is taken, since N can never exceed half the number of lines once two rows must
//   be complete (a huge N in a short file does not reserve anything).
std::vector<LanguageColumn> ParseTranslationTable(const std::string& bytes) {
  std::size_t from = 0;
  if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
      static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF)
    from = 3;
  if (!IsValidUtf8(bytes, from)) throw std::runtime_error("Translation table: invalid UTF-8");

  std::vector<std::string> lines = SplitLines(bytes, from);
  if (lines.empty()) throw std::runtime_error("Translation table: the file is empty");
  const long long n = ParseCount(lines[0]);
  if (n < 0) throw std::runtime_error("Translation table: negative number of languages");
  std::vector<LanguageColumn> table;
  if (n == 0) return table;  // no columns, and no division

  const std::size_t columns = static_cast<std::size_t>(n);
  const std::size_t rows = (lines.size() - 1) / columns;
  // The language menu reads the names and the codes of every column, so a table without
  // both rows complete is discarded as a whole rather than kept away from the menu.
  if (rows < 2) throw std::runtime_error("Translation table: fewer than two complete rows");

  table.resize(columns);
  for (std::size_t c = 0; c < columns; ++c) {
    table[c].reserve(rows);
    for (std::size_t r = 0; r < rows; ++r) table[c].push_back(std::move(lines[r * columns + c + 1]));
  }
  return table;
}

std::string SystemLanguageCode(std::uint16_t langId) {
  // Only the low 8 bits: that is how the stored choice has always been derived.
  switch (langId & 0xFF) {
    case 1: return "ar";
    case 4: return "cn";
    case 5: return "cs";
    case 7: return "de";
    case 8: return "el";
    case 10: return "es";
    case 12: return "fr";
    case 14: return "hu";
    case 16: return "it";
    case 17: return "jp";
    case 18: return "kr";
    case 19: return "nl";
    case 21: return "pl";
    case 22: return "pt";
    case 31: return "tr";
    default: return "en";
  }
}

void LoadTranslations(platform::Registry& registry, platform::Environment& env) {
  CurrentLanguageIndex() = 0;
  LanguageTable().clear();
  try {
    CurrentLanguageCode() = SystemLanguageCode(env.SystemDefaultUILanguage());
  } catch (...) {
    CurrentLanguageCode() = "en";
  }

  // A stored value that is not text (or a registry that cannot be read at all) is treated
  // like a missing one: the system's language is the better guess than refusing to start.
  try {
    std::string stored;
    if (registry.ReadString(LanguageKeyPath(), kLanguageValueName, stored) ==
        platform::RegReadResult::Ok)
      CurrentLanguageCode() = stored;  // an empty text too
  } catch (...) {
  }

  // The table is optional: whatever goes wrong here leaves the interface in English and
  // says nothing.
  try {
    const std::string path = env.ExecutableFolder() + env.PathDelimiter() + kTableFileName;
    if (!platform::files::FileExists(path))
      throw std::runtime_error("Cannot find translation file:" + path);
    std::string bytes;
    if (!platform::files::ReadAll(path, bytes))
      throw std::runtime_error("Cannot read translation file:" + path);
    std::vector<LanguageColumn> table = ParseTranslationTable(bytes);

    int index = 0;
    for (std::size_t c = 0; c < table.size(); ++c) {
      if (text::EqualIgnoreCase(table[c][1], CurrentLanguageCode())) {
        index = static_cast<int>(c);
        break;
      }
    }
    LanguageTable() = std::move(table);
    CurrentLanguageIndex() = index;
  } catch (...) {
    LanguageTable().clear();
    CurrentLanguageIndex() = 0;
  }
}

bool SaveCurrentLanguage(platform::Registry& registry) {
  try {
    return registry.WriteString(LanguageKeyPath(), kLanguageValueName, CurrentLanguageCode());
  } catch (...) {
    return false;
  }
}

}  // namespace i18n

std::string TranslateText(const std::string& text) {
  const int index = i18n::CurrentLanguageIndex();
  const auto& table = i18n::LanguageTable();
  if (index <= 0 || static_cast<std::size_t>(index) >= table.size()) return text;
  // A plain scan from the top, every time: the first of several equal English rows wins.
  const auto& english = table[0];
  const auto& target = table[static_cast<std::size_t>(index)];
  for (std::size_t r = 0; r < english.size() && r < target.size(); ++r) {
    if (english[r] == text) return target[r].empty() ? text : target[r];
  }
  return text;
}
