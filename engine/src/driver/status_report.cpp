#include "driver/status_report.h"

#include "driver/run_state.h"
#include "status/status_file.h"

namespace velt::engine {

void WriteStatus() {
    RunState& state = run();
    WriteStatusLine(state.files.status, state.status);
}

void WriteFinalStatus() {
    RunState& state = run();
    WriteFinalStatusLine(state.files.status, state.status);
}

}  // namespace velt::engine
