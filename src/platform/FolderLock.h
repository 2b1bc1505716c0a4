#pragma once

#include <memory>
#include <string>

namespace platform {

// An exclusive lock on a folder, shared by every process of the user, taken without waiting:
// how long to wait for it is the caller's decision.
class FolderLocks {
 public:
  enum class Result { Taken, Busy, Unsupported };
  // Keeps the lock until destroyed.
  class Held {
   public:
    virtual ~Held() = default;
  };
  virtual ~FolderLocks() = default;
  // Taken: `held` keeps the lock. Busy: another holder has it. Unsupported: the folder
  // cannot be locked at all (missing, or a file system without locks); go ahead unlocked.
  virtual Result TryLock(const std::string& folder, std::unique_ptr<Held>& held) = 0;
};

}  // namespace platform
