#include "macros/RecordedMacro.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string_view>

#include "macros/TextRules.h"
#include "platform/Files.h"
#include "base/TextCase.h"

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";

void AppendInt(std::string& out, std::int64_t value) {
  char buf[24];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);
  out.append(buf, res.ptr);
}

// A field is a number when it is an optional sign followed by decimal digits, nothing
// else (blanks included), and fits in 32 bits signed; anything else takes the default.
std::int32_t ParseInt32(std::string_view s, std::int32_t fallback) {
  size_t i = 0;
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    i = 1;
  }
  if (i == s.size()) return fallback;
  std::int64_t value = 0;
  for (; i < s.size(); ++i) {
    const unsigned digit = static_cast<unsigned char>(s[i]) - static_cast<unsigned>('0');
    if (digit > 9) return fallback;
    value = value * 10 + digit;
    if (value > 2147483648LL) return fallback;  // stops long digit runs from overflowing
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max()) return fallback;
  return static_cast<std::int32_t>(value);
}

bool KeyIs(std::string_view line, std::string_view key, std::string_view& value) {
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos || eq != key.size()) return false;
  if (!text::EqualIgnoreCase(line.substr(0, eq), key)) return false;
  value = line.substr(eq + 1);
  return true;
}

TMacroMouseEvent ParseEventFields(std::string_view rest, bool& ok) {
  // Fields are a few characters long: a plain scan beats a library search call per field.
  std::string_view fields[5];
  size_t n = 0;
  size_t start = 0;
  for (size_t i = 0; n < 5; ++i) {
    if (i == rest.size()) {
      fields[n++] = rest.substr(start);
      break;
    }
    if (rest[i] == '|') {
      fields[n++] = rest.substr(start, i - start);
      start = i + 1;
    }
  }
  ok = n == 5;
  TMacroMouseEvent e;
  if (!ok) return e;
  // Times are stored as the unsigned value of their 32 bits, so "-1" reads as 4294967295
  // and a time written above 2147483647 reads back as itself.
  e.DeltaMs = static_cast<std::uint32_t>(ParseInt32(fields[0], 0));
  e.Kind = static_cast<std::uint8_t>(static_cast<std::uint32_t>(ParseInt32(fields[1], 0)) & 0xFFu);
  e.X = ParseInt32(fields[2], 0);
  e.Y = ParseInt32(fields[3], 0);
  e.Button = ParseInt32(fields[4], -1);
  return e;
}

}  // namespace

std::string TRecordedMacro::ToText() const {
  std::string out;
  // About 30 bytes an event line; one allocation for the common case.
  out.reserve(kBom.size() + FName.size() + 32 + FEvents.size() * 32);
  out += kBom;
  if (!FName.empty()) {
    out += "Name=";
    out += FName;
    out += kLineEnd;
  }
  out += "DurationMs=";
  AppendInt(out, FDurationMs);
  out += kLineEnd;
  for (const TMacroMouseEvent& e : FEvents) {
    out += "E=";
    AppendInt(out, static_cast<std::int32_t>(e.DeltaMs));
    out += '|';
    AppendInt(out, e.Kind);
    out += '|';
    AppendInt(out, e.X);
    out += '|';
    AppendInt(out, e.Y);
    out += '|';
    AppendInt(out, e.Button);
    out += kLineEnd;
  }
  return out;
}

void TRecordedMacro::SaveToFile(const std::string& AFileName) {
  // The name is written as it is, so a line break in it would start lines of its own:
  // another name, another duration, events nobody recorded. Such a file is not written.
  if (FName.find_first_of("\r\n") != std::string::npos)
    throw std::runtime_error("Cannot write file \"" + AFileName + "\". The macro name holds a line break.");
  // Written beside the target and then put in its place: a crash or a full disk leaves
  // the previous file intact instead of a half-written one.
  platform::files::WriteAllReplacing(AFileName, ToText());
  FFileName = AFileName;
}

std::unique_ptr<TRecordedMacro> TRecordedMacro::FromText(const std::string& bytes) {
  std::string_view text(bytes);
  if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
  if (!macros::IsValidUtf8(text)) throw std::runtime_error("The file is not valid UTF-8 text.");

  auto macro = std::make_unique<TRecordedMacro>();
  bool haveName = false, haveDuration = false;
  // One pass over the text: lines end at CR LF, a lone LF or a lone CR.
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end) {
    const char* const lineStart = p;
    while (p < end && *p != '\r' && *p != '\n') ++p;
    const std::string_view line(lineStart, static_cast<size_t>(p - lineStart));
    if (p < end) p += (*p == '\r' && p + 1 < end && p[1] == '\n') ? 2 : 1;

    if (line.size() >= 2 && line[0] == 'E' && line[1] == '=') {
      bool ok = false;
      const TMacroMouseEvent e = ParseEventFields(line.substr(2), ok);
      if (ok) macro->FEvents.push_back(e);
      continue;
    }
    std::string_view value;
    if (!haveName && KeyIs(line, "Name", value)) {
      macro->FName.assign(value);
      haveName = true;
    } else if (!haveDuration && KeyIs(line, "DurationMs", value)) {
      macro->FDurationMs = static_cast<std::uint32_t>(ParseInt32(value, 0));
      haveDuration = true;
    }
  }
  return macro;
}

std::unique_ptr<TRecordedMacro> TRecordedMacro::LoadFromFile(const std::string& AFileName) {
  std::string bytes;
  if (!platform::files::ReadAll(AFileName, bytes))
    throw std::runtime_error("Cannot open file \"" + AFileName + "\".");
  std::unique_ptr<TRecordedMacro> macro;
  try {
    macro = FromText(bytes);
  } catch (const std::runtime_error& e) {
    throw std::runtime_error("Cannot read file \"" + AFileName + "\". " + e.what());
  }
  macro->FFileName = AFileName;
  return macro;
}
