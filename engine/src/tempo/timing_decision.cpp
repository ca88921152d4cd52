#include "tempo/timing_decision.h"

#include <cmath>

#include "run_outcomes.h"
#include "tempo/beat_period.h"
#include "tempo/metre.h"
#include "tempo/metrical_grid.h"
#include "tempo/start_alignment.h"

namespace velt::engine {

namespace {

// Too little to go on: an error when the tempo or the resolution must come from the audio (the
// grid of an automatic resolution is fitted to the onsets), otherwise a 4/4 bar with the
// project's tempo and resolution.
TimingDecision withoutEvidence(const TimingSettings& settings, int detail) {
    TimingDecision decision;
    if (settings.tempoDetect || settings.resolution < 0) {
        decision.finishType = kTooLittleForTiming;
        decision.finishDetail = detail;
        return decision;
    }
    decision.changed = true;
    decision.beatsPerSecond = settings.beatsPerSecond;
    decision.numerator = settings.numerator != 0 ? settings.numerator : 4;
    decision.chordRes = SettleChordRes(settings.chordRes, decision.numerator);
    return decision;
}

RefinedGrid fitGrid(const MetricalGrid& grid, const std::vector<int32_t>& onsets,
                    const SmoothedHistogram& smoothed, double resolution) {
    // The levels are counted in floating point: a resolution of any size chooses, and only a
    // count of 0 ... 3 becomes an integer.
    const double levels = std::trunc(resolution) - 2;
    if (resolution >= 0 && levels >= 0 && levels <= 3) {
        const bool triplets = resolution != std::trunc(resolution);
        return RefineGiven(grid, onsets, static_cast<int>(levels), triplets);
    }
    return RefineAutomatically(grid, onsets, smoothed);
}

}  // namespace

TimingDecision DecideTiming(const TimingSettings& settings,
                            const std::function<OnsetScanResult()>& scan) {
    TimingDecision decision;
    if (!settings.tempoDetect && settings.chordRes != 0 && settings.numerator != 0) {
        return decision;
    }

    int numerator = settings.numerator;
    bool numeratorDetected = false;
    std::vector<int32_t> onsets;
    SmoothedHistogram smoothed;
    int beatPeriod = 0;

    if (settings.tempoDetect || numerator == 0) {
        OnsetScanResult scanned = scan();
        if (scanned.failure != 0) {
            decision.finishType = kFileReadFailed;
            decision.finishDetail = scanned.failure;
            return decision;
        }
        onsets = std::move(scanned.onsets);
        if (onsets.size() < 2) return withoutEvidence(settings, outcome::kTooFewOnsets.detail);

        smoothed = SmoothedHistogram(OnsetDistanceHistogram(onsets));
        beatPeriod = smoothed.peakPeriod();
        if (beatPeriod == 0) return withoutEvidence(settings, outcome::kNoBeatPeriod.detail);
        beatPeriod = FoldPeriod(beatPeriod);

        if (numerator == 0 || (settings.tempoDetect && !IsGridNumerator(numerator))) {
            numerator = DetectNumerator(smoothed, beatPeriod);
            numeratorDetected = true;
        }
    }

    // The grid covers a bar when the tempo is detected, a beat when it is given.
    int64_t period;
    MetricalGrid base(0);
    if (settings.tempoDetect) {
        period = static_cast<int64_t>(beatPeriod) * numerator;
        base = MetricalGrid(period);
        const BarSplits splits = BarSplitsFor(numerator);
        for (int level = 0; level < splits.levels; ++level) {
            base.split(level == 0 && splits.firstTernary);
        }
    } else {
        // The set-up never passes a tempo of 0 here; keep the grid sane even so.
        const double beat = kTempoFrameRate / settings.beatsPerSecond;
        period = beat >= 1 && beat < 1e9 ? static_cast<int64_t>(std::trunc(beat)) : 1;
        base = MetricalGrid(period);
    }
    const RefinedGrid fitted = fitGrid(base, onsets, smoothed, settings.resolution);

    decision.changed = true;
    decision.numerator = numerator;
    decision.chordRes = SettleChordRes(settings.chordRes, numerator);
    decision.beatsPerSecond = settings.beatsPerSecond;
    decision.period = static_cast<int>(period);
    decision.gridPoints = fitted.grid.size();
    decision.bestPhase = fitted.fit.phase;
    decision.lastSplitTernary = fitted.grid.lastSplitTernary();

    if (settings.tempoDetect) {
        decision.beatsPerSecond = static_cast<double>(kTempoFrameRate) * numerator / period;
        const int points = fitted.grid.size();
        const int64_t start = AlignStart(onsets, static_cast<double>(period) / points);
        decision.startMoved = true;
        decision.startFrame = start - (period / points) * fitted.fit.phase;
    }

    if (numeratorDetected) {
        decision.denominatorExp = 2;
        if (fitted.grid.lastSplitTernary() && settings.resolution == -1) {
            decision.numerator = numerator * 3;
            decision.denominatorExp = 3;
        }
    }
    return decision;
}

}  // namespace velt::engine
