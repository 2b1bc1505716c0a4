#pragma once

#include <string>
#include <string_view>

// Small text rules shared by the macro file format and the macro library.
namespace macros {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

// Equal when only the letters a to z differ in case; every other byte must match.
bool EqualIgnoreCaseAZ(std::string_view a, std::string_view b);

// Order by the letters a to z without regard to case, then by the bytes.
bool LessIgnoreCaseAZ(std::string_view a, std::string_view b);

// Without leading and trailing blanks and control characters (bytes 0..32 and 127).
std::string TrimBlanksAndControls(std::string_view text);

}  // namespace macros
