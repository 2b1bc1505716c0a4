#pragma once

#include <cstdint>
#include <string>

namespace platform {

enum class RegReadResult { Ok, Missing, WrongType };

// HKEY_CURRENT_USER on Windows; a small INI file in the per-user config folder on Linux.
class Registry {
 public:
  virtual ~Registry() = default;
  // keyPath like "Software\\QEL Auto Clicker"; never creates the key.
  virtual RegReadResult ReadString(const std::string& keyPath, const std::string& name,
                                   std::string& value) = 0;
  // Creates the key when missing; false when it cannot be opened or written.
  virtual bool WriteString(const std::string& keyPath, const std::string& name,
                           const std::string& value) = 0;
};

class Environment {
 public:
  virtual ~Environment() = default;
  // Empty when not set.
  virtual std::string GetVariable(const std::string& name) = 0;
  // The per-user configuration base used when APPDATA is not set: XDG_CONFIG_HOME or
  // ~/.config on Linux; empty on Windows, where the executable's folder is the fallback.
  virtual std::string UserConfigFolder() = 0;
  // Folder that holds the running executable (no trailing separator).
  virtual std::string ExecutableFolder() = 0;
  // The user's temporary folder, long form, ending with a separator.
  virtual std::string TempFolder() = 0;
  // Windows LANGID of the user-interface language (Linux: mapped from the locale).
  virtual std::uint16_t SystemDefaultUILanguage() = 0;
  // The user's regional decimal separator.
  virtual std::string DecimalSeparator() = 0;
  // The separator of this platform's paths.
  virtual char PathDelimiter() = 0;
};

class Shell {
 public:
  virtual ~Shell() = default;
  // Open an address or file with a verb ("open", or empty for the default), shown normally.
  virtual void Open(const std::string& target, const std::string& verb) = 0;
};

// The Windows profile-file rules: GetPrivateProfileStringW / WritePrivateProfileStringW
// on Windows, a portable reader and writer with the same rules elsewhere.
class ProfileStore {
 public:
  virtual ~ProfileStore() = default;
  virtual std::string ReadString(const std::string& file, const std::string& section,
                                 const std::string& key, const std::string& defaultValue) = 0;
  // False when the file cannot be written.
  virtual bool WriteString(const std::string& file, const std::string& section,
                           const std::string& key, const std::string& value) = 0;
};

}  // namespace platform
