// Timers, "let queued events run" and waits, over the runtime's clock. With the real clock, Qt
// timers drive the ticks. With the test clock nothing fires until a test advances the clock;
// advance() then walks through every due time in order, setting the clock to it before the
// handler runs.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace velt::ui {

class Timer;

class Scheduler {
  public:
    static Scheduler& instance();

    // Test clock only: timers register while they run.
    void add(Timer* t);
    void remove(Timer* t);

    // A callback at a clock time (device doubles' notifications); returns an id for cancel().
    int postAt(int64_t timeMs, std::function<void()> callback);
    void cancel(int id);

    // Moves the test clock by `ms`, firing every due timer and callback in order.
    void advance(int64_t ms);
    // Forgets every timer and callback (a test ends).
    void reset();

  private:
    struct Posted {
        int id;
        int64_t due;
        std::function<void()> callback;
    };
    std::vector<Timer*> timers_;
    std::vector<Posted> posted_;
    int nextId_ = 1;
};

// Puts the multimedia layer (platform/mci) and the multimedia millisecond clock on the runtime:
// device callbacks run as posted callbacks of the event loop, timeGetTime reads the runtime's
// clock (the test clock while a test script runs). Done once, when the runtime starts.
void connectMultimediaToRuntime();

// Processes everything pending (input, paints, posted notifications, timer ticks due now).
void DoEvents();
// Lets events run until the clock has moved `ms` (under the test clock: advances it).
void WaitFor(int64_t ms);

}  // namespace velt::ui
