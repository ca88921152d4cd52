// The run's status line: the run-state entries of the status file the driver calls.
#pragma once

namespace velt::engine {

// Rewrites the run's status file with the run's status values (see WriteStatusLine).
void WriteStatus();

// The run's last line: the file is replaced whole by exactly the line (see WriteFinalStatusLine).
void WriteFinalStatus();

}  // namespace velt::engine
