// Live runs: sound-card capture in place of the audio file and a MIDI output device in place of
// the MIDI file.
#pragma once

#include <cstdint>

namespace velt::engine {

// Opens wave input device number device and starts capture: 0, or a device error number
// (98: no byte position, 99: no capture buffer).
int OpenLiveInput(int device);
// Opens the MIDI output device (-1 = the default device): 0 or a device error number.
int OpenLiveOutput(int device);
// Sends part 0's program and pan to the output device.
void SendLivePartSetup();
// Samples of new audio a live frame waits for: 10 ms at 44.1 kHz.
constexpr int64_t kLiveFrameSamples = 441;
// Waits, sleeping, until at least `samples` samples have been captured since the last frame.
// When capture has ended it pauses for that much audio's time once and returns, so a run that
// goes on after its input ends does not spin either.
void WaitForLiveAudio(int64_t samples);
// The newest block of captured samples into the sample buffer; returns its peak.
int ReadLiveSamples();
// Sends program for part 0 at once (command 3).
void SendLiveProgram(int program);
// Finish: resets and closes what the run opened (closeOutput/closeInput say which).
void CloseLiveDevices(bool closeOutput, bool closeInput);

}  // namespace velt::engine
