// Frame note decisions: which keys sound in the current frame and how strongly, written into
// the frame history cells of the current ring slot.
#include <algorithm>
#include <cmath>

#include "analysis_api.h"
#include "filter_matching.h"
#include "line_fit.h"
#include "rounding.h"
#include "run_state.h"

namespace velt::engine {

namespace {

constexpr float kMaxFloat = 3.0e38f;

HistoryCell* currentCell(AnalysisState& analysis, int key) {
    if (analysis.slot < 0 || analysis.slot >= kSlotCount || key < 0 || key >= kKeyCount)
        return nullptr;
    return &analysis.cell(key, analysis.slot);
}

bool enabled(const AnalysisState& analysis, int key) {
    return key >= 0 && key < static_cast<int>(analysis.KeyEnabled.size()) &&
           analysis.KeyEnabled[key] != 0;
}

// The keys the decisions may write: KeyMin .. TopKey, kept inside the history.
int firstDecidedKey() {
    return std::max(run().settings.KeyMin, 0);
}
int lastDecidedKey() {
    return std::min(run().geo.TopKey, kKeyCount - 1);
}

// Polyphonic decision: walk the keys upwards; each key's harmonics are predicted from an
// exponential fit of the amounts taken so far and removed from the keys above, so that a low
// note's overtones do not come out as notes of their own.
void subtractHarmonics() {
    RunState& state = run();
    AnalysisState& analysis = state.analysis;
    const auto& H = analysis.HarmonicOffsets;
    int keyMax = std::min(state.settings.KeyMax, kKeyCount);
    int lo = firstDecidedKey();
    int hi = lastDecidedKey();

    for (int k = lo; k <= hi; ++k) {
        if (HistoryCell* cell = currentCell(analysis, k)) {
            cell->level = 0;
            cell->bend = 0;
        }
    }
    for (int k = lo; k <= hi; ++k) {
        int e = truncToInt(analysis.KeyLevel[k]);
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
            if (amount <= analysis.KeyLevel[u]) {
                analysis.KeyLevel[u] -= static_cast<float>(amount);
            } else {
                amount = truncToInt(analysis.KeyLevel[u]);
                analysis.KeyLevel[u] = 0;
            }
            total = static_cast<int>(
                std::clamp<int64_t>(int64_t{total} + amount, INT32_MIN, INT32_MAX));
        }
        if (enabled(analysis, k)) {
            if (HistoryCell* cell = currentCell(analysis, k)) cell->level = total;
        }
    }
    double gain = state.geo.gainFactor;
    for (int k = lo; k <= hi; ++k) {
        if (HistoryCell* cell = currentCell(analysis, k)) {
            cell->level = roundHalfUp(cell->level * gain);
            cell->bend = roundHalfUp(analysis.KeyBend[k]);
        }
    }
}

// Brightness of the chosen key: the slope of its harmonic levels mapped through atan onto
// 1..127 (falling harmonics give low values, flat or rising ones 127).
int brightnessOf(const AnalysisState& analysis, int best, int keyMax) {
    const auto& H = analysis.HarmonicOffsets;
    double m = 0, sumI = 0, sumY = 0, sumIY = 0, sumII = 0;
    for (int i = 1; i <= 11; ++i) {
        int u = best + H[i];
        if (u > keyMax || analysis.KeyLevel[u] == 0) break;
        double y = truncToInt(analysis.KeyLevel[u]);
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

void storeSingleLine() {
    RunState& state = run();
    AnalysisState& analysis = state.analysis;
    double gain = state.geo.gainFactor;
    int hi = std::min(state.settings.KeyMax, kKeyCount - 1);
    for (int k = firstDecidedKey(); k <= hi; ++k) {
        if (HistoryCell* cell = currentCell(analysis, k)) {
            cell->level = roundHalfUp(analysis.NoteLevel[k] * gain);
            cell->bend = roundHalfUp(analysis.KeyBend[k]);
            cell->brightness = analysis.singleLine.brightness[k];
        }
    }
}

}  // namespace

void AnalyseFrame() {
    const RunState& state = run();
    if (state.settings.PitchMode == 1)
        DecideSingleLine();
    else if (state.geo.filterInUse)
        MatchFilters();
    else
        subtractHarmonics();
}

void DecideSingleLine() {
    RunState& state = run();
    AnalysisState& analysis = state.analysis;
    SingleLineState& line = analysis.singleLine;
    const ProjectSettings& settings = state.settings;
    const auto& H = analysis.HarmonicOffsets;
    line.brightness.assign(kKeyCount + 2, 0);
    if (state.geo.singleKeyMode) {
        storeSingleLine();
        return;
    }

    int keyMin = firstDecidedKey();
    int topKey = lastDecidedKey();
    int keyMax = std::min(settings.KeyMax, kKeyCount);
    // The harmonic walk reads up to two octaves above KeyMax (measured there for this walk only).
    int walkTop = std::clamp(analysis.bank.harmonicTop, keyMax, kKeyCount - 1);
    int lowKey = state.geo.LowKey;
    for (int k = keyMin; k <= topKey; ++k) analysis.NoteLevel[k] = 0;

    int lo = keyMin;
    int hi = topKey;
    if (settings.Track0 == 0) {  // the selected part is analysed in this pass
        if (settings.KeyMin0 < 127 && settings.KeyMin0 >= keyMin) lo = settings.KeyMin0;
        if (settings.KeyMax0 > 0 && settings.KeyMax0 <= topKey) hi = settings.KeyMax0;
    }

    // The best key explains the most energy at its harmonics and the least between them.
    float bestScore = 0;
    int best = -1;
    int bestSum = 0;
    for (int k = hi; k >= lo; --k) {
        if (!enabled(analysis, k)) continue;
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
            sum = roundHalfUp(double(sum) + analysis.KeyLevel[u]);
        }
        if (markedCount == 0) continue;
        // A measured key that is not sounding itself is an overtone or a gap, never the line's
        // note (keys below LowKey have no level of their own and are judged by their harmonics).
        if (k >= lowKey && analysis.KeyLevel[k] == 0) continue;
        float signedSum = 0;
        for (int u = first; u <= last; ++u)
            signedSum += marked[u] ? analysis.KeyLevel[u] : -analysis.KeyLevel[u];
        float score = signedSum / static_cast<float>(markedCount);
        if (!(score > bestScore)) continue;
        bestScore = score;
        best = k;
        bestSum = sum;
        if (k < first) {
            // The lowest harmonics lie below the analysed range: extrapolate them.
            analysis.KeyBend[k] = analysis.KeyBend[first];
            LineFit fit;
            for (int i = 1; i <= 11 && k + H[i] <= walkTop; ++i) {
                int u = k + H[i];
                if (u >= lowKey) fit.add(fit.count + 1, logLevel(analysis.KeyLevel[u]));
            }
            double slope = 0;
            double intercept = 0;
            if (fit.solve(slope, intercept)) {
                for (int i = 1; i <= 11 && k + H[i] < lowKey; ++i) {
                    double level =
                        std::min<double>(LineFit::predict(slope, intercept, i), kMaxFloat);
                    analysis.KeyLevel[k + H[i]] = static_cast<float>(level);
                    bestSum = roundHalfUp(double(bestSum) + roundHalfUp(level));
                }
            }
        }
    }
    if (best < 0 || bestSum == 0) {
        storeSingleLine();
        return;
    }

    int brightness = settings.Brightness != 0 ? brightnessOf(analysis, best, keyMax) : 0;

    // Keep a gliding line on its key: a step of one key that sounds within half a semitone
    // (also an octave away) becomes a bend of the last key.
    double d = (best + analysis.KeyBend[best] / 32.0) - (line.LastKey + line.LastBend / 32.0);
    int last = line.LastKey;
    if ((best == last + 1 && d >= 0 && d <= 0.5) || (best == last + 13 && d >= 12 && d <= 12.5) ||
        (best == last - 11 && d >= -11.5 && d <= -11)) {
        analysis.KeyBend[best - 1] = analysis.KeyBend[best] + 32;
        --best;
    } else if ((best == last - 1 && d >= -0.5 && d <= 0) ||
               (best == last - 13 && d >= -12.5 && d <= -12) ||
               (best == last + 11 && d >= 11 && d <= 11.5)) {
        analysis.KeyBend[best + 1] = analysis.KeyBend[best] - 32;
        ++best;
    }
    line.LastKey = best;
    line.LastBend = analysis.KeyBend[best];
    analysis.NoteLevel[best] = bestSum;
    line.brightness[best] = brightness;
    storeSingleLine();
}

}  // namespace velt::engine
