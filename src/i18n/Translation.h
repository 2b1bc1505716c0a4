#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/System.h"

namespace i18n {

// One column per language; row 0 the display name, row 1 the code, then the texts.
using LanguageColumn = std::vector<std::string>;

// Process-wide translation state, touched only by the UI thread.
std::vector<LanguageColumn>& LanguageTable();
int& CurrentLanguageIndex();
std::string& CurrentLanguageCode();
// Back to the state before LoadTranslations (empty table, English).
void ResetTranslations();

// Parses the table file's bytes. Throws std::runtime_error when it is not a table (first
// line not a number, negative N, fewer than two complete rows, invalid UTF-8). N = 0 is
// a table without columns, not an error. Every column it returns has at least the name
// and the code row.
std::vector<LanguageColumn> ParseTranslationTable(const std::string& bytes);

std::string SystemLanguageCode(std::uint16_t langId);
void LoadTranslations(platform::Registry& registry, platform::Environment& env);
// Writes CurrentLanguageCode to the "CurrentLanguage" value; false when it cannot.
bool SaveCurrentLanguage(platform::Registry& registry);

}  // namespace i18n

// English text in, the current language's text out.
std::string TranslateText(const std::string& text);
