#include <gtest/gtest.h>

#include "platform/LocaleLanguage.h"

namespace {

using platform::LangIdFromLocale;

TEST(LocaleLanguageTest, LocaleNamesBecomeWindowsLanguageIds) {
  struct Case {
    const char* locale;
    std::uint16_t langId;
  };
  const Case cases[] = {
      {"de_DE.UTF-8", 0x0407}, {"de_AT.UTF-8", 0x0C07}, {"de_DE@euro", 0x0407},
      {"es_ES.UTF-8", 0x0C0A}, {"es_MX", 0x080A},       {"es", 0x0C0A},
      {"zh_CN.UTF-8", 0x0804}, {"zh_TW.Big5", 0x0404},  {"ja_JP.UTF-8", 0x0411},
      {"ja", 0x0411},          {"ko_KR.EUC-KR", 0x0412}, {"pt_BR.UTF-8", 0x0416},
      {"pt_PT", 0x0816},       {"fr_CA.UTF-8", 0x0C0C}, {"fr_FR", 0x040C},
      {"en_GB.UTF-8", 0x0809}, {"en_US.UTF-8", 0x0409}, {"ru_RU.UTF-8", 0x0419},
      {"tr_TR", 0x041F},       {"nl_NL", 0x0413},       {"pl_PL", 0x0415},
      {"hu_HU", 0x040E},       {"cs_CZ", 0x0405},       {"el_GR", 0x0408},
      {"ar_SA", 0x0401},       {"it_IT", 0x0410},
      {"de_XX", 0x0407},   // an unlisted region: the language's main one
      {"DE_de", 0x0407},   // letter case of hand-written variables
      {"en-US", 0x0409},
      {"C", 0x0409},       {"C.UTF-8", 0x0409},     {"POSIX", 0x0409},
      {"", 0x0409},        {"xx_YY", 0x0409},       {"_", 0x0409},
  };
  for (const Case& c : cases) EXPECT_EQ(LangIdFromLocale(c.locale), c.langId) << c.locale;
}

TEST(LocaleLanguageTest, TheFirstSetVariableWins) {
  EXPECT_EQ(platform::MessagesLocale("de_DE", "fr_FR", "ja_JP"), "de_DE");
  EXPECT_EQ(platform::MessagesLocale("", "fr_FR", "ja_JP"), "fr_FR");
  EXPECT_EQ(platform::MessagesLocale("", "", "ja_JP"), "ja_JP");
  EXPECT_EQ(platform::MessagesLocale("", "", ""), "");
}

}  // namespace
