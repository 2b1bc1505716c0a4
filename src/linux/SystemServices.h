#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Clock.h"
#include "platform/ProfileRegistry.h"
#include "platform/System.h"

namespace linuxdesktop {

// GetTickCount semantics on CLOCK_MONOTONIC: milliseconds, wrapping at 2^32.
class LinuxClock : public platform::Clock {
 public:
  std::uint32_t GetTickCount() override;
  void Sleep(std::uint32_t ms) override;
  platform::LocalDateTime Now() override;
  std::uint64_t HighResolutionNow() override;
  std::uint64_t NowMicros() override;
  void SleepMicros(std::uint64_t us) override;
};

class LinuxEnvironment : public platform::Environment {
 public:
  std::string GetVariable(const std::string& name) override;
  std::string UserConfigFolder() override;
  std::string ExecutableFolder() override;
  std::string TempFolder() override;
  std::uint16_t SystemDefaultUILanguage() override;
  std::string DecimalSeparator() override;
  char PathDelimiter() override;
};

// The per-user data folder's base: APPDATA when set, else the user's configuration folder.
std::string DataFolderBase(platform::Environment& env);

// "Registry" values in "registry.ini" of the per-user data folder.
class LinuxRegistry : public platform::Registry {
 public:
  // The registry file takes turns with the settings file through the same store.
  LinuxRegistry(platform::Environment& env, platform::ProfileStore& store);
  platform::RegReadResult ReadString(const std::string& keyPath, const std::string& name,
                                     std::string& value) override;
  bool WriteString(const std::string& keyPath, const std::string& name,
                   const std::string& value) override;
  std::string FileName() const;

 private:
  platform::Environment& env_;
  platform::ProfileRegistry registry_;
};

// Opens with xdg-open, detached: the program neither waits for it nor reaps it later.
class LinuxShell : public platform::Shell {
 public:
  void Open(const std::string& target, const std::string& verb) override;
};

}  // namespace linuxdesktop
