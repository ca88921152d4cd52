#include "tempo/metrical_grid.h"

#include <cmath>

namespace velt::engine {

void MetricalGrid::split(bool ternary) {
    std::vector<int32_t> finer;
    finer.reserve(weights_.size() * (ternary ? 3 : 2));
    for (int32_t weight : weights_) {
        finer.push_back(2 * weight);
        finer.push_back(1);
        if (ternary) finer.push_back(1);
    }
    weights_ = std::move(finer);
    anyTernary_ = anyTernary_ || ternary;
    lastSplitTernary_ = ternary;
}

std::vector<int64_t> MetricalGrid::boundaries() const {
    const int count = size();
    std::vector<int64_t> bounds(count);
    for (int i = 0; i < count; ++i) {
        const double here = weights_[i];
        const double next = weights_[(i + 1) % count];
        const double fraction = here / ((here + next) * count) + static_cast<double>(i) / count;
        bounds[i] = static_cast<int64_t>(std::trunc(fraction * static_cast<double>(period_)));
    }
    return bounds;
}

PhaseFit ScorePhase(const MetricalGrid& grid, const std::vector<int32_t>& onsets, int phase) {
    PhaseFit fit;
    fit.phase = phase;
    if (onsets.empty()) return fit;

    const int count = grid.size();
    const int64_t period = grid.period();
    const std::vector<int32_t>& weights = grid.weights();
    const std::vector<int64_t> bounds = grid.boundaries();
    auto anchor = [&](int64_t time, int64_t point) {
        return static_cast<int64_t>(
            std::trunc(time - static_cast<double>(point) / count * static_cast<double>(period)));
    };

    int64_t point = phase;  // kept within one period between onsets
    int64_t origin = anchor(onsets[0], point);
    int64_t weightSum = weights[point];
    int64_t scoreSum = 0;
    int64_t pointsReached = 1;
    int64_t weakReached = weights[point] == 1 ? 1 : 0;

    for (size_t n = 1; n < onsets.size(); ++n) {
        const int64_t offset = onsets[n] - origin;
        int64_t reached = point;
        while ((reached / count) * period + bounds[reached % count] < offset) {
            ++reached;
            weightSum += weights[reached % count];
        }
        const int64_t advanced = reached - point;
        if (advanced == 0) continue;
        scoreSum += advanced * weights[point];
        pointsReached += advanced;
        point = reached % count;
        if (weights[point] == 1) ++weakReached;
        // Re-anchor so that this onset sits on the point it reached.
        origin = anchor(onsets[n], point);
    }

    const int64_t denominator = weightSum - weights[point];
    fit.score = denominator != 0 ? static_cast<double>(scoreSum) / denominator : 0;
    fit.weakFraction = static_cast<double>(weakReached) / pointsReached;
    return fit;
}

PhaseFit BestPhase(const MetricalGrid& grid, const std::vector<int32_t>& onsets) {
    const std::vector<int32_t>& weights = grid.weights();
    PhaseFit best = ScorePhase(grid, onsets, 0);
    for (int phase = 1; phase < grid.size(); ++phase) {
        const PhaseFit fit = ScorePhase(grid, onsets, phase);
        if (fit.score > best.score ||
            (fit.score == best.score && weights[phase] > weights[best.phase])) {
            best = fit;
        }
    }
    return best;
}

RefinedGrid RefineAutomatically(MetricalGrid grid, const std::vector<int32_t>& onsets,
                                const SmoothedHistogram& smoothed) {
    PhaseFit fit = BestPhase(grid, onsets);
    int64_t unit = grid.period() / grid.size();
    for (int level = 0; level < 3; ++level) {
        const bool ternary = !grid.anyTernary() && smoothed.at(unit / 3) > smoothed.at(unit / 2);
        const double limit = ternary ? 0.167 : 0.125;
        MetricalGrid finer = grid;
        finer.split(ternary);
        const PhaseFit finerFit = BestPhase(finer, onsets);
        if (finerFit.weakFraction <= limit) {
            if (!ternary) return {finer, finerFit};
            // A ternary level that fits this well says little: keep a binary one instead.
            MetricalGrid binary = grid;
            binary.split(false);
            PhaseFit binaryFit = fit;
            binaryFit.phase = 2 * fit.phase;
            return {binary, binaryFit};
        }
        grid = finer;
        fit = finerFit;
        unit = ternary ? unit / 3 : unit / 2;
    }
    return {grid, fit};
}

RefinedGrid RefineGiven(MetricalGrid grid, const std::vector<int32_t>& onsets, int levels,
                        bool triplets) {
    for (int level = 0; level < levels; ++level) {
        grid.split(level == 0 && triplets && !grid.anyTernary());
    }
    const PhaseFit fit = BestPhase(grid, onsets);
    return {grid, fit};
}

}  // namespace velt::engine
