#include "platform/process/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/process/process_list.h"

namespace velt::platform {

namespace {

// posix_spawn's attribute and file-action objects, released on every path.
class SpawnSetup {
  public:
    SpawnSetup() {
        attributesReady_ = posix_spawnattr_init(&attributes_) == 0;
        actionsReady_ = posix_spawn_file_actions_init(&actions_) == 0;
    }
    ~SpawnSetup() {
        if (attributesReady_) posix_spawnattr_destroy(&attributes_);
        if (actionsReady_) posix_spawn_file_actions_destroy(&actions_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    // New session, an empty signal mask and default actions for the signals a caller may have
    // set to ignore; standard input and output on /dev/null; the caller's other files closed.
    int prepare() {
        if (!attributesReady_ || !actionsReady_) return ENOMEM;
        sigset_t none;
        sigemptyset(&none);
        sigset_t defaults;
        sigemptyset(&defaults);
        for (int signal : {SIGPIPE, SIGINT, SIGQUIT, SIGHUP, SIGTERM, SIGCHLD})
            sigaddset(&defaults, signal);
        int error = posix_spawnattr_setflags(
            &attributes_, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        if (error == 0) error = posix_spawnattr_setsigmask(&attributes_, &none);
        if (error == 0) error = posix_spawnattr_setsigdefault(&attributes_, &defaults);
        if (error == 0)
            error = posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0);
        if (error == 0)
            error = posix_spawn_file_actions_addopen(&actions_, 1, "/dev/null", O_WRONLY, 0);
        if (error == 0) error = posix_spawn_file_actions_addclosefrom_np(&actions_, 3);
        return error;
    }

    const posix_spawnattr_t* attributes() const { return &attributes_; }
    const posix_spawn_file_actions_t* actions() const { return &actions_; }

  private:
    posix_spawnattr_t attributes_{};
    posix_spawn_file_actions_t actions_{};
    bool attributesReady_ = false;
    bool actionsReady_ = false;
};

// The state letter of a process in /proc/<pid>/stat ('R', 'S', 'T', 'Z', ...), 0 when gone.
char processState(pid_t pid) {
    const std::string text = readProcFile("/proc/" + std::to_string(pid) + "/stat");
    size_t end = text.rfind(')');  // the program name in parentheses may hold anything
    return end == std::string::npos || end + 2 >= text.size() ? 0 : text[end + 2];
}

// True once the process runs no more: a child of ours is collected; another's zombie counts.
bool hasEnded(pid_t pid) {
    int status = 0;
    pid_t reaped = waitpid(pid, &status, WNOHANG);
    if (reaped == pid) return true;
    if (reaped == 0) return false;
    if (kill(pid, 0) != 0 && errno == ESRCH) return true;
    char state = processState(pid);
    return state == 0 || state == 'Z' || state == 'X';
}

// Polls until the process has ended or the time is up.
bool waitForEnd(pid_t pid, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (hasEnded(pid)) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace

std::optional<pid_t> startDetached(const std::filesystem::path& program,
                                   const std::vector<std::string>& arguments,
                                   std::string* problem) {
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    std::string programText = program.string();
    // A program always gets at least its own name as argv[0].
    if (arguments.empty()) argv.push_back(programText.data());
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    SpawnSetup setup;
    int error = setup.prepare();
    pid_t pid = -1;
    if (error == 0)
        error = posix_spawn(&pid, programText.c_str(), setup.actions(), setup.attributes(),
                            argv.data(), environ);
    if (error != 0) {
        if (problem != nullptr) *problem = programText + ": " + std::strerror(error);
        return std::nullopt;
    }
    return pid;
}

bool isAlive(pid_t pid) {
    if (pid <= 0) return false;
    int status = 0;
    pid_t reaped = waitpid(pid, &status, WNOHANG);
    if (reaped == pid) return false;  // our child ended just now; its exit is collected
    if (reaped == 0) return true;     // our child, still running
    // Not our child (or its exit is collected elsewhere): ask the kernel whether it exists.
    return kill(pid, 0) == 0 || errno == EPERM;
}

bool terminate(pid_t pid, std::chrono::milliseconds grace) {
    if (pid <= 0) return false;
    if (hasEnded(pid)) return true;
    kill(pid, SIGTERM);
    kill(pid, SIGCONT);
    if (waitForEnd(pid, grace)) return true;
    kill(pid, SIGKILL);
    return waitForEnd(pid, grace);
}

}  // namespace velt::platform
