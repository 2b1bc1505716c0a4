#pragma once

#include <functional>
#include <string>

#include "platform/System.h"

namespace platform {

// The current user's "registry" kept in an INI file, for platforms without one: a key path
// is a section, a value a key of it. Profile files store only text, so WrongType never
// happens here.
class ProfileRegistry : public Registry {
 public:
  // `file` gives the INI file's path; `prepareFolder` creates its folder before a write and
  // returns false when it cannot.
  ProfileRegistry(ProfileStore& store, std::function<std::string()> file,
                  std::function<bool()> prepareFolder);
  RegReadResult ReadString(const std::string& keyPath, const std::string& name,
                           std::string& value) override;
  bool WriteString(const std::string& keyPath, const std::string& name,
                   const std::string& value) override;

 private:
  ProfileStore& store_;
  std::function<std::string()> file_;
  std::function<bool()> prepareFolder_;
};

}  // namespace platform
