#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/TextCase.h"

namespace {

using text::CompareIgnoreCase;
using text::EqualIgnoreCase;
using text::LessIgnoreCase;

TEST(TextCase, SimpleUpperCaseOfEveryScriptNotJustAtoZ) {
  struct Case {
    char32_t in, out;
  } cases[] = {
      {U'a', U'A'},         {U'Z', U'Z'},        {U'@', U'@'},        {U'`', U'`'},
      {U'\u00E9', U'\u00C9'},  // é É
      {U'\u00FF', U'\u0178'},  // ÿ Ÿ: far apart
      {U'\u00DF', U'\u00DF'},  // ß: its upper case is two letters, so it has no simple one
      {U'\u0101', U'\u0100'},  // ā Ā: the alternating pairs of Latin Extended-A
      {U'\u01C6', U'\u01C4'},  // ǆ Ǆ
      {U'\u03C3', U'\u03A3'},  {U'\u03C2', U'\u03A3'},  // σ and final ς are both Σ
      {U'\u044F', U'\u042F'},  // я Я
      {U'\u0561', U'\u0531'},  // Armenian
      {U'\u24D0', U'\u24B6'},  // circled letters
      {U'\uFF41', U'\uFF21'},  // full-width a
      {U'\u4E2D', U'\u4E2D'},  // no case
      // Windows folders map only the Basic Multilingual Plane (one UTF-16 unit at a time).
      {U'\U00010428', U'\U00010428'},
  };
  for (const Case& c : cases)
    EXPECT_EQ(text::SimpleUpper(c.in), c.out) << std::hex << static_cast<unsigned>(c.in);
}

TEST(TextCase, EqualityIgnoresCaseForEveryLetterAndNothingElse) {
  struct Case {
    const char* a;
    const char* b;
    bool equal;
  } cases[] = {
      {"Test", "tEST", true},
      {"\xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\x89", true},      // Été and éTÉ
      {"\xC3\x84\xC3\x96\xC3\x9C", "\xC3\xA4\xC3\xB6\xC3\xBC", true},  // ÄÖÜ äöü
      {"\xD0\x96\xD1\x83\xD0\xBA", "\xD0\xB6\xD0\xA3\xD0\x9A", true},  // Жук жУК
      {"\xCF\x83\xCE\xBF\xCF\x82", "\xCE\xA3\xCE\x9F\xCE\xA3", true},  // σος ΣΟΣ
      {"", "", true},
      {"Test", "Test ", false},
      {"@", "`", false},                  // 0x40 and 0x60 are no letters
      {"e", "\xC3\xA9", false},           // accents count
      {"\xC3\x9F", "SS", false},          // ß is not SS in a file name
      {"\xF0\x90\x90\x80", "\xF0\x90\x90\xA8", false},  // Deseret, outside the BMP
      {"a\xFF", "A\xFF", true},           // a stray byte equals itself
      {"a\xFF", "a\xFE", false},
      {"\xC3", "\xC3\xA9", false},        // a cut sequence is not the letter
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EqualIgnoreCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(EqualIgnoreCase(c.b, c.a), c.equal) << c.b << " / " << c.a;
  }
  EXPECT_TRUE(text::EndsWithIgnoreCase("x.QELMAC", ".qelmac"));
  EXPECT_FALSE(text::EndsWithIgnoreCase("qelmac", ".qelmac"));
  EXPECT_TRUE(text::StartsWithIgnoreCase("Transfer-Encoding: chunked", "transfer-encoding:"));
}

TEST(TextCase, OrderIsTotalKeepsTheOldAsciiOrderAndGroupsCaseVariants) {
  // "_" stays before the letters, as when a to z were compared in lower case; variants
  // that differ only in case sit together, upper-case bytes first.
  std::vector<std::string> names = {"b", "\xC3\xA9t\xC3\xA9", "a_b", "ab", "\xC3\x89t\xC3\xA9", "AB", "B", "a"};
  std::sort(names.begin(), names.end(), LessIgnoreCase);
  EXPECT_EQ(names, (std::vector<std::string>{"a", "a_b", "AB", "ab", "B", "b", "\xC3\x89t\xC3\xA9",
                                             "\xC3\xA9t\xC3\xA9"}));
  EXPECT_EQ(CompareIgnoreCase("\xC3\x89t\xC3\xA9", "\xC3\xA9t\xC3\xA9"), 0);
  EXPECT_LT(CompareIgnoreCase("abc", "abcd"), 0);
  EXPECT_GT(CompareIgnoreCase("abd", "ABC"), 0);
}

}  // namespace
