#pragma once

#include <string>

#include "platform/System.h"

namespace settings {

// An integer value of the profile file, read the way the settings have always been read:
// leading blanks, an optional "+" or "-", then decimal digits, or hexadecimal digits after
// "0x", "0X", "$", "x" or "X". Anything else gives `defaultValue`: an empty text, a sign or
// prefix without digits, a decimal number outside the signed 32-bit range, a hexadecimal
// one of more than 32 bits, and any trailing text — "12abc" and "12 " included, since the
// whole text must be the number (the store has already trimmed a value's own blanks).
// Hexadecimal digits are taken as the 32 bits of the number, so "$FFFFFFFF" is -1.
int ParseProfileInteger(const std::string& text, int defaultValue);

// Reads the key as text and parses it as above; a missing key gives `defaultValue`.
int ReadProfileInteger(platform::ProfileStore& store, const std::string& file,
                       const std::string& section, const std::string& key, int defaultValue);

}  // namespace settings
