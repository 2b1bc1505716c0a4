#pragma once

#include "platform/FolderLock.h"

namespace linuxdesktop {

// flock on the folder itself: advisory, shared by every process that asks, and let go by
// the system when its holder ends, however it ends.
class FlockFolderLocks : public platform::FolderLocks {
 public:
  Result TryLock(const std::string& folder, std::unique_ptr<Held>& held) override;
};

}  // namespace linuxdesktop
