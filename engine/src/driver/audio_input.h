// The audio input of a file run: the run-state entries the driver calls and the adapters that map
// the run state to the audio stage's parameters.
#pragma once

#include <cstdint>

#include "audio/block_reader.h"

namespace velt::engine {

struct RunState;
class RunSetUp;

// Where the run's samples lie and how long a block is, from its geometry and stereo balance.
BlockLayout BlockLayoutOf(const RunState& state);
// The run's scaling: input threshold, compressor switch, normaliser.
BlockScaling BlockScalingOf(const RunState& state);

// Opens the project's audio file for the run and reads its header into the run's geometry.
// Throws StageFailure 3.15 (not opened), 2.16, 4.43, 4.17 or 4.18. Returns true for a RIFF file.
bool ReadWaveHeader(RunSetUp& setUp);

// Reads the block at byte position of the run's audio file into the run's sample buffer, scales
// it and returns its peak before scaling (see ReadFileBlock, ScaleBlock).
int ReadBlock(int64_t position);

// A live run's block: the newest captured samples into the run's sample buffer, scaled only by
// the compressor; returns the peak before scaling.
int ReadLiveBlock();

// The normaliser of the run's analysed range (see NormaliserGain).
double RunNormaliserGain();

}  // namespace velt::engine
