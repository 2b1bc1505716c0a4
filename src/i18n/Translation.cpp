#include "i18n/Translation.h"

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

// TODO(i18n): the table reader, the language choice and the registry value.
std::vector<LanguageColumn> ParseTranslationTable(const std::string&) { return {}; }
std::string SystemLanguageCode(std::uint16_t) { return "en"; }
void LoadTranslations(platform::Registry&, platform::Environment&) {}
bool SaveCurrentLanguage(platform::Registry&) { return false; }

}  // namespace i18n

std::string TranslateText(const std::string& text) { return text; }
