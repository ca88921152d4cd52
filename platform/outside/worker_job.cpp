#include "platform/outside/worker_job.h"

namespace velt::platform::outside {

bool stopWorker(WorkerJob& job, std::thread& worker) {
    bool finished = false;
    {
        std::unique_lock lock(job.mutex);
        job.stop = true;
        finished = job.ended.wait_for(lock, kStopWait, [&job] { return job.finished; });
    }
    if (worker.joinable()) {
        if (finished) {
            worker.join();
        } else {
            worker.detach();
        }
    }
    return finished;
}

}  // namespace velt::platform::outside
