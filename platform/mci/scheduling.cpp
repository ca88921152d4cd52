#include "platform/mci/scheduling.h"

namespace velt::platform::mci {

std::recursive_mutex& layerLock() {
    static std::recursive_mutex lock;
    return lock;
}

Alarm::~Alarm() {
    std::lock_guard lock(layerLock());
    cancel();
    alive_.reset();
}

void Alarm::at(int64_t ms, std::function<void()> callback) {
    cancel();
    int* slot = &id_;
    std::weak_ptr<int> alive = alive_;
    id_ = timing_.at(ms, [slot, alive, callback = std::move(callback)] {
        std::lock_guard lock(layerLock());
        if (alive.expired()) return;
        *slot = 0;
        callback();
    });
}

void Alarm::cancel() {
    if (id_ != 0) timing_.cancel(id_);
    id_ = 0;
}

}  // namespace velt::platform::mci
