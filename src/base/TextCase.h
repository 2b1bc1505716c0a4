#pragma once

#include <string_view>

// Letter case as Windows folders see it: every character is compared by its simple upper
// case (one character to one character, Basic Multilingual Plane), so "Été" and "été"
// name the same file on every edition. The table comes from the Unicode data, not from
// the OS or the locale, so both editions and every test machine agree.
namespace text {

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF): the character
// that starts at s[i] goes to `cp` and i moves past it. False when the bytes there are no
// valid character; i then moves one byte on.
bool NextUtf8(std::string_view s, size_t& i, char32_t& cp);

// The simple upper case of a code point; itself when it has none.
char32_t SimpleUpper(char32_t cp);

// <0, 0 or >0: the UTF-8 texts compared character by character without regard to case.
// Texts that only differ in case compare 0. For letters a to z the order is that of their
// lower case (so "_" sorts before letters, as it always has). A byte that is not part of
// valid UTF-8 counts as a character of its own that equals only itself.
int CompareIgnoreCase(std::string_view a, std::string_view b);

inline bool EqualIgnoreCase(std::string_view a, std::string_view b) { return CompareIgnoreCase(a, b) == 0; }

// A strict total order: without regard to case first, then by the bytes, so that names
// differing only in case still have a fixed order among themselves.
inline bool LessIgnoreCase(std::string_view a, std::string_view b) {
  const int c = CompareIgnoreCase(a, b);
  return c != 0 ? c < 0 : a < b;
}

inline bool EndsWithIgnoreCase(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && EqualIgnoreCase(s.substr(s.size() - tail.size()), tail);
}

inline bool StartsWithIgnoreCase(std::string_view s, std::string_view head) {
  return s.size() >= head.size() && EqualIgnoreCase(s.substr(0, head.size()), head);
}

}  // namespace text
