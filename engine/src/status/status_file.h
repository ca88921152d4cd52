// The status file: the one line through which the engine reports progress and outcome.
// Format "%.3f %d %d %d %d %f %f %f %d %d %d %f %f %s", written with "." whatever the locale.
#pragma once

#include <string>

#include "run_state.h"

namespace velt::engine {

// The status value of an outcome: 100000 for success, -(type + detail / 1000) otherwise.
float OutcomeStatusValue(int type, int detail);

// Formats the line. The key of the note just started is moved to the nearest key when its bend
// is more than half a half step away (stored key and bend change with it, so the next line agrees).
std::string FormatStatusLine(StatusValues& status);

// Rewrites the status file of the run with the current values; an unopenable file is skipped.
void WriteStatus();

}  // namespace velt::engine
