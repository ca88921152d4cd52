#include "desk/core/project/tap_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace velt::desk {

std::string TapFileFor(const std::string& projectPath) {
    const std::string ext = ".vpr";
    if (projectPath.size() >= ext.size() &&
        projectPath.compare(projectPath.size() - ext.size(), ext.size(), ext) == 0)
        return projectPath.substr(0, projectPath.size() - ext.size()) + ".tt";
    return projectPath + ".tt";
}

TapRead ReadTapFile(const std::string& path) {
    TapRead read;
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) return read;
    std::ifstream in(path, std::ios::binary);
    if (!in) return read;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    read.found = true;
    size_t words = bytes.size() / 2;
    read.taps = bytes.substr(0, words * 2);
    double ms = 0;
    for (size_t i = 0; i < words; ++i) {
        unsigned word = static_cast<unsigned char>(bytes[2 * i]) |
                        (static_cast<unsigned>(static_cast<unsigned char>(bytes[2 * i + 1])) << 8);
        if (word == 0xFFFF) break;  // the engine reads nothing after this marker
        ms += word;
    }
    read.seconds = ms / 1000.0;
    return read;
}

PendingFile::~PendingFile() {
    if (!temp_.empty()) std::remove(temp_.c_str());
}

bool PendingFile::write(const std::string& path, const std::string& content, std::string& problem) {
    path_ = path;
    temp_ = path + ".~" + std::to_string(getpid());
    std::ofstream out(temp_, std::ios::binary | std::ios::trunc);
    if (!out) {
        problem = std::string(std::strerror(errno)) + " (" + path + ")";
        temp_.clear();  // nothing was created
        return false;
    }
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.flush();
    if (!out) {
        problem = std::string(std::strerror(errno)) + " (" + path + ")";
        return false;
    }
    return true;
}

bool PendingFile::commit(std::string& problem) {
    std::error_code ec;
    std::filesystem::rename(temp_, path_, ec);
    if (ec) {
        problem = ec.message() + " (" + path_ + ")";
        return false;
    }
    temp_.clear();
    return true;
}

}  // namespace velt::desk
