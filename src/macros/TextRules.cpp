#include "macros/TextRules.h"

#include <cstdint>
#include <cstring>

namespace macros {

bool IsValidUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
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
    const unsigned char c = *p;
    int more = 0;
    std::uint32_t cp = 0, min = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      more = 1, cp = c & 0x1Fu, min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
      more = 2, cp = c & 0x0Fu, min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3, cp = c & 0x07u, min = 0x10000;
    } else {
      return false;  // a continuation byte out of place, C0/C1 overlong leads, F5..FF
    }
    if (end - p <= more) return false;
    for (int i = 1; i <= more; ++i) {
      if ((p[i] & 0xC0u) != 0x80u) return false;
      cp = (cp << 6) | (p[i] & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    p += more + 1;
  }
  return true;
}

namespace {
bool IsBlankOrControl(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u <= 0x20 || u == 0x7F;
}
}  // namespace

namespace {
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
