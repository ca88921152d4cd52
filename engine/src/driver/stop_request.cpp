#include "driver/stop_request.h"

#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <initializer_list>

namespace velt::engine {

namespace {

// Process-wide by nature: a signal handler can reach nothing but a flag of this kind.
volatile std::sig_atomic_t terminateReceived = 0;
// The parent at the start; 0 while nothing is watched. A parent that is already init (or a
// subreaper) at the start can't be told from the next one, so the watch needs a real starter.
pid_t starter = 0;

extern "C" void onTerminate(int) {
    terminateReceived = 1;
}

}  // namespace

void WatchForStopRequests() {
    const pid_t parent = getppid();
    starter = parent > 1 ? parent : 0;
    struct sigaction action {};
    action.sa_handler = onTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    // An interrupt or hang-up that the starter set to be ignored stays ignored (nohup, a
    // background job of a shell).
    for (int signal : {SIGINT, SIGHUP}) {
        struct sigaction before {};
        if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
            sigaction(signal, &action, nullptr);
    }
}

bool StopRequested() {
    return terminateReceived != 0 || (starter != 0 && getppid() != starter);
}

}  // namespace velt::engine
