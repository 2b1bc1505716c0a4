#include "win32/Win32ServicesText.h"

#include <windows.h>

#include <climits>
#include <cwchar>

namespace win32 {

std::wstring Utf8ToWide(const std::string& text) {
  if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return {};
  const int inLen = static_cast<int>(text.size());
  const int outLen = MultiByteToWideChar(CP_UTF8, 0, text.data(), inLen, nullptr, 0);
  if (outLen <= 0) return {};
  std::wstring out(static_cast<std::size_t>(outLen), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), inLen, out.data(), outLen);
  return out;
}

std::string WideToUtf8(const std::wstring& text) {
  if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return {};
  const int inLen = static_cast<int>(text.size());
  const int outLen =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), inLen, nullptr, 0, nullptr, nullptr);
  if (outLen <= 0) return {};
  std::string out(static_cast<std::size_t>(outLen), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), inLen, out.data(), outLen, nullptr, nullptr);
  return out;
}

std::string WideToUtf8(const wchar_t* text, std::size_t length) {
  if (text == nullptr) return {};
  return WideToUtf8(std::wstring(text, wcsnlen(text, length)));
}

}  // namespace win32
