#include "platform/process/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>
#include <utility>

#include "platform/process/process_list.h"

namespace velt::platform {

namespace {

// The signals a child gets back at their default action, whatever the caller did with them.
constexpr int kDefaultSignals[] = {SIGPIPE, SIGINT, SIGQUIT, SIGHUP, SIGTERM, SIGCHLD};

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
        for (int signal : kDefaultSignals) sigaddset(&defaults, signal);
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

// Sends errno down the report pipe and ends the child: only async-signal-safe calls.
[[noreturn]] void failChild(int report) {
    const int error = errno;
    (void)!write(report, &error, sizeof error);
    _exit(127);
}

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

// The exec argument vector: pointers into `programText` and `arguments`, which must outlive it.
// A program always gets at least its own name as argv[0].
std::vector<char*> argumentVector(std::string& programText,
                                  const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    if (arguments.empty()) argv.push_back(programText.data());
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    return argv;
}

}  // namespace

std::optional<pid_t> startDetached(const std::filesystem::path& program,
                                   const std::vector<std::string>& arguments,
                                   std::string* problem) {
    std::string programText = program.string();
    std::vector<char*> argv = argumentVector(programText, arguments);

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

std::optional<pid_t> startBoundChild(const std::filesystem::path& program,
                                     const std::vector<std::string>& arguments, int signal,
                                     std::string* problem, int* output) {
    // Everything the child needs is made before the fork: after it, in a program with threads,
    // only async-signal-safe calls are allowed.
    std::string programText = program.string();
    std::vector<char*> argv = argumentVector(programText, arguments);
    auto fail = [&](int error) -> std::optional<pid_t> {
        if (problem != nullptr) *problem = programText + ": " + std::strerror(error);
        return std::nullopt;
    };
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return fail(errno);
    int said[2] = {-1, -1};  // the child's standard output, when the caller reads it
    if (output != nullptr && pipe2(said, O_CLOEXEC) != 0) {
        const int error = errno;
        close(report[0]);
        close(report[1]);
        return fail(error);
    }
    auto closeSaid = [&said] {
        for (int& end : said) {
            if (end >= 0) close(end);
            end = -1;
        }
    };
    const pid_t caller = getpid();

    const pid_t child = fork();
    if (child < 0) {
        const int error = errno;
        close(report[0]);
        close(report[1]);
        closeSaid();
        return fail(error);
    }
    if (child == 0) {
        setsid();
        struct sigaction byDefault {};
        byDefault.sa_handler = SIG_DFL;
        sigemptyset(&byDefault.sa_mask);
        for (int s : kDefaultSignals) sigaction(s, &byDefault, nullptr);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        // The death signal is set first, then the parent checked: a caller that ended in between
        // left us to another parent and would never send it.
        if (prctl(PR_SET_PDEATHSIG, signal) != 0) failChild(report[1]);
        if (getppid() != caller) _exit(127);
        const int in = open("/dev/null", O_RDONLY);
        const int out = said[1] >= 0 ? said[1] : open("/dev/null", O_WRONLY);
        if (in < 0 || out < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0) failChild(report[1]);
        // Every other file of the caller closes at the exec, the report pipe with them.
        if (close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) failChild(report[1]);
        execve(programText.c_str(), argv.data(), environ);
        failChild(report[1]);
    }
    close(report[1]);
    if (said[1] >= 0) close(std::exchange(said[1], -1));
    int error = 0;
    ssize_t got;
    do {
        got = read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    if (got == 0) {  // the pipe closed at a successful exec
        if (output != nullptr) {
            fcntl(said[0], F_SETFL, fcntl(said[0], F_GETFL) | O_NONBLOCK);
            *output = std::exchange(said[0], -1);
        }
        return child;
    }
    closeSaid();
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return fail(got == static_cast<ssize_t>(sizeof error) ? error : ECHILD);
}

bool isAlive(pid_t pid) {
    int ignored = 0;
    return isAlive(pid, ignored);
}

bool isAlive(pid_t pid, int& waitStatus) {
    if (pid <= 0) return false;
    int status = 0;
    pid_t reaped = waitpid(pid, &status, WNOHANG);
    if (reaped == pid) {  // our child ended just now; its exit is collected
        waitStatus = status;
        return false;
    }
    if (reaped == 0) return true;  // our child, still running
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
