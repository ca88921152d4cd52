#include "platform/folders/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/folders/folders.h"

namespace velt::platform {

std::unique_ptr<InstanceLock> InstanceLock::acquire(const std::string& name, std::string* problem) {
    auto fail = [problem](const std::string& text) {
        if (problem != nullptr) *problem = text;
        return nullptr;
    };
    auto folder = privateTempFolder(problem);
    if (!folder) return fail(problem != nullptr ? *problem : "no private temp folder");
    std::string file = name;
    for (char& c : file) {
        if (c == '/' || c == '\0') c = '_';
    }
    std::string path = (*folder / (file + ".lock")).string();
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return fail(path + ": " + std::strerror(errno));
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        close(fd);
        return fail(err == EWOULDBLOCK ? "already running" : path + ": " + std::strerror(err));
    }
    return std::unique_ptr<InstanceLock>(new InstanceLock(fd));
}

InstanceLock::~InstanceLock() {
    close(fd_);
}

}  // namespace velt::platform
