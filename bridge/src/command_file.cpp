#include "command_file.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace velt::bridge {

namespace {

bool writeAll(int descriptor, std::string_view text) {
    while (!text.empty()) {
        ssize_t done = write(descriptor, text.data(), text.size());
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        text.remove_prefix(static_cast<size_t>(done));
    }
    return true;
}

}  // namespace

bool writeCommandFile(const std::filesystem::path& file, std::string_view text) {
    std::string sibling = file.string() + ".XXXXXX";
    int descriptor = mkstemp(sibling.data());
    if (descriptor < 0) return false;
    bool written = writeAll(descriptor, text);
    written = close(descriptor) == 0 && written;
    if (written && std::rename(sibling.c_str(), file.c_str()) == 0) return true;
    unlink(sibling.c_str());
    return false;
}

}  // namespace velt::bridge
