// The profile (INI) reader and writer on arbitrary file text: the settings file lives in
// a folder the user can edit, and Windows tools write their own variants of the format.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/ProfileFile.h"
#include "settings/ProfileInteger.h"

namespace {

struct Name {
  const char* section;
  const char* key;
};

// The program's own keys, and a few the rules treat specially (the nameless section,
// names given with blanks and in another case).
constexpr std::array<Name, 16> kNames = {{
    {"Target", "mode"},         {"Interval", "h"},      {"Interval", "ms"},
    {"Interval", "jitterMs"},   {"Repeat", "count"},    {"Click", "button"},
    {"Click", "holdMs"},        {"UI", "topMost"},      {"HotkeyStart", "vk"},
    {"HotkeyStart", "mod"},     {"Coords", "x"},        {"Macros", "selected"},
    {"", "k"},                  {" interval ", " H "}, {"Section", "key"},
    {"a", "a"},
}};

bool SameName(const Name& a, const Name& b) {
  auto norm = [](std::string s) {
    const auto first = s.find_first_not_of(' ');
    s = first == std::string::npos ? "" : s.substr(first, s.find_last_not_of(' ') - first + 1);
    for (char& c : s)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
  };
  return norm(a.section) == norm(b.section) && norm(a.key) == norm(b.key);
}

void CheckInteger(const std::string& text) {
  // Two different defaults tell a number from a refusal; a number must then come back
  // from its own decimal form.
  const int a = settings::ParseProfileInteger(text, 1);
  const int b = settings::ParseProfileInteger(text, 2);
  if (a != b) return;
  if (settings::ParseProfileInteger(std::to_string(a), a == 0 ? 5 : 0) != a) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  std::array<std::string, kNames.size()> before;
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    before[i] = settings::ProfileRead(text, kNames[i].section, kNames[i].key, "");
    CheckInteger(before[i]);
  }

  // Writing one key: it reads back as written, and no other key changes.
  // A value written in quotes or with blanks around it reads back without them.
  const std::size_t pick = size % kNames.size();
  const std::string value = "v" + std::to_string(size);
  const char* const wrappers[] = {"", "\"", "'", " "};
  const std::string wrap = wrappers[(size / kNames.size()) % 4];
  const std::string written =
      settings::ProfileWrite(text, kNames[pick].section, kNames[pick].key, wrap + value + wrap);
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    const std::string now = settings::ProfileRead(written, kNames[i].section, kNames[i].key, "");
    if (SameName(kNames[i], kNames[pick])) {
      if (now != value) std::abort();
    } else if (now != before[i]) {
      std::abort();
    }
  }
  // Writing the same again changes nothing more.
  if (settings::ProfileWrite(written, kNames[pick].section, kNames[pick].key, wrap + value + wrap) !=
      written)
    std::abort();
  return 0;
}
