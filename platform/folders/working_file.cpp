#include "platform/folders/working_file.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace velt::platform {

std::string workingFileName(const std::string& output, const void* owner) {
    char tag[48];
    std::snprintf(tag, sizeof tag, ".~%ld-%llx", static_cast<long>(getpid()),
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(owner)));
    return output + tag;
}

bool replaceableOutput(const std::string& output) {
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(output, ec);
    return !std::filesystem::exists(status) || std::filesystem::is_regular_file(status);
}

}  // namespace velt::platform
