// The milliseconds clock every "time now" read and every timer goes through. SteadyClock counts
// real time from its creation; ManualClock is the test double that moves only when told to.
#pragma once

#include <chrono>
#include <cstdint>

namespace velt::platform {

class Clock {
  public:
    virtual ~Clock() = default;
    virtual int64_t nowMs() const = 0;
};

class SteadyClock : public Clock {
  public:
    int64_t nowMs() const override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - start_)
            .count();
    }

  private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

class ManualClock : public Clock {
  public:
    explicit ManualClock(int64_t startMs = 0) : now_(startMs) {}
    int64_t nowMs() const override { return now_; }
    void set(int64_t ms) { now_ = ms; }
    void advance(int64_t ms) { now_ += ms; }

  private:
    int64_t now_;
};

}  // namespace velt::platform
