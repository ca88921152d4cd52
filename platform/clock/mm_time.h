// The multimedia millisecond clock: timeGetTime reads the clock of the program's timing (the
// desktop program's runtime clock, so a test clock moves it), and timer periods, which ask the
// system for 1 ms resolution elsewhere, are balanced no-ops here: the clock is always precise.
#pragma once

#include <cstdint>

#include "platform/clock/clock.h"

namespace velt::platform {

// Selects the clock timeGetTime reads (not owned; nullptr: a steady clock of the process).
void useTimeClock(const Clock* clock);

// Milliseconds of the selected clock, wrapping at 2^32 as the classic function does.
uint32_t timeGetTime();

// Accept any period from 1 to 1000 ms and answer 0; other periods answer 97 (no such period).
// Each begin should be matched by an end; a count is kept so an unbalanced end is seen (97).
uint32_t timeBeginPeriod(uint32_t periodMs);
uint32_t timeEndPeriod(uint32_t periodMs);
// Begins not yet ended (tests check that a take leaves none behind).
int32_t timePeriodsOpen();

}  // namespace velt::platform
