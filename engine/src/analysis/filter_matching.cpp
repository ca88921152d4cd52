#include "analysis/filter_matching.h"

#include <algorithm>
#include <cmath>

#include "rounding.h"

namespace velt::engine {

namespace {

constexpr int kIterationsPerVoice = 64;  // far above what a real frame needs; only stops runaways

// Keys the templates cover: bins up to 127, key slots up to 109.
int matchedTopKey(const FilterMatchParams& params) {
    return std::min({params.topKey, kFilterKeySlots - 1, kFilterBins - 2});
}

}  // namespace

void PrepareFilterMatching(const FilterMatchParams& params, FilterState& filter) {
    for (auto& frame : filter.history) frame.resize(kKeyCount, 0.0f);
    const int keyMin = params.keyMin;
    const int topKey = matchedTopKey(params);
    if (filter.table.empty() || topKey < keyMin) return;
    if (filter.sparseKeyMin != keyMin || filter.sparseTopKey != topKey) {
        const int width = topKey - keyMin + 1;
        // Templates hold few non-zero values: keep those, and each template's squared norm.
        filter.sparse.assign(kKeyCount, {});
        filter.norm.assign(kKeyCount, 0.0);
        for (int k = keyMin; k <= topKey; ++k) {
            for (int s = 0; s < kFilterSegments; ++s) {
                for (int b = 0; b < width; ++b) {
                    double f = filter.at(k, s / 3, s % 3, keyMin + b);
                    if (f == 0) continue;
                    filter.sparse[k].emplace_back(s * width + b, f);
                    filter.norm[k] += f * f;
                }
            }
        }
        filter.sparseKeyMin = keyMin;
        filter.sparseTopKey = topKey;
    }
}

void MatchFilterFrame(const FilterMatchParams& params, const FilterMatchRows& rows,
                      FilterState& filter, const SlotCells& cells) {
    if (cells.slot < 0 || cells.slot >= kSlotCount) return;

    const int keyMin = params.keyMin;
    const int topKey = matchedTopKey(params);
    const int keyMax = params.keyMax;
    for (int k = keyMin; k <= topKey; ++k) {
        cells.at(k)->level = 0;
        cells.at(k)->bend = 0;
    }

    PrepareFilterMatching(params, filter);
    for (int k = keyMin; k <= keyMax; ++k) {
        filter.history[0][k] = filter.history[1][k];
        filter.history[1][k] = filter.history[2][k];
        filter.history[2][k] = 127 * rows.levels[k];
    }
    filter.lastIterations = 0;
    if (filter.table.empty() || topKey < keyMin) return;

    // Observation: nine segments (i, j) over keys keyMin..topKey, segment (i, j) = frame j.
    const int width = topKey - keyMin + 1;
    const int observed = kFilterSegments * width;
    auto& observation = filter.observation;
    for (int s = 0; s < kFilterSegments; ++s)
        for (int b = 0; b < width; ++b)
            observation[s * width + b] = filter.history[s % 3][keyMin + b];

    const int polyphony = params.polyphony;
    const int partLow = params.partKeyMin;
    const int partHigh = params.partKeyMax;
    const double gain = params.gain;
    auto& coefficient = filter.coefficient;
    coefficient.fill(0.0);
    int chosen = 0;
    double previous = 2147483647.0;
    double stopLevel = 0;
    const int cap = kIterationsPerVoice * std::max(polyphony, 1);
    for (int iteration = 0; iteration < cap; ++iteration) {
        double energy = 0;  // sum of Y^2
        for (int i = 0; i < observed; ++i) energy += observation[i] * observation[i];
        double bestResidual = 2147483647.0;
        double t = 0;
        int bestKey = -1;
        int candidates = 0;
        for (int k = keyMin; k <= topKey; ++k) {
            bool candidate = rows.keyEnabled[k] != 0 && rows.levels[k] > 0.5f &&
                             params.partSelected && k >= partLow && k <= partHigh &&
                             (chosen < polyphony || coefficient[k] != 0);
            if (!candidate) continue;
            ++candidates;
            double fy = 0;
            for (const auto& [index, f] : filter.sparse[k]) fy += f * observation[index];
            const double ff = filter.norm[k];
            const double a = ff == 0 ? 0 : fy / ff;
            // Sum of (Y - aF)^2, expanded: Y^2 - 2a FY + a^2 FF.
            const double residual = energy - 2 * a * fy + a * a * ff;
            if (residual < bestResidual && a + coefficient[k] >= 0) {
                bestResidual = residual;
                t = a;
                bestKey = k;
            }
        }
        filter.lastIterations = iteration + 1;
        if (iteration == 0) {
            // No candidate: the stop level is unbounded and the loop ends now.
            stopLevel = candidates == 0 ? INFINITY : 1 / (2.0 * candidates * candidates * gain);
        }
        if (t != 0 && bestKey >= 0) {
            if (coefficient[bestKey] == 0) ++chosen;
            coefficient[bestKey] += t;
            for (const auto& [index, f] : filter.sparse[bestKey]) observation[index] -= t * f;
        }
        bool more = std::fabs(t) > stopLevel || std::fabs(previous) > stopLevel;
        previous = t;
        if (!more) break;
    }

    for (int k = keyMin; k <= topKey; ++k) {
        HistoryCell& cell = *cells.at(k);
        cell.level = roundHalfUp(gain * coefficient[k]);
        if (cell.level != 0) cell.bend = roundHalfUp(rows.bends[k]);
    }
}

}  // namespace velt::engine
