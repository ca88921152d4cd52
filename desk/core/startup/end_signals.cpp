#include "desk/core/startup/end_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>

#include "desk/core/global.h"
#include "desk/core/recognize.h"
#include "desk/core/run/bridge_loader.h"
#include "platform/process/process.h"

namespace velt::desk {

namespace {

namespace fs = std::filesystem;

constexpr int kEndSignals[] = {SIGTERM, SIGHUP, SIGINT};
// How long the main thread has to get to the ending before SIGALRM ends the program.
constexpr unsigned kEndingSeconds = 10;
// How long the decoder is given to go.
constexpr std::chrono::milliseconds kHelperWait{500};

// Process-wide by nature: a signal handler can reach nothing else. The write end of the pipe.
volatile std::sig_atomic_t signalPipe = -1;

extern "C" void onEndSignal(int signal) {
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    if (signalPipe >= 0) (void)!write(signalPipe, &number, 1);
    alarm(kEndingSeconds);
    errno = saved;
}

void setAction(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kEndSignals) sigaction(signal, &action, nullptr);
}

void removeQuietly(const std::string& path) {
    std::error_code ec;
    if (!path.empty()) fs::remove(path, ec);
}

// The process id in a working file's name "<stem><id><tail>" or "<stem><id>-<hex><tail>"; ""
// when the name is not of that shape.
std::string runOf(const std::string& name, const std::string& stem, const std::string& tail) {
    if (name.size() <= stem.size() + tail.size() || name.rfind(stem, 0) != 0 ||
        name.compare(name.size() - tail.size(), tail.size(), tail) != 0)
        return "";
    const std::string middle = name.substr(stem.size(), name.size() - stem.size() - tail.size());
    const size_t dash = middle.find('-');
    const std::string id = middle.substr(0, dash);
    const std::string job = dash == std::string::npos ? "0" : middle.substr(dash + 1);
    const auto digits = [](const std::string& text, const char* allowed) {
        return !text.empty() && text.find_first_not_of(allowed) == std::string::npos;
    };
    return digits(id, "0123456789") && digits(job, "0123456789abcdef") ? id : "";
}

}  // namespace

EndSignalWatch::EndSignalWatch() {
    if (pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return;
    signalPipe = pipe_[1];
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        unsigned char number = 0;
        if (read(pipe_[0], &number, 1) != 1) return;
        notifier_->setEnabled(false);
        EndHelpers();
        // A command-line run leaves its line in the log: whoever reads it learns the run stopped.
        if (G().BatchMode)
            AppendBatchLog(std::string("Conversion stopped: ") + sigdescr_np(number) + ".");
        // Ended by the signal itself, as without the handler: the exit status tells which.
        setAction(SIG_DFL);
        raise(number);
    });
    setAction(onEndSignal);
}

EndSignalWatch::~EndSignalWatch() {
    if (pipe_[1] < 0) return;
    setAction(SIG_DFL);
    signalPipe = -1;
    notifier_.reset();
    close(pipe_[0]);
    close(pipe_[1]);
}

void EndHelpers() {
    Global& g = G();
    if (g.HelperTask > 0) platform::terminate(static_cast<pid_t>(g.HelperTask), kHelperWait);
    g.HelperTask = 0;
    for (const std::string& file : g.HelperFiles) removeQuietly(file);
    g.HelperFiles.clear();
    // Ends the engine (as a cancel) and removes the exchange files; nothing when no run goes.
    if (const BridgeCalls* bridge = Bridge()) bridge->AbandonConvert();
    removeQuietly(g.TempProject);
    if (!g.TempFolder.empty()) removeQuietly(g.TempFolder + "/~temp.wav");
}

void RemoveLeftoverWorkingFiles() {
    const Global& g = G();
    if (g.TempFolder.empty()) return;
    const std::string own = std::to_string(getpid());
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(g.TempFolder, ec)) {
        const std::string name = entry.path().filename().string();
        std::string run = runOf(name, "~stat-", ".txt");
        if (run.empty()) run = runOf(name, "~temp.wav.~", "");
        if (!run.empty() && run != own) removeQuietly(entry.path().string());
    }
}

}  // namespace velt::desk
