// What a worker thread shares with the component that started it, for components whose workers
// may block in the system (a read of a stalled drive or mount). The component's thread never
// waits for such a worker for long: it asks it to stop, waits a bounded time, and a worker still
// blocked is left to end on its own. The worker holds the job (and whatever else it uses) to its
// end, so nothing it touches goes away under it, whatever became of the component.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace velt::platform::outside {

// How long a stop waits for a worker before leaving it to end on its own.
constexpr std::chrono::milliseconds kStopWait{250};

struct WorkerJob {
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable ended;
    bool finished = false;  // under `mutex`: the worker has done all it will do

    // Marks the job finished; the caller holds `mutex`.
    void finishLocked() {
        finished = true;
        ended.notify_all();
    }
    bool isFinished() {
        std::lock_guard lock(mutex);
        return finished;
    }
};

// Sets the job's stop and waits at most kStopWait for it to finish: a worker that finished is
// joined, one that has not is detached. True when it finished.
bool stopWorker(WorkerJob& job, std::thread& worker);

}  // namespace velt::platform::outside
