// Project reading and run set-up: the project's keys are read and settled (project/), the run
// becomes pitched, drum (single-key mode) or live, the audio input and the live devices are
// opened, the tempo is detected when the project leaves it open, and the analysis geometry and
// the key mask are derived into the run state.
#pragma once

#include <string>

namespace velt::engine {

// Reads the project and sets the run up. Every failure ends the run through FinishRun
// (3.8 project not opened; the audio reader's, the live devices' and the timing checks' codes).
void ReadProject(const std::string& projectPath);

}  // namespace velt::engine
