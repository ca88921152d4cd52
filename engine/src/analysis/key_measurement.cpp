#include "analysis/key_measurement.h"

#include <algorithm>

#include "analysis/analysis_api.h"
#include "driver/run_state.h"

namespace velt::engine {

void MeasureFrameKeys(const KeyMeasurementParams& params, ResonatorBank& bank,
                      const FrameView& frame, std::span<float> levels, std::span<float> bends,
                      TuningTotals& tuning) {
    for (int k = bank.firstKey; k <= bank.lastKey; ++k) {
        levels[k] = 0;
        bends[k] = 0;
        bank.energies[k] = WindowEnergy(bank, k, 1, frame);
    }

    const auto& energy = bank.energies;
    int lowest = std::max(params.lowKey, bank.firstKey + 1);
    int highest = std::min(params.keyMax, bank.lastKey - 1);
    for (int k = lowest; k <= highest; ++k) {
        double e = energy[k];
        if (!(e > energy[k - 1] && e > energy[k + 1] && e >= params.candidateFloor)) continue;
        double offset = EstimateFinePitch(bank, k, e, frame);
        levels[k] = static_cast<float>(e);
        bends[k] = static_cast<float>(32 * offset);
        tuning.sum += e * offset;
        tuning.weight += e;
    }

    // Above KeyMax (single line only): the levels the harmonic walk reads, found as strict local
    // peaks like the candidates, without fine pitch and without touching the tuning.
    for (int k = highest + 1; k <= std::min(bank.harmonicTop, bank.lastKey - 1); ++k) {
        double e = energy[k];
        if (e > energy[k - 1] && e > energy[k + 1] && e >= params.candidateFloor)
            levels[k] = static_cast<float>(e);
    }
}

int DrumKeyLevel(int peak) {
    return std::max(peak, 0) >> 8;
}

void MeasureKeyEnergies() {
    RunState& state = run();
    AnalysisState& analysis = state.analysis;
    KeyMeasurementParams params;
    params.lowKey = state.geo.LowKey;
    params.keyMax = state.settings.KeyMax;
    TuningTotals tuning{analysis.TuningSum, analysis.TuningWeight};
    MeasureFrameKeys(params, analysis.bank, viewFrame(analysis.samples, analysis.bank.framePlanes),
                     analysis.KeyLevel, analysis.KeyBend, tuning);
    analysis.TuningSum = tuning.sum;
    analysis.TuningWeight = tuning.weight;
}

void MeasureKeys(int peak) {
    RunState& state = run();
    int key = state.settings.KeyMin;  // the drum key
    if (key < 0 || key >= kKeyCount) return;
    state.analysis.NoteLevel[key] = DrumKeyLevel(peak);
    state.analysis.KeyBend[key] = 0;
}

}  // namespace velt::engine
