// The decisions of tempo detection, from the settings and an onset list to the tempo, the metre,
// the chord resolution and the first downbeat. Pure: it reads no file and touches no run state.
//
// Flow:
// - Tempo given, numerator and ChordRes given: nothing to do.
// - Tempo given and numerator given: no scan; the grid is fitted with the given beat.
// - Otherwise the onsets are scanned. Fewer than two, or no period peak, end the run (9.36, 9.37)
//   when the tempo or the resolution has to be detected; else the numerator defaults to 4.
// - The beat period comes from the onset-distance histogram (folded into 60 ... 120 BPM), the
//   numerator from it when not given (or when a detected tempo meets a numerator without a bar
//   grid), then a bar grid (detected tempo) or a beat grid (given tempo) is fitted and refined.
// - With a detected tempo the start moves to the bar start before the first onset that fits the
//   grid best. A detected numerator becomes compound (N x 3 over 8) when the finest level added
//   was ternary and the resolution is automatic (-1).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "tempo/onset_scan.h"

namespace velt::engine {

struct TimingSettings {
    bool tempoDetect = true;
    double beatsPerSecond = 2;  // the project's tempo when it is not detected
    int numerator = 0;          // 0 = detect
    double resolution = -1;     // log2 of the note value per whole note; below 0 = automatic
    int chordRes = 0;           // 0 = from the numerator
};

struct TimingDecision {
    int finishType = 0;  // 0, or the outcome that ends the run (with finishDetail)
    int finishDetail = 0;
    bool changed = false;  // false: nothing was decided, the settings stand
    double beatsPerSecond = 0;
    int numerator = 0;
    int denominatorExp = -1;  // -1: keep the project's
    int chordRes = 0;
    bool startMoved = false;
    int64_t startFrame = 0;  // tempo frames from the first data sample; may be below 0

    // What the grid stage found, for the curious (tests, logs).
    int period = 0;  // tempo frames of the fitted period (bar or beat); 0 = no grid
    int gridPoints = 0;
    int bestPhase = 0;
    bool lastSplitTernary = false;
};

// scan is called at most once, only when the onsets are needed.
TimingDecision DecideTiming(const TimingSettings& settings,
                            const std::function<OnsetScanResult()>& scan);

}  // namespace velt::engine
