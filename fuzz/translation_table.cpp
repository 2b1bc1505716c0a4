// The translation table (transl.dt) on arbitrary bytes: it sits beside the executable,
// where anyone may replace or cut it short, and its texts reach every format call.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "i18n/Format.h"
#include "i18n/Translation.h"

namespace {

// The file the table tool writes: the count, then the table row by row.
std::string Serialise(const std::vector<i18n::LanguageColumn>& table) {
  std::string out = std::to_string(table.size()) + "\r\n";
  const std::size_t rows = table.empty() ? 0 : table[0].size();
  for (std::size_t r = 0; r < rows; ++r)
    for (const auto& column : table) out += column[r] + "\r\n";
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::vector<i18n::LanguageColumn> table;
  try {
    table = i18n::ParseTranslationTable(bytes);
  } catch (const std::runtime_error&) {
    return 0;
  }

  // Every column has the name and the code row, and all have the same number of rows.
  for (const auto& column : table)
    if (column.size() < 2 || column.size() != table[0].size()) std::abort();
  // The table reads back from its own file as itself (the cells are whole lines, so they
  // hold no line break and survive being written one a line).
  if (!table.empty() && i18n::ParseTranslationTable(Serialise(table)) != table) std::abort();

  // Translating and filling in placeholders with what the table says, as the program does.
  i18n::ResetTranslations();
  i18n::LanguageTable() = table;
  i18n::CurrentLanguageIndex() = table.size() > 1 ? 1 : 0;
  std::size_t budget = 64;  // a bound on the work per input, not on the table
  for (std::size_t r = 0; table.size() > 1 && r < table[0].size() && budget > 0; ++r, --budget) {
    const std::string out = TranslateText(table[0][r]);
    // The first row with the English text wins; an empty translation keeps the English.
    const std::string& cell = table[1][r];
    std::size_t first = 0;
    while (table[0][first] != table[0][r]) ++first;
    if (first == r && out != (cell.empty() ? table[0][r] : cell)) std::abort();
    (void)i18n::FormatText(out, {"%s%d", "12"});
  }
  i18n::ResetTranslations();
  return 0;
}
