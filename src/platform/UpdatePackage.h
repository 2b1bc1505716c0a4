#pragma once

#include <string>

namespace platform {

// What an update downloads and how it is started: the Windows edition's installer, the
// Linux edition's package.
class UpdatePackage {
 public:
  virtual ~UpdatePackage() = default;
  // Its address on the update server, below the server's base address.
  virtual std::string ServerPath() = 0;
  // The word that names this kind of package in the version page's signature lines.
  virtual std::string Kind() = 0;
  // Where the next download goes, in `tempFolder` (ending with a separator) and out of
  // other users' reach. Throws std::runtime_error with the system's text.
  virtual std::string NewDownloadPath(const std::string& tempFolder) = 0;
  // Starts the downloaded package and returns at once.
  virtual void Start(const std::string& file) = 0;
  // Removes a download that is not to be started, with what NewDownloadPath made for it.
  // Never throws.
  virtual void Discard(const std::string& file) = 0;
};

}  // namespace platform
