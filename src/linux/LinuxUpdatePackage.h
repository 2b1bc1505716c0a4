#pragma once

#include "platform/System.h"
#include "platform/UpdatePackage.h"

namespace linuxdesktop {

// The Debian package: downloaded into a folder of its own that only this user can enter,
// and handed to the desktop's package installer.
class LinuxUpdatePackage : public platform::UpdatePackage {
 public:
  explicit LinuxUpdatePackage(platform::Shell& shell) : shell_(shell) {}
  std::string ServerPath() override;
  std::string Kind() override;
  std::string NewDownloadPath(const std::string& tempFolder) override;
  void Start(const std::string& file) override;
  void Discard(const std::string& file) override;

 private:
  platform::Shell& shell_;
};

}  // namespace linuxdesktop
