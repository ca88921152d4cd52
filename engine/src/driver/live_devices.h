// The live devices of a live run: the run-state entries the driver calls and the adapters that
// map the run state to the live stage's parameters.
#pragma once

#include <cstdint>

#include "live/live_io.h"

namespace velt::engine {

struct RunState;

// Part 0 from the run's geometry.
LivePart LivePartOf(const RunState& state);
// The frame's length and direction from the run's geometry.
LiveFrameLayout LiveFrameLayoutOf(const RunState& state);

// Opens the capture device into the run's live state (see OpenLiveInput(LiveState&, int)).
int OpenLiveInput(int device);
// Opens the MIDI output device and makes it the run's event sink: 0 or a device error number.
int OpenLiveOutput(int device);
// Sends part 0's program and pan to the output device.
void SendLivePartSetup();
// Sends program for part 0 at once (command 3).
void SendLiveProgram(int program);
// Waits for `samples` new captured samples (see WaitForLiveAudio(const LiveState&, int64_t)).
void WaitForLiveAudio(int64_t samples);
// The newest block of captured samples into the run's sample buffer; returns its peak.
int ReadLiveSamples();

}  // namespace velt::engine
