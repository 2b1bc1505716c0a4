#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "macros/RecordedMacro.h"

#include "platform/Clock.h"

// A name made safe for a file name: trimmed of blanks and control characters, the nine
// characters that no file name may hold and any control character inside replaced with
// "_", "Macro" when nothing is left.
std::string SanitizeMacroFileName(const std::string& AName);

namespace macros {

inline constexpr const char* kMacroExtension = ".qelmac";

// folder + a separator unless the folder already ends with one + name.
std::string JoinPath(const std::string& folder, const std::string& name, char delimiter);

// "yyyy-mm-dd hh.nn.ss", whatever the regional settings.
std::string RecordingStamp(const platform::LocalDateTime& t);

// Milliseconds as seconds with one decimal, rounded half up, with the given separator.
std::string SecondsOneDecimal(std::uint32_t ms, const std::string& decimalSeparator);

// True when a regular file of this name lies directly in the folder, in any letter case:
// Windows folders ignore case, so a file that differs only in case is the same file there
// and must count as taken on every platform.
bool FileTakenAnyCase(const std::string& folder, const std::string& fileName, char delimiter);

// The file name of a recording: the stamp with "_" for the blank plus ".qelmac"; when
// that is taken (two recordings within one second), a counter goes before the extension:
// "..._2.qelmac", "..._3.qelmac", ...
std::string FreeRecordingFileName(const std::string& folder, const std::string& stamp, char delimiter);

// Where a macro with this file belongs in a list kept in the order that filling the list
// at start builds (file names without regard to case): before the first macro whose file
// name comes later. A macro without a file (never saved) goes after all others, as do the
// ones already there, since the next start will not show them.
size_t ListPosition(const std::vector<std::shared_ptr<TRecordedMacro>>& list, const std::string& filePath);

// The last part of a path: after the last "/" or "\\".
std::string_view FileNamePart(std::string_view path);

}  // namespace macros
