#pragma once

#include <string>

// UTF-8 (the program's text) to and from UTF-16 (the Windows API's text), at the edge.
// Malformed UTF-8 becomes U+FFFD rather than failing: a shown text should never vanish.
namespace win32 {

std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);
// A NUL-terminated UTF-16 buffer, up to `length` characters or its first NUL.
std::string WideToUtf8(const wchar_t* text, std::size_t length);

}  // namespace win32
