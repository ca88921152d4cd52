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

// One frame of a file run, as the block loop runs it between command polls: the block at `at` is
// read, measured and decided into the ring, the ring goes through chord naming and the tracker
// when full, and `at` moves on to the next block (the loop ends at the geometry's end byte).
struct BlockPosition {
    int64_t byte = 0;  // file offset of the block
    double hop = 0;    // samples from the start point to the block, unrounded
};
BlockPosition FirstBlock();
void AnalyseBlock(BlockPosition& at);

// The process entry: arguments (program, project, status file, command file), banner, first
// status line, the run. Returns the exit status: 0, or 2 with a usage line for missing arguments.
int EngineMain(int argc, const char* const* argv);

}  // namespace velt::engine
