// Live runs: sound-card capture in place of the audio file and a MIDI output device in place of
// the MIDI file. The devices and the frame buffer are in the LiveState the caller owns.
#pragma once

#include <cstdint>
#include <span>

#include "live/live_state.h"
#include "midi/note_mapping.h"

namespace velt::engine {

// Part 0 as the output device plays it.
struct LivePart {
    int channel = 0;  // MIDI channel, 0-based; -1 = no output (nothing is sent)
    int program = 0;  // GM program 0..127 (channel 9, the drums, always gets program 0)
};

// How the newest captured samples become a frame.
struct LiveFrameLayout {
    int blockLength = 0;    // samples per frame
    bool reversed = false;  // newest sample first (the instrument filter reads frames backwards)
};

// Samples of new audio a live frame waits for: 10 ms at 44.1 kHz.
constexpr int64_t kLiveFrameSamples = 441;

// Opens wave input device number device into live.input and starts capture: 0, or a device
// error number (98: no byte position, 99: no capture buffer).
int OpenLiveInput(LiveState& live, int device);
// Opens the MIDI output device (-1 = the default device) into live.output: 0 or a device error
// number.
int OpenLiveOutput(LiveState& live, int device);

// Sends the part's program and pan (centre) to the output device.
void SendLivePartSetup(const LiveState& live, const LivePart& part);
// Sends program for the part's channel at once (command 3).
void SendLiveProgram(const LiveState& live, const LivePart& part, int program);

// Sends one engine event (see MidiEventSink::emit) to the output device at once: note keys and
// velocities mapped as for the file, data bytes held to 0..127, delta consumed. File-only events
// (chord names, tempo) and events without a channel are not sent.
void SendLiveEvent(const LiveState& live, const NoteMappingParams& mapping, int& delta, int status,
                   int data1, int data2, int channel);

// Waits, sleeping, until at least `samples` samples have been captured since the last frame.
// When capture has ended it pauses for that much audio's time once and returns, so a run that
// goes on after its input ends does not spin either.
void WaitForLiveAudio(const LiveState& live, int64_t samples);

// Gives the frame buffer room for a whole frame of layout, so that reading a frame never grows it.
void ReserveLiveFrame(LiveState& live, const LiveFrameLayout& layout);

// The newest frame of captured samples into samples[1..blockLength] (samples[0] unused; samples
// holds at least blockLength + 1 values); returns its peak. Without capture: 0, samples as they
// were.
int ReadLiveSamples(LiveState& live, const LiveFrameLayout& layout, std::span<int> samples);

// Finish: resets and closes the output device, when open.
void CloseLiveOutput(LiveState& live);
// Finish: stops and closes the capture device, when open, and drops the frame buffer.
void CloseLiveInput(LiveState& live);

}  // namespace velt::engine
