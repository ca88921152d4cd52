// Finding processes of the calling user by their command line.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace velt::platform {

// The running processes of the calling user (the caller excluded) whose arguments hold `first`
// followed at once by `second`, in no particular order. Processes that end meanwhile, or whose
// command line can't be read, are left out.
std::vector<pid_t> processesWithArguments(const std::string& first, const std::string& second);

// The whole content of a small file under /proc ("" when it can't be read: a process may end
// while it is read, which fails with ESRCH). Never throws.
std::string readProcFile(const std::string& path);

}  // namespace velt::platform
