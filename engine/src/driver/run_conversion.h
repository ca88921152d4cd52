// The run driver: set-up, the block loop over the audio file (or the live frame loop), command
// polling and progress reporting. Every run ends in FinishRun, whose outcome comes back here.
#pragma once

#include <string>

#include "driver/run_state.h"

namespace velt::engine {

// Reads the project, sets the run up, analyses the audio and finishes. Returns the outcome
// (the final status line has been written by then).
RunOutcome RunConversion(const std::string& projectPath);

// The parts of a run, for tests that drive them in-process (each may end the run by throwing the
// RunOutcome from FinishRun; a stage that fails inside them ends the run there).
void SetUpAnalysis();  // after ReadProject: buffers, normaliser, MIDI file, start events
void RunBlockLoop();   // file runs: every block from the start point to the end point
void RunLiveLoop();    // live runs: one frame of the newest input after another, until a cancel
void PollCommandFile();

// The process entry: arguments (program, project, status file, command file), banner, first
// status line, the run. Returns the exit status: 0, or 2 with a usage line for missing arguments.
int EngineMain(int argc, const char* const* argv);

}  // namespace velt::engine
