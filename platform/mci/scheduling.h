// Callbacks of the devices on the layer's timing, serialised with the command strings by one
// lock (a timing of its own runs callbacks on its own thread), and cancelled by the owner.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/clock/timing.h"

namespace velt::platform::mci {

// The lock every command string and every device callback holds.
std::recursive_mutex& layerLock();

// One pending callback at a time: a new one replaces the old, and the owner's destruction
// cancels it.
class Alarm {
  public:
    explicit Alarm(Timing& timing) : timing_(timing), alive_(std::make_shared<int>(0)) {}
    ~Alarm();
    Alarm(const Alarm&) = delete;
    Alarm& operator=(const Alarm&) = delete;

    void at(int64_t ms, std::function<void()> callback);
    void cancel();
    bool pending() const { return id_ != 0; }
    int64_t now() const { return timing_.clock().nowMs(); }

  private:
    Timing& timing_;
    int id_ = 0;
    // Callbacks hold it weakly: one that was already on its way when the alarm went does nothing.
    std::shared_ptr<int> alive_;
};

}  // namespace velt::platform::mci
