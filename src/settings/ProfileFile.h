#pragma once

#include <string>

#include "platform/System.h"

namespace settings {

// The Windows profile-file rules, portable: the Linux edition's settings file and
// "registry" use it; the Windows edition calls the real API instead.
class PortableProfileStore : public platform::ProfileStore {
 public:
  std::string ReadString(const std::string& file, const std::string& section,
                         const std::string& key, const std::string& defaultValue) override;
  bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) override;
};

}  // namespace settings
