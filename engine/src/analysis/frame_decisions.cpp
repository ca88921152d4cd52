#include "analysis/frame_decisions.h"

#include <algorithm>
#include <cmath>

#include "line_fit.h"
#include "rounding.h"

namespace velt::engine {

namespace {

constexpr float kMaxFloat = 3.0e38f;

bool enabled(std::span<const uint8_t> keyEnabled, int key) {
    return key >= 0 && key < static_cast<int>(keyEnabled.size()) && keyEnabled[key] != 0;
}

// Brightness of the chosen key: the slope of its harmonic levels mapped through atan onto
// 1..127 (falling harmonics give low values, flat or rising ones 127).
int brightnessOf(const std::array<int, 12>& H, std::span<const float> levels, int best,
                 int keyMax) {
    double m = 0, sumI = 0, sumY = 0, sumIY = 0, sumII = 0;
    for (int i = 1; i <= 11; ++i) {
        int u = best + H[i];
        if (u > keyMax || levels[u] == 0) break;
        double y = truncToInt(levels[u]);
        m += 1;
        sumI += i;
        sumY += y;
        sumIY += i * y;
        sumII += double(i) * i;
    }
    double det = m * sumII - sumI * sumI;
    if (det == 0) return 64;
    double slope = (m * sumIY - sumY * sumI) / det;
    int value = roundHalfUp((std::atan(slope) + 1.5707963267949) * 80.85071109068265);
    return std::clamp(value, 1, 127);
}

// Whether the three lowest harmonics of key k at or above lowKey (up to walkTop) all sound.
bool lowestHarmonicsSound(const std::array<int, 12>& H, std::span<const float> levels, int k,
                          int lowKey, int walkTop) {
    constexpr int kNeeded = 3;
    int seen = 0;
    for (int i = 1; i <= 11 && k + H[i] <= walkTop && seen < kNeeded; ++i) {
        const int u = k + H[i];
        if (u < lowKey) continue;
        if (levels[u] == 0) return false;
        ++seen;
    }
    return seen == kNeeded;
}

// The levels of a key's harmonics below lowKey (harmonic i at index i - 1), from an exponential
// fit of its measured ones in order (n = 1, 2, ...); none when the fit has no solution.
struct HarmonicsBelow {
    std::array<double, 11> level{};
    int count = 0;
};
HarmonicsBelow extrapolatedBelow(const std::array<int, 12>& H, std::span<const float> levels, int k,
                                 int lowKey, int walkTop) {
    LineFit fit;
    for (int i = 1; i <= 11 && k + H[i] <= walkTop; ++i) {
        const int u = k + H[i];
        if (u >= lowKey) fit.add(fit.count + 1, logLevel(levels[u]));
    }
    double slope = 0;
    double intercept = 0;
    HarmonicsBelow below;
    if (!fit.solve(slope, intercept)) return below;
    for (int i = 1; i <= 11 && k + H[i] < lowKey; ++i) {
        below.level[size_t(below.count++)] =
            std::min<double>(LineFit::predict(slope, intercept, i), kMaxFloat);
    }
    return below;
}

void storeSingleLine(const SingleLineParams& params, const SingleLineRows& rows,
                     const SingleLineState& line, const SlotCells& cells) {
    int hi = std::min(params.keyMax, kKeyCount - 1);
    for (int k = params.firstKey; k <= hi; ++k) {
        if (HistoryCell* cell = cells.at(k)) {
            cell->level = roundHalfUp(rows.noteLevels[k] * params.gain);
            cell->bend = roundHalfUp(rows.bends[k]);
            cell->brightness = line.brightness[k];
        }
    }
}

}  // namespace

HistoryCell* SlotCells::at(int key) const {
    if (slot < 0 || slot >= kSlotCount || key < 0 || key >= kKeyCount) return nullptr;
    return &history[size_t(key) * kSlotCount + size_t(slot)];
}

void DecidePolyphonicFrame(const PolyDecisionParams& params, std::span<float> levels,
                           std::span<const float> bends, std::span<const uint8_t> keyEnabled,
                           const SlotCells& cells) {
    const auto& H = params.harmonicOffsets;
    const int keyMax = params.harmonicTop;
    const int lo = params.firstKey;
    const int hi = params.lastKey;
    auto enabledKey = [&](int key) {
        return key >= 0 && key < static_cast<int>(keyEnabled.size()) && keyEnabled[key] != 0;
    };

    for (int k = lo; k <= hi; ++k) {
        if (HistoryCell* cell = cells.at(k)) {
            cell->level = 0;
            cell->bend = 0;
        }
    }
    for (int k = lo; k <= hi; ++k) {
        int e = truncToInt(levels[k]);
        if (e == 0) continue;
        int amount = e;
        int total = e;
        LineFit fit;
        for (int i = 2; i <= 11 && k + H[i] <= keyMax; ++i) {
            int u = k + H[i];
            fit.add(fit.count + 1, logLevel(amount));
            double slope = 0;
            double intercept = 0;
            int predicted = fit.solve(slope, intercept)
                                ? roundHalfUp(LineFit::predict(slope, intercept, i))
                                : 0;
            amount = std::max(predicted, amount);
            if (amount <= levels[u]) {
                levels[u] -= static_cast<float>(amount);
            } else {
                amount = truncToInt(levels[u]);
                levels[u] = 0;
            }
            total = static_cast<int>(
                std::clamp<int64_t>(int64_t{total} + amount, INT32_MIN, INT32_MAX));
        }
        if (enabledKey(k)) {
            if (HistoryCell* cell = cells.at(k)) cell->level = total;
        }
    }
    for (int k = lo; k <= hi; ++k) {
        if (HistoryCell* cell = cells.at(k)) {
            cell->level = roundHalfUp(cell->level * params.gain);
            cell->bend = roundHalfUp(bends[k]);
        }
    }
}

void DecideSingleLineFrame(const SingleLineParams& params, const SingleLineRows& rows,
                           SingleLineState& line, const SlotCells& cells) {
    const auto& H = params.harmonicOffsets;
    line.brightness.fill(0);
    if (params.singleKeyMode) {
        storeSingleLine(params, rows, line, cells);
        return;
    }

    int keyMin = params.firstKey;
    int topKey = params.lastKey;
    int keyMax = params.keyMax;
    // The harmonic walk reads up to two octaves above KeyMax (measured there for this walk only).
    int walkTop = std::clamp(params.harmonicTop, keyMax, kKeyCount - 1);
    int lowKey = params.lowKey;
    for (int k = keyMin; k <= topKey; ++k) rows.noteLevels[k] = 0;

    int lo = keyMin;
    int hi = topKey;
    if (params.partSelected) {  // the selected part is analysed in this pass
        if (params.partKeyMin < 127 && params.partKeyMin >= keyMin) lo = params.partKeyMin;
        if (params.partKeyMax > 0 && params.partKeyMax <= topKey) hi = params.partKeyMax;
    }

    // The best key explains the most energy at its harmonics and the least between them.
    float bestScore = 0;
    int best = -1;
    int bestSum = 0;
    for (int k = hi; k >= lo; --k) {
        if (!enabled(rows.keyEnabled, k)) continue;
        bool marked[kKeyCount + 2] = {};
        int first = -1;
        int last = -1;
        int markedCount = 0;
        int sum = 0;
        for (int i = 1; i <= 11 && k + H[i] <= walkTop; ++i) {
            int u = k + H[i];
            if (u < lowKey) continue;
            marked[u] = true;
            if (first < 0) first = u;
            last = u;
            ++markedCount;
            sum = roundHalfUp(double(sum) + rows.levels[u]);
        }
        if (markedCount == 0) continue;
        // A key below LowKey has no level of its own and is judged by its measured harmonics:
        // only when its three lowest measured harmonics all sound, so that a lone partial (or
        // the partials of two neighbouring notes) never makes a key below them.
        if (k < lowKey && !lowestHarmonicsSound(H, rows.levels, k, lowKey, walkTop)) continue;
        // A measured key that is not sounding itself is an overtone or a gap, never the line's
        // note (keys below LowKey have no level of their own and are judged by their harmonics).
        if (k >= lowKey && rows.levels[k] == 0) continue;
        float signedSum = 0;
        for (int u = first; u <= last; ++u)
            signedSum += marked[u] ? rows.levels[u] : -rows.levels[u];
        // The lowest harmonics of a key below LowKey lie below the analysed range: they are
        // extrapolated from its measured ones, and count in its score as a measured key's
        // harmonics would.
        HarmonicsBelow below;
        if (k < first) below = extrapolatedBelow(H, rows.levels, k, lowKey, walkTop);
        for (int j = 0; j < below.count; ++j) signedSum += static_cast<float>(below.level[j]);
        float score = signedSum / static_cast<float>(markedCount + below.count);
        if (!(score > bestScore)) continue;
        bestScore = score;
        best = k;
        bestSum = sum;
        if (k < first) {
            rows.bends[k] = rows.bends[first];
            for (int j = 0; j < below.count; ++j) {
                rows.levels[size_t(k + H[j + 1])] = static_cast<float>(below.level[j]);
                bestSum = roundHalfUp(double(bestSum) + roundHalfUp(below.level[j]));
            }
        }
    }
    if (best < 0 || bestSum == 0) {
        storeSingleLine(params, rows, line, cells);
        return;
    }

    int brightness = params.brightness ? brightnessOf(H, rows.levels, best, keyMax) : 0;

    // Keep a gliding line on its key: a step of one key that sounds within half a semitone
    // (also an octave away) becomes a bend of the last key, as long as that bend stays within
    // half a semitone.
    double d = (best + rows.bends[best] / 32.0) - (line.LastKey + line.LastBend / 32.0);
    int last = line.LastKey;
    if ((best == last + 1 && d >= 0 && d <= 0.5) || (best == last + 13 && d >= 12 && d <= 12.5) ||
        (best == last - 11 && d >= -11.5 && d <= -11)) {
        rows.bends[best - 1] = rows.bends[best] + 32;
        --best;
    } else if ((best == last - 1 && d >= -0.5 && d <= 0) ||
               (best == last - 13 && d >= -12.5 && d <= -12) ||
               (best == last + 11 && d >= 11 && d <= 11.5)) {
        rows.bends[best + 1] = rows.bends[best] - 32;
        ++best;
    }
    // The written key is the one nearest the measured pitch: a kept key bent by more than half a
    // semitone gives way to its neighbour (a new note), so an attack that landed a key off does
    // not hold the whole note there.
    while (rows.bends[best] > 16 && best + 1 <= topKey) {
        rows.bends[best + 1] = rows.bends[best] - 32;
        ++best;
    }
    while (rows.bends[best] < -16 && best - 1 >= keyMin) {
        rows.bends[best - 1] = rows.bends[best] + 32;
        --best;
    }
    line.LastKey = best;
    line.LastBend = rows.bends[best];
    rows.noteLevels[best] = bestSum;
    line.brightness[best] = brightness;
    storeSingleLine(params, rows, line, cells);
}

}  // namespace velt::engine
