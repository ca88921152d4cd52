#include "platform/process/process_list.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace velt::platform {

namespace {

// The arguments of a process, read from /proc/<pid>/cmdline (NUL-separated).
std::vector<std::string> argumentsOf(const std::string& procFolder) {
    std::ifstream in(procFolder + "/cmdline", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> arguments;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\0', start);
        if (end == std::string::npos) end = text.size();
        arguments.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return arguments;
}

bool allDigits(const std::string& name) {
    if (name.empty()) return false;
    for (char c : name)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

}  // namespace

std::vector<pid_t> processesWithArguments(const std::string& first, const std::string& second) {
    std::vector<pid_t> found;
    std::error_code ec;
    std::filesystem::directory_iterator entries("/proc", ec);
    if (ec) return found;
    const uid_t me = geteuid();
    const pid_t self = getpid();
    for (const auto& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (!allDigits(name)) continue;
        const pid_t pid = static_cast<pid_t>(std::stol(name));
        struct stat info {};
        if (pid == self || stat(entry.path().c_str(), &info) != 0 || info.st_uid != me) continue;
        const std::vector<std::string> arguments = argumentsOf(entry.path().string());
        for (size_t i = 0; i + 1 < arguments.size(); ++i) {
            if (arguments[i] == first && arguments[i + 1] == second) {
                found.push_back(pid);
                break;
            }
        }
    }
    return found;
}

}  // namespace velt::platform
