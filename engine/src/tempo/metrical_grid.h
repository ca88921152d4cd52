// The metrical grid: M weighted points over one period of P tempo frames (a bar when the tempo is
// detected, a beat when it is given), fitted to the onsets.
//
// A grid starts as one point of weight 1. A split replaces every weight w by (2w, 1) (binary) or
// (2w, 1, 1) (ternary), so strong positions keep large weights and the newest subdivision has 1.
// The cell boundary after point i lies between it and the next point, nearer the weaker of the two.
//
// A phase j anchors the first onset on point j; every later onset moves the walk to the point
// whose cell holds it, re-anchoring on it. The phase scores how much weight the walk leaves behind
// per weight it passes; the best phase has the highest score, the stronger point on ties. Without
// onsets (or when the walk never moves) a phase scores 0, so phase 0, the downbeat, is chosen.
#pragma once

#include <cstdint>
#include <vector>

#include "tempo/beat_period.h"

namespace velt::engine {

class MetricalGrid {
  public:
    explicit MetricalGrid(int64_t period) : period_(period) {}

    void split(bool ternary);

    int64_t period() const { return period_; }
    int size() const { return static_cast<int>(weights_.size()); }
    const std::vector<int32_t>& weights() const { return weights_; }
    bool anyTernary() const { return anyTernary_; }
    bool lastSplitTernary() const { return lastSplitTernary_; }

    // Truncated boundary after each point, in frames from the start of the period.
    std::vector<int64_t> boundaries() const;

  private:
    int64_t period_;
    std::vector<int32_t> weights_{1};
    bool anyTernary_ = false;
    bool lastSplitTernary_ = false;
};

struct PhaseFit {
    int phase = 0;
    double score = 0;
    double weakFraction = 0;  // points of weight 1 reached / points reached
};

// Fit of one phase (0 ... size - 1).
PhaseFit ScorePhase(const MetricalGrid& grid, const std::vector<int32_t>& onsets, int phase);

// The best phase of the grid.
PhaseFit BestPhase(const MetricalGrid& grid, const std::vector<int32_t>& onsets);

// The grid after the finer levels are added, and its best phase.
struct RefinedGrid {
    MetricalGrid grid;
    PhaseFit fit;
};

// Automatic resolution: tries up to three finer levels below the unit period / size. A level is
// ternary when no ternary split was made yet and the histogram favours thirds of the unit over
// halves. Refinement stops at the first level whose weak fraction is small (0.125 binary, 0.167
// ternary): a binary level stays, a ternary one is replaced by a binary split of the grid before.
RefinedGrid RefineAutomatically(MetricalGrid grid, const std::vector<int32_t>& onsets,
                                const SmoothedHistogram& smoothed);

// Given resolution: `levels` more splits, the first ternary when triplets are asked for and no
// ternary split was made yet.
RefinedGrid RefineGiven(MetricalGrid grid, const std::vector<int32_t>& onsets, int levels,
                        bool triplets);

}  // namespace velt::engine
