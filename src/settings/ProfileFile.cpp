// TODO(settings): the real reader and writer.
#include "settings/ProfileFile.h"

namespace settings {
std::string PortableProfileStore::ReadString(const std::string&, const std::string&,
                                             const std::string&, const std::string& d) {
  return d;
}
bool PortableProfileStore::WriteString(const std::string&, const std::string&, const std::string&,
                                       const std::string&) {
  return true;
}
}  // namespace settings
