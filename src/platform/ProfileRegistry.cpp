#include "platform/ProfileRegistry.h"

#include <utility>

namespace platform {

namespace {
// A profile read cannot tell a missing key from a value equal to the default. Two defaults
// that cannot both be a stored value can: only a missing key returns each of them.
// They hold control characters, which a profile line never carries.
const std::string kAbsentA("\x01\x02qel-absent-a\x03", 16);
const std::string kAbsentB("\x01\x02qel-absent-b\x03", 16);

// Windows key paths may start with a backslash; the section name does not.
std::string SectionOf(const std::string& keyPath) {
  std::size_t start = 0;
  while (start < keyPath.size() && keyPath[start] == '\\') ++start;
  return keyPath.substr(start);
}
}  // namespace

ProfileRegistry::ProfileRegistry(ProfileStore& store, std::function<std::string()> file,
                                 std::function<bool()> prepareFolder)
    : store_(store), file_(std::move(file)), prepareFolder_(std::move(prepareFolder)) {}

RegReadResult ProfileRegistry::ReadString(const std::string& keyPath, const std::string& name,
                                          std::string& value) {
  const std::string file = file_();
  const std::string section = SectionOf(keyPath);
  std::string first = store_.ReadString(file, section, name, kAbsentA);
  if (first == kAbsentA && store_.ReadString(file, section, name, kAbsentB) == kAbsentB) {
    return RegReadResult::Missing;
  }
  value = std::move(first);
  return RegReadResult::Ok;
}

bool ProfileRegistry::WriteString(const std::string& keyPath, const std::string& name,
                                  const std::string& value) {
  if (prepareFolder_ && !prepareFolder_()) return false;
  return store_.WriteString(file_(), SectionOf(keyPath), name, value);
}

}  // namespace platform
