#pragma once

#include <cstdint>
#include <string>

#include "platform/Clock.h"

// A name made safe for a file name: trimmed of blanks and control characters, the nine
// characters that no file name may hold replaced with "_", "Macro" when nothing is left.
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

}  // namespace macros
