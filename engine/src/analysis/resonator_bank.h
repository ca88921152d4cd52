// The resonator bank: per-key Hann-windowed sine and cosine tables, the key energies of a frame
// and the fine pitch of a key. Built once per run from the key range, rate and reference pitch.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis_types.h"
#include "correlation_kernel.h"

namespace velt::engine {

// The samples of one frame as the correlation reads them: wide points at the first sample,
// planes holds the same samples split into byte planes (see correlation_kernel.h).
struct FrameView {
    const int32_t* wide = nullptr;
    SamplePlanes planes;
    int count = 0;
};

// A view of samples[1..] (element 0 precedes the window); buffer receives the planes.
FrameView viewFrame(const std::vector<int>& samples, std::vector<int16_t>& buffer);

// Energy of one window of one key over a frame: 4 x 127 x |(S, C)| / N. A full-scale sine at the
// key's pitch gives about 127.
double WindowEnergy(const ResonatorBank& bank, int key, int window, const FrameView& frame);

// The same through the plain loop; tests compare the fast path with it bit for bit.
double WindowEnergyReference(const ResonatorBank& bank, int key, int window,
                             const std::vector<int>& samples);

// KeyEnergy over the run's current frame buffer.
double KeyEnergy(int key, int window);

// The key's fine offset in semitones (-16/33 .. +16/33) from its three window energies.
double EstimateFinePitch(const ResonatorBank& bank, int key, double middleEnergy,
                         const FrameView& frame);
double EstimateFinePitch(int key, double middleEnergy);

}  // namespace velt::engine
