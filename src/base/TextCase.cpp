#include "base/TextCase.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace text {
namespace {

struct UpperRun {
  std::uint16_t first, last;
  std::uint8_t stride;
  std::int32_t delta;
};

constexpr UpperRun kUpperRuns[] = {
#include "base/UpperCaseTable.inc"
};

// A byte outside valid UTF-8 becomes a value above every code point, distinct per byte.
constexpr char32_t kInvalidBase = 0x110000;

// The next character of `s` from `i` (advanced past it).
char32_t NextChar(std::string_view s, size_t& i) {
  char32_t cp = 0;
  const auto c = static_cast<unsigned char>(s[i]);
  return NextUtf8(s, i, cp) ? cp : kInvalidBase + c;
}

// Equal for characters of the same upper case; ordered as their upper case, except that
// the upper-case letters A to Z stand where a to z do. No upper case is one of a to z, so
// this keeps the classes apart.
char32_t OrderKey(char32_t c) {
  const char32_t u = SimpleUpper(c);
  return (u >= U'A' && u <= U'Z') ? u - U'A' + U'a' : u;
}

}  // namespace

bool NextUtf8(std::string_view s, size_t& i, char32_t& cp) {
  const auto c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) {
    ++i;
    cp = c;
    return true;
  }
  int more = 0;
  char32_t min = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    more = 1, cp = c & 0x1Fu, min = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    more = 2, cp = c & 0x0Fu, min = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    more = 3, cp = c & 0x07u, min = 0x10000;
  } else {
    ++i;  // a continuation byte out of place, C0/C1 overlong leads, F5..FF
    return false;
  }
  ++i;
  if (s.size() - i < static_cast<size_t>(more)) return false;
  for (int k = 0; k < more; ++k) {
    const auto n = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
    if ((n & 0xC0u) != 0x80u) return false;
    cp = (cp << 6) | (n & 0x3Fu);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  i += static_cast<size_t>(more);
  return true;
}

char32_t SimpleUpper(char32_t cp) {
  if (cp < 0x80) return (cp >= U'a' && cp <= U'z') ? cp - U'a' + U'A' : cp;
  if (cp > 0xFFFF) return cp;
  const auto* end = std::end(kUpperRuns);
  // The last run that starts at or before cp.
  const auto* it = std::upper_bound(std::begin(kUpperRuns), end, cp,
                                    [](char32_t v, const UpperRun& r) { return v < r.first; });
  if (it == std::begin(kUpperRuns)) return cp;
  --it;
  if (cp > it->last || (cp - it->first) % it->stride != 0) return cp;
  return static_cast<char32_t>(static_cast<std::int32_t>(cp) + it->delta);
}

int CompareIgnoreCase(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const char32_t x = OrderKey(NextChar(a, i));
    const char32_t y = OrderKey(NextChar(b, j));
    if (x != y) return x < y ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

}  // namespace text
