// The macro file loader on arbitrary bytes: a recorded macro is a file the user may have
// edited, copied from elsewhere or had cut short.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>

#include "macros/RecordedMacro.h"
#include "macros/TextRules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::unique_ptr<TRecordedMacro> macro;
  try {
    macro = TRecordedMacro::FromText(bytes);
  } catch (const std::runtime_error&) {
    // Only text that is not UTF-8 may be refused; everything else loads somehow.
    const bool bom = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    if (macros::IsValidUtf8(std::string_view(bytes).substr(bom ? 3 : 0))) std::abort();
    return 0;
  }

  // What the program writes it must read back as the same macro. The duration is written
  // unsigned but read signed, so one above 2^31 - 1 (only a hand-written "-1" gets there)
  // comes back as 0 by design; everything else must survive the trip.
  const std::string text = macro->ToText();
  if (!macros::IsValidUtf8(std::string_view(text).substr(3))) std::abort();
  std::unique_ptr<TRecordedMacro> again = TRecordedMacro::FromText(text);
  if (again->Name() != macro->Name() || again->Events() != macro->Events()) std::abort();
  const std::uint32_t expected =
      macro->DurationMs() > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())
          ? 0
          : macro->DurationMs();
  if (again->DurationMs() != expected) std::abort();
  // And the writer is stable: the second text is the first one.
  if (again->DurationMs() == macro->DurationMs() && again->ToText() != text) std::abort();
  return 0;
}
