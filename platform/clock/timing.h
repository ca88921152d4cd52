// Calls at clock times: how the multimedia devices (platform/mci) learn that a MIDI event is
// due, a recording buffer wants emptying or a playback may have ended. A program with an event
// loop installs a timing over its loop, so the callbacks run on its one thread; ManualTiming is
// the test double that runs them only when the test moves its clock; ThreadTiming runs them on a
// thread of its own for programs without an event loop.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/clock/clock.h"

namespace velt::platform {

class Timing {
  public:
    virtual ~Timing() = default;
    virtual const Clock& clock() const = 0;
    // Runs `callback` once at clock time `ms` (at once when that has passed); returns an id for
    // cancel(), never 0.
    virtual int at(int64_t ms, std::function<void()> callback) = 0;
    // Forgets a callback that has not run; unknown ids are ignored.
    virtual void cancel(int id) = 0;
};

// The test double: a ManualClock and the callbacks waiting for it.
class ManualTiming : public Timing {
  public:
    explicit ManualTiming(int64_t startMs = 0) : clock_(startMs) {}
    const Clock& clock() const override { return clock_; }
    int at(int64_t ms, std::function<void()> callback) override;
    void cancel(int id) override;
    // Moves the clock by `ms`, running every callback due on the way in time order (in order of
    // scheduling on a tie), with the clock set to each one's time while it runs.
    void advance(int64_t ms);
    int64_t nowMs() const { return clock_.nowMs(); }
    size_t pending() const { return waiting_.size(); }

  private:
    struct Waiting {
        int id;
        int64_t due;
        std::function<void()> callback;
    };
    ManualClock clock_;
    std::vector<Waiting> waiting_;
    int nextId_ = 1;
};

// Real time on a thread of its own; callbacks run on that thread, one at a time.
class ThreadTiming : public Timing {
  public:
    ThreadTiming();
    ~ThreadTiming() override;
    ThreadTiming(const ThreadTiming&) = delete;
    ThreadTiming& operator=(const ThreadTiming&) = delete;
    const Clock& clock() const override { return clock_; }
    int at(int64_t ms, std::function<void()> callback) override;
    void cancel(int id) override;

  private:
    struct Waiting {
        int id;
        int64_t due;
        std::function<void()> callback;
    };
    void run();
    SteadyClock clock_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<Waiting> waiting_;
    int nextId_ = 1;
    bool ending_ = false;
    std::thread thread_;
};

}  // namespace velt::platform
