#include "platform/shell/shell.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

extern char** environ;

namespace velt::platform {

namespace {

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool hasScheme(const std::string& target) {
    size_t colon = target.find("://");
    if (colon == std::string::npos || colon == 0) return false;
    for (size_t i = 0; i < colon; ++i) {
        char c = target[i];
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string FindProgram(const std::string& name) {
    if (name.empty()) return "";
    if (name.find('/') != std::string::npos) return isExecutableFile(name) ? name : "";
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
        std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        if (isExecutableFile(candidate)) return candidate;
        start = end + 1;
    }
    return "";
}

bool launchDetached(const std::vector<std::string>& argv, const std::string& workingFolder) {
    if (argv.empty() || argv[0].empty()) return false;
    std::string program = FindProgram(argv[0]);
    if (program.empty()) return false;

    // Everything the children need is built before fork: only async-signal-safe calls follow.
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return false;

    pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        // The intermediate child starts the program and exits at once, so the program is
        // adopted by init and never becomes our zombie.
        setsid();
        pid_t grandchild = fork();
        if (grandchild != 0) _exit(grandchild < 0 ? 1 : 0);
        int devnull = open("/dev/null", O_RDONLY);
        if (devnull >= 0) dup2(devnull, 0);
        if (!workingFolder.empty() && chdir(workingFolder.c_str()) != 0) {
            int err = errno;
            (void)!write(report[1], &err, sizeof err);
            _exit(127);
        }
        execve(program.c_str(), args.data(), environ);
        int err = errno;
        (void)!write(report[1], &err, sizeof err);
        _exit(127);
    }
    close(report[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int err = 0;
    ssize_t got;
    do {
        got = read(report[0], &err, sizeof err);
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    // The pipe closes on a successful exec: nothing read means the program runs.
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && got == 0;
}

bool SystemShell::openDocument(const std::string& target) {
    if (target.empty()) return false;
    if (!hasScheme(target) && !std::filesystem::exists(target)) return false;
    return launchDetached({"xdg-open", target});
}

bool SystemShell::startProgram(const std::vector<std::string>& arguments, WindowStyle,
                               const std::string& workingFolder) {
    return launchDetached(arguments, workingFolder);
}

bool RecordingShell::openDocument(const std::string& target) {
    calls.push_back({Call::Kind::OpenDocument, target, {}, WindowStyle::Normal, ""});
    return result;
}

bool RecordingShell::startProgram(const std::vector<std::string>& arguments, WindowStyle style,
                                  const std::string& workingFolder) {
    calls.push_back({Call::Kind::StartProgram, "", arguments, style, workingFolder});
    return result;
}

}  // namespace velt::platform
