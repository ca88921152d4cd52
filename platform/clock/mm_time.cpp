#include "platform/clock/mm_time.h"

namespace velt::platform {

namespace {

constexpr uint32_t kNoCanDo = 97;  // the period cannot be had (or was never begun)

struct TimeState {
    const Clock* chosen = nullptr;
    SteadyClock steady;
    int32_t periods = 0;
};

TimeState& state() {
    static TimeState s;
    return s;
}

}  // namespace

void useTimeClock(const Clock* clock) {
    state().chosen = clock;
    state().periods = 0;
}

uint32_t timeGetTime() {
    const Clock& clock = state().chosen ? *state().chosen : state().steady;
    return static_cast<uint32_t>(static_cast<uint64_t>(clock.nowMs()));
}

uint32_t timeBeginPeriod(uint32_t periodMs) {
    if (periodMs < 1 || periodMs > 1000) return kNoCanDo;
    ++state().periods;
    return 0;
}

uint32_t timeEndPeriod(uint32_t periodMs) {
    if (periodMs < 1 || periodMs > 1000 || state().periods == 0) return kNoCanDo;
    --state().periods;
    return 0;
}

int32_t timePeriodsOpen() {
    return state().periods;
}

}  // namespace velt::platform
