// The resonator bank: per-key Hann-windowed sine and cosine tables, the key energies of a frame
// and the fine pitch of a key. Built once per run from the key range, rate and reference pitch.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "analysis_types.h"
#include "correlation_kernel.h"

namespace velt::engine {

// What the bank is built from.
struct BankParams {
    double sampleRate = 44100;         // Hz
    double referencePitch = 440;       // Hz of key 69
    int lowKey = 0;                    // lowest analysed key (the bank starts one below)
    int keyMin = 0;                    // lowest key of the range: minimum lengths from here
    int keyMax = kKeyCount - 1;        // highest key of the range (the bank ends one above)
    int topKey = kKeyCount - 1;        // highest tracked key: minimum lengths up to here
    bool singleLine = false;           // a single line also measures up to two octaves above keyMax
    bool singleKeyMode = false;        // drums: periods only, no tables
    bool liveRun = false;              // live: minimum lengths in live frames (see below)
    double hopSamples = 44100 / 64.0;  // samples per frame
    int minimumLength = 6;             // frames: the minimum length of live and single-key runs
    // A live run that keeps a file run's note lengths (the single line): the frame hop of a file
    // run of the same project and the samples of a live frame. Each key's shortest note then
    // spans as much audio as in that file run; with either 0 every key has minimumLength.
    double fileRunHop = 0;
    double liveFrameSamples = 0;
};

// Builds the bank into `bank`. Returns 0, or the detail of the out-of-memory outcome when a table
// could not be had (the bank is then incomplete).
int BuildBank(const BankParams& params, ResonatorBank& bank);

// The key distance of harmonic i (index 1..11; index 0 stays 0) that the decisions walk.
std::array<int, 12> HarmonicOffsetTable();

// The live frames in a row that span the audio of a file run's shortest note of a key whose
// middle window is windowLength samples: that run's n = max(6, window / hop + 1) frames in a row
// span n - 1 hops of fileRunHop samples; so many live frames span at least as many samples in
// steps of liveFrameSamples. 0 when either frame size is not above 0.
int LiveMinimumFrames(int windowLength, double fileRunHop, double liveFrameSamples);

// The shortest note of a key in frames (its record's minFrames); 0 for a key outside the bank's
// records. The finish's silent tail is measured on KeyMin's.
int ShortestNoteFrames(const ResonatorBank& bank, int key);

// The samples of one frame as the correlation reads them: wide points at the first sample,
// planes holds the same samples split into byte planes (see correlation_kernel.h).
struct FrameView {
    const int32_t* wide = nullptr;
    SamplePlanes planes;
    int count = 0;
};

// A view of samples[1..] (element 0 precedes the window); buffer receives the planes.
FrameView viewFrame(const std::vector<int>& samples, std::vector<int16_t>& buffer);
// Gives buffer room for the planes of any frame of samples' size, so that viewFrame never grows
// it on the frame path (out of memory throws std::bad_alloc).
void ReserveFramePlanes(const std::vector<int>& samples, std::vector<int16_t>& buffer);

// Energy of one window of one key over a frame: 4 x 127 x |(S, C)| / N. A full-scale sine at the
// key's pitch gives about 127.
double WindowEnergy(const ResonatorBank& bank, int key, int window, const FrameView& frame);

// The same through the plain loop; tests compare the fast path with it bit for bit.
double WindowEnergyReference(const ResonatorBank& bank, int key, int window,
                             const std::vector<int>& samples);

// The key's fine offset in semitones (-16/33 .. +16/33) from its three window energies.
double EstimateFinePitch(const ResonatorBank& bank, int key, double middleEnergy,
                         const FrameView& frame);

}  // namespace velt::engine
