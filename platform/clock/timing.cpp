#include "platform/clock/timing.h"

#include <algorithm>
#include <chrono>

namespace velt::platform {

int ManualTiming::at(int64_t ms, std::function<void()> callback) {
    int id = nextId_++;
    waiting_.push_back({id, ms, std::move(callback)});
    return id;
}

void ManualTiming::cancel(int id) {
    std::erase_if(waiting_, [id](const Waiting& w) { return w.id == id; });
}

void ManualTiming::advance(int64_t ms) {
    const int64_t target = clock_.nowMs() + std::max<int64_t>(ms, 0);
    for (;;) {
        auto next = std::min_element(waiting_.begin(), waiting_.end(),
                                     [](const Waiting& a, const Waiting& b) {
                                         return a.due < b.due || (a.due == b.due && a.id < b.id);
                                     });
        if (next == waiting_.end() || next->due > target) break;
        if (next->due > clock_.nowMs()) clock_.set(next->due);
        auto callback = std::move(next->callback);
        waiting_.erase(next);
        callback();
    }
    clock_.set(target);
}

ThreadTiming::ThreadTiming() : thread_([this] { run(); }) {}

ThreadTiming::~ThreadTiming() {
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

int ThreadTiming::at(int64_t ms, std::function<void()> callback) {
    int id = 0;
    {
        std::lock_guard lock(mutex_);
        id = nextId_++;
        waiting_.push_back({id, ms, std::move(callback)});
    }
    wake_.notify_all();
    return id;
}

void ThreadTiming::cancel(int id) {
    std::lock_guard lock(mutex_);
    std::erase_if(waiting_, [id](const Waiting& w) { return w.id == id; });
}

void ThreadTiming::run() {
    std::unique_lock lock(mutex_);
    while (!ending_) {
        auto next = std::min_element(waiting_.begin(), waiting_.end(),
                                     [](const Waiting& a, const Waiting& b) {
                                         return a.due < b.due || (a.due == b.due && a.id < b.id);
                                     });
        if (next == waiting_.end()) {
            wake_.wait(lock);
            continue;
        }
        const int64_t wait = next->due - clock_.nowMs();
        if (wait > 0) {
            wake_.wait_for(lock, std::chrono::milliseconds(wait));
            continue;
        }
        auto callback = std::move(next->callback);
        waiting_.erase(next);
        lock.unlock();
        callback();
        lock.lock();
    }
}

}  // namespace velt::platform
