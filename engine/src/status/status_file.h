// The status file: the one line through which the engine reports progress and outcome.
// Format "%.3f %d %d %d %d %f %f %f %d %d %d %f %f %s", written with "." whatever the locale.
#pragma once

#include <string>

#include "driver/run_state.h"

namespace velt::engine {

// The status value of an outcome: 100000 for success, -(type + detail / 1000) otherwise.
float OutcomeStatusValue(int type, int detail);

// Formats the line. The key of the note just started is shown as the nearest key when its bend is
// more than half a half step away. Only the line shows the moved key: the tracker keeps its own
// key, so it can still clear it when the note ends, and every later line shows the same note.
std::string FormatStatusLine(const StatusValues& status);

// Rewrites the status file of the run with the current values; an unopenable file is skipped.
// The first write creates the file whole (written beside it and renamed over it); later writes
// rewrite the open file in place with one write of the line padded with blanks to the file's
// length, so the file never holds a shorter line's stale tail and each write stays cheap.
void WriteStatus();

// The run's last line: the file is replaced whole by exactly the line (no padding).
void WriteFinalStatus();

}  // namespace velt::engine
