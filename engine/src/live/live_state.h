// State of a live run: the handles of the capture and MIDI output devices, and the frame buffer
// the newest samples are copied through. Tests choose the devices through the platform layer's
// useDevices (platform::wave_in, platform::midi_out).
#pragma once

#include <cstdint>
#include <vector>

namespace velt::engine {

constexpr size_t kCaptureSamples = 1323000;  // ring of 30 seconds at 44.1 kHz; capture goes on

struct LiveState {
    int32_t input = 0;   // capture handle, 0 = none
    int32_t output = 0;  // MIDI output handle, 0 = none
    size_t captureSamples = kCaptureSamples;
    std::vector<int16_t> frame;  // the newest samples of the current frame
    int64_t lastEnd = 0;         // captured-sample count where the previous frame ended
};

}  // namespace velt::engine
