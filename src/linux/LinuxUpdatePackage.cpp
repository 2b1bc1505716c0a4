#include "linux/LinuxUpdatePackage.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "update/VersionCheck.h"

namespace linuxdesktop {

std::string LinuxUpdatePackage::ServerPath() { return update::kLinuxPackagePath; }

std::string LinuxUpdatePackage::Kind() { return "deb"; }

std::string LinuxUpdatePackage::NewDownloadPath(const std::string& tempFolder) {
  // The temporary folder is often shared by every user: a fixed name there could be a
  // link another user placed. mkdtemp makes a new folder with a name nobody could
  // guess, mode 0700, and fails rather than reuse anything that exists.
  const std::string pattern = tempFolder + "qel-update-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (!mkdtemp(name.data()))
    throw std::runtime_error("Cannot create folder \"" + pattern + "\". " + std::strerror(errno));
  return std::string(name.data()) + "/" + update::kLinuxPackageFileName;
}

void LinuxUpdatePackage::Start(const std::string& file) { shell_.Open(file, ""); }

void LinuxUpdatePackage::Discard(const std::string& file) {
  unlink(file.c_str());
  const size_t slash = file.rfind('/');
  if (slash != std::string::npos && slash > 0) rmdir(file.substr(0, slash).c_str());
}

}  // namespace linuxdesktop
