// One running copy per user: an exclusive flock on "<name>.lock" in the private temp folder,
// held while the InstanceLock lives. The lock goes with the process, so a crashed copy never
// blocks the next start, and programs it starts don't inherit it.
#pragma once

#include <memory>
#include <string>

namespace velt::platform {

class InstanceLock {
  public:
    // The lock, or nullptr when another process holds it (or the lock file can't be made;
    // `problem` tells which).
    static std::unique_ptr<InstanceLock> acquire(const std::string& name,
                                                 std::string* problem = nullptr);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

  private:
    explicit InstanceLock(int fd) : fd_(fd) {}
    int fd_;
};

}  // namespace velt::platform
