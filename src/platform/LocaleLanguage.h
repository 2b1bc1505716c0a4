#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The POSIX locale that names the user-interface language: LC_ALL, then LC_MESSAGES, then
// LANG, the first that is set and not empty (the C library's own order of precedence).
std::string MessagesLocale(const std::string& lcAll, const std::string& lcMessages,
                           const std::string& lang);

// A POSIX locale name ("de_DE.UTF-8@euro", "pt_BR", "ja", "C") as the Windows language
// identifier (LANGID) of that language and region. C, POSIX, an empty name and languages
// without an entry give US English, 0x0409; a known language in an unlisted region gives
// the language's main region.
std::uint16_t LangIdFromLocale(const std::string& locale);

}  // namespace platform
