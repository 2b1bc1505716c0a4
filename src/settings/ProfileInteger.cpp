#include "settings/ProfileInteger.h"

#include <cstdint>

namespace settings {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int ParseProfileInteger(const std::string& text, int defaultValue) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  bool hex = false;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == text.size()) return defaultValue;
  const std::uint64_t base = hex ? 16 : 10;
  // The largest magnitude the 32 bits can hold: all bits for hexadecimal, the signed
  // range for decimal (one more below zero).
  const std::uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 2147483648ull : 2147483647ull);
  std::uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const int d = hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (d < 0) return defaultValue;
    magnitude = magnitude * base + static_cast<std::uint64_t>(d);
    if (magnitude > limit) return defaultValue;
  }
  std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
  if (negative) bits = 0u - bits;
  return static_cast<int>(bits);
}

int ReadProfileInteger(platform::ProfileStore& store, const std::string& file,
                       const std::string& section, const std::string& key, int defaultValue) {
  return ParseProfileInteger(store.ReadString(file, section, key, ""), defaultValue);
}

}  // namespace settings
