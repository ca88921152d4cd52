#include "driver/run_state.h"

#include <unistd.h>

namespace velt::engine {

RunState& run() {
    static RunState state;
    return state;
}

void FileDescriptor::reset(int fd) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
}

void resetRun() { run() = RunState{}; }

}  // namespace velt::engine
