#include "macros/TextRules.h"

#include <cstdint>
#include <cstring>

#include "base/TextCase.h"

namespace macros {

bool IsValidUtf8(std::string_view text) {
  const auto* const begin = reinterpret_cast<const unsigned char*>(text.data());
  const auto* p = begin;
  const auto* end = p + text.size();
  while (p < end) {
    // Runs of ASCII are the bulk of a macro file: skip them eight bytes at a time.
    if (end - p >= 8) {
      std::uint64_t block;
      std::memcpy(&block, p, 8);
      if ((block & 0x8080808080808080ULL) == 0) {
        p += 8;
        continue;
      }
    }
    if (*p < 0x80) {
      ++p;
      continue;
    }
    size_t i = static_cast<size_t>(p - begin);
    char32_t cp = 0;
    if (!text::NextUtf8(text, i, cp)) return false;
    p = begin + i;
  }
  return true;
}

namespace {
bool IsBlankOrControl(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u <= 0x20 || u == 0x7F;
}

// The length of the control character at text[i], or 0 when there is none.
size_t ControlLength(std::string_view text, size_t i) {
  const auto c = static_cast<unsigned char>(text[i]);
  if (c < 0x20 || c == 0x7F) return 1;
  // U+0080..U+009F are C2 80..C2 9F in UTF-8.
  if (c == 0xC2 && i + 1 < text.size()) {
    const auto n = static_cast<unsigned char>(text[i + 1]);
    if (n >= 0x80 && n <= 0x9F) return 2;
  }
  return 0;
}
}  // namespace

bool HasControlCharacter(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i)
    if (ControlLength(text, i) != 0) return true;
  return false;
}

std::string ReplaceControlCharacters(std::string_view text, std::string_view replacement) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (const size_t n = ControlLength(text, i)) {
      out += replacement;
      i += n;
    } else {
      out += text[i++];
    }
  }
  return out;
}

std::string TrimBlanksAndControls(std::string_view text) {
  size_t first = 0, last = text.size();
  while (first < last && IsBlankOrControl(text[first])) ++first;
  while (last > first && IsBlankOrControl(text[last - 1])) --last;
  return std::string(text.substr(first, last - first));
}

}  // namespace macros
