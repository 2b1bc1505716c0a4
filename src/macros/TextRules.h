#pragma once

#include <string>
#include <string_view>

// Small text rules shared by the macro file format and the macro library.
namespace macros {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

// Whether the text holds a control character: C0 (bytes 0..31), DEL or C1 (U+0080..U+009F).
// Such a character in a macro's name could end the name's line in its file or show as
// nothing at all.
bool HasControlCharacter(std::string_view text);

// Every control character (as above) replaced with `replacement`.
std::string ReplaceControlCharacters(std::string_view text, std::string_view replacement);

// Without leading and trailing blanks and control characters (bytes 0..32 and 127).
std::string TrimBlanksAndControls(std::string_view text);

}  // namespace macros
