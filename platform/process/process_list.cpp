#include "platform/process/process_list.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <filesystem>

namespace velt::platform {

namespace {

// The arguments of a process, read from /proc/<pid>/cmdline (NUL-separated).
std::vector<std::string> argumentsOf(const std::string& procFolder) {
    const std::string text = readProcFile(procFolder + "/cmdline");
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

std::string readProcFile(const std::string& path) {
    std::string text;
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return text;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(descriptor, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        text.append(buffer, static_cast<size_t>(got));
    }
    close(descriptor);
    return text;
}

std::vector<pid_t> processesWithArguments(const std::string& first, const std::string& second) {
    std::vector<pid_t> found;
    std::error_code ec;
    std::filesystem::directory_iterator entries("/proc", ec);
    const uid_t me = geteuid();
    const std::string self = std::to_string(getpid());
    // Entries come and go while the folder is read: every step takes an error code, none throws.
    for (; !ec && entries != std::filesystem::directory_iterator(); entries.increment(ec)) {
        const std::string name = entries->path().filename().string();
        if (!allDigits(name) || name.size() > 9 || name == self) continue;
        struct stat info {};
        const std::string folder = "/proc/" + name;
        if (stat(folder.c_str(), &info) != 0 || info.st_uid != me) continue;
        const pid_t pid = static_cast<pid_t>(std::stoi(name));
        const std::vector<std::string> arguments = argumentsOf(folder);
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
