#include "linux/FolderLocks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace linuxdesktop {
namespace {

class HeldFolder : public platform::FolderLocks::Held {
 public:
  explicit HeldFolder(int fd) : fd_(fd) {}
  ~HeldFolder() override { ::close(fd_); }
  HeldFolder(const HeldFolder&) = delete;
  HeldFolder& operator=(const HeldFolder&) = delete;

 private:
  int fd_;
};

}  // namespace

platform::FolderLocks::Result FlockFolderLocks::TryLock(const std::string& folder, std::unique_ptr<Held>& held) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Result::Unsupported;
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
    held = std::make_unique<HeldFolder>(fd);
    return Result::Taken;
  }
  const int error = errno;
  ::close(fd);
  return error == EWOULDBLOCK || error == EINTR ? Result::Busy : Result::Unsupported;
}

}  // namespace linuxdesktop
