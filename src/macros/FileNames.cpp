#include "macros/FileNames.h"

#include <cstdio>
#include <string_view>

#include "macros/TextRules.h"
#include "platform/Files.h"
#include "base/TextCase.h"

std::string SanitizeMacroFileName(const std::string& AName) {
  // A control character inside would end up in the file name, where a line break or a
  // tab makes a file that the user can hardly name in a shell or a file dialog.
  std::string s = macros::ReplaceControlCharacters(macros::TrimBlanksAndControls(AName), "_");
  for (char& c : s)
    if (std::string_view("\"*/:<>?\\|").find(c) != std::string_view::npos) c = '_';
  return s.empty() ? std::string("Macro") : s;
}

namespace macros {

std::string JoinPath(const std::string& folder, const std::string& name, char delimiter) {
  if (!folder.empty() && (folder.back() == delimiter || folder.back() == '/')) return folder + name;
  return folder + delimiter + name;
}

std::string RecordingStamp(const platform::LocalDateTime& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d.%02d.%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return buf;
}

std::string SecondsOneDecimal(std::uint32_t ms, const std::string& decimalSeparator) {
  // In whole numbers: 3150 ms is 3.2 s, not the 3.1 that the binary double 3.15 would give.
  const std::uint64_t tenths = (static_cast<std::uint64_t>(ms) + 50) / 100;
  return std::to_string(tenths / 10) + decimalSeparator + std::to_string(tenths % 10);
}

bool FileTakenAnyCase(const std::string& folder, const std::string& fileName, char delimiter) {
  if (platform::files::FileExists(JoinPath(folder, fileName, delimiter))) return true;
  // Every name this program gives ends in the extension, and the listing matches it in
  // any case, so listing the macro files is enough to see a twin in another case.
  for (const std::string& existing : platform::files::ListFiles(folder, kMacroExtension))
    if (text::EqualIgnoreCase(existing, fileName)) return true;
  return false;
}

std::string FreeRecordingFileName(const std::string& folder, const std::string& stamp, char delimiter) {
  std::string base = stamp;
  for (char& c : base)
    if (c == ' ') c = '_';
  std::string name = base + kMacroExtension;
  for (int counter = 2; FileTakenAnyCase(folder, name, delimiter); ++counter)
    name = base + "_" + std::to_string(counter) + kMacroExtension;
  return name;
}

std::string_view FileNamePart(std::string_view path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

size_t ListPosition(const std::vector<std::shared_ptr<TRecordedMacro>>& list, const std::string& filePath) {
  if (filePath.empty()) return list.size();
  const std::string_view name = FileNamePart(filePath);
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i]->FileName().empty() || text::LessIgnoreCase(name, FileNamePart(list[i]->FileName()))) return i;
  }
  return list.size();
}

}  // namespace macros
