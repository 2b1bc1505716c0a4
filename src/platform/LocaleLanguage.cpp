#include "platform/LocaleLanguage.h"

#include <array>
#include <cctype>
#include <string_view>

namespace platform {

namespace {

struct LocaleLangId {
  std::string_view language;   // ISO 639 code, lower case
  std::string_view territory;  // ISO 3166 code, upper case; empty: the language's main region
  std::uint16_t langId;
};

// LANGID = sub-language << 10 | primary language. The first row of a language without a
// territory is its fallback for regions not listed.
constexpr std::array kLocales = {
    LocaleLangId{"ar", "", 0x0401},   LocaleLangId{"ar", "EG", 0x0C01},
    LocaleLangId{"bg", "", 0x0402},   LocaleLangId{"ca", "", 0x0403},
    LocaleLangId{"zh", "", 0x0804},   LocaleLangId{"zh", "CN", 0x0804},
    LocaleLangId{"zh", "TW", 0x0404}, LocaleLangId{"zh", "HK", 0x0C04},
    LocaleLangId{"zh", "SG", 0x1004}, LocaleLangId{"zh", "MO", 0x1404},
    LocaleLangId{"cs", "", 0x0405},   LocaleLangId{"da", "", 0x0406},
    LocaleLangId{"de", "", 0x0407},   LocaleLangId{"de", "CH", 0x0807},
    LocaleLangId{"de", "AT", 0x0C07}, LocaleLangId{"de", "LU", 0x1007},
    LocaleLangId{"el", "", 0x0408},   LocaleLangId{"en", "", 0x0409},
    LocaleLangId{"en", "GB", 0x0809}, LocaleLangId{"en", "AU", 0x0C09},
    LocaleLangId{"en", "CA", 0x1009}, LocaleLangId{"en", "NZ", 0x1409},
    LocaleLangId{"en", "IE", 0x1809}, LocaleLangId{"en", "IN", 0x4009},
    LocaleLangId{"es", "", 0x0C0A},   LocaleLangId{"es", "MX", 0x080A},
    LocaleLangId{"es", "AR", 0x2C0A}, LocaleLangId{"es", "US", 0x540A},
    LocaleLangId{"fi", "", 0x040B},   LocaleLangId{"fr", "", 0x040C},
    LocaleLangId{"fr", "BE", 0x080C}, LocaleLangId{"fr", "CA", 0x0C0C},
    LocaleLangId{"fr", "CH", 0x100C}, LocaleLangId{"he", "", 0x040D},
    LocaleLangId{"hu", "", 0x040E},   LocaleLangId{"is", "", 0x040F},
    LocaleLangId{"it", "", 0x0410},   LocaleLangId{"it", "CH", 0x0810},
    LocaleLangId{"ja", "", 0x0411},   LocaleLangId{"ko", "", 0x0412},
    LocaleLangId{"nl", "", 0x0413},   LocaleLangId{"nl", "BE", 0x0813},
    LocaleLangId{"nb", "", 0x0414},   LocaleLangId{"no", "", 0x0414},
    LocaleLangId{"nn", "", 0x0814},   LocaleLangId{"pl", "", 0x0415},
    LocaleLangId{"pt", "", 0x0816},   LocaleLangId{"pt", "BR", 0x0416},
    LocaleLangId{"ro", "", 0x0418},   LocaleLangId{"ru", "", 0x0419},
    LocaleLangId{"hr", "", 0x041A},   LocaleLangId{"sk", "", 0x041B},
    LocaleLangId{"sq", "", 0x041C},   LocaleLangId{"sv", "", 0x041D},
    LocaleLangId{"sv", "FI", 0x081D}, LocaleLangId{"th", "", 0x041E},
    LocaleLangId{"tr", "", 0x041F},   LocaleLangId{"id", "", 0x0421},
    LocaleLangId{"uk", "", 0x0422},   LocaleLangId{"be", "", 0x0423},
    LocaleLangId{"sl", "", 0x0424},   LocaleLangId{"et", "", 0x0425},
    LocaleLangId{"lv", "", 0x0426},   LocaleLangId{"lt", "", 0x0427},
    LocaleLangId{"fa", "", 0x0429},   LocaleLangId{"vi", "", 0x042A},
    LocaleLangId{"hy", "", 0x042B},   LocaleLangId{"eu", "", 0x042D},
    LocaleLangId{"mk", "", 0x042F},   LocaleLangId{"ka", "", 0x0437},
    LocaleLangId{"hi", "", 0x0439},   LocaleLangId{"ms", "", 0x043E},
    LocaleLangId{"kk", "", 0x043F},   LocaleLangId{"sw", "", 0x0441},
    LocaleLangId{"bn", "", 0x0445},   LocaleLangId{"ta", "", 0x0449},
    LocaleLangId{"gl", "", 0x0456},   LocaleLangId{"sr", "", 0x241A},
};

constexpr std::uint16_t kUsEnglish = 0x0409;

}  // namespace

std::string MessagesLocale(const std::string& lcAll, const std::string& lcMessages,
                           const std::string& lang) {
  if (!lcAll.empty()) return lcAll;
  if (!lcMessages.empty()) return lcMessages;
  return lang;
}

std::uint16_t LangIdFromLocale(const std::string& locale) {
  // language[_territory][.codeset][@modifier]
  std::string_view name(locale);
  name = name.substr(0, name.find_first_of(".@"));
  const std::size_t sep = name.find_first_of("_-");
  std::string language(name.substr(0, sep));
  std::string territory(sep == std::string_view::npos ? std::string_view() : name.substr(sep + 1));
  for (char& c : language) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (char& c : territory) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

  const LocaleLangId* fallback = nullptr;
  for (const LocaleLangId& e : kLocales) {
    if (e.language != language) continue;
    if (e.territory == territory) return e.langId;
    if (e.territory.empty() && fallback == nullptr) fallback = &e;
  }
  return fallback ? fallback->langId : kUsEnglish;
}

}  // namespace platform
