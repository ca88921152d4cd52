// Per-frame key measurement: the middle-window energy of every key in the bank, the candidate
// keys (strict local peaks) with their fine pitch, and the run's tuning accumulators.
#include <algorithm>

#include "analysis_api.h"
#include "resonator_bank.h"
#include "run_state.h"

namespace velt::engine {

namespace {
constexpr double kCandidateFloor = 0.5;
}

void MeasureKeyEnergies() {
    RunState& state = run();
    AnalysisState& analysis = state.analysis;
    ResonatorBank& bank = analysis.bank;
    FrameView frame = viewFrame(analysis.samples, bank.framePlanes);

    for (int k = bank.firstKey; k <= bank.lastKey; ++k) {
        analysis.KeyLevel[k] = 0;
        analysis.KeyBend[k] = 0;
        bank.energies[k] = WindowEnergy(bank, k, 1, frame);
    }

    const auto& energy = bank.energies;
    int lowest = std::max(state.geo.LowKey, bank.firstKey + 1);
    int highest = std::min(state.settings.KeyMax, bank.lastKey - 1);
    for (int k = lowest; k <= highest; ++k) {
        double e = energy[k];
        if (!(e > energy[k - 1] && e > energy[k + 1] && e >= kCandidateFloor)) continue;
        double offset = EstimateFinePitch(bank, k, e, frame);
        analysis.KeyLevel[k] = static_cast<float>(e);
        analysis.KeyBend[k] = static_cast<float>(32 * offset);
        analysis.TuningSum += e * offset;
        analysis.TuningWeight += e;
    }

    // Above KeyMax (single line only): the levels the harmonic walk reads, found as strict local
    // peaks like the candidates, without fine pitch and without touching the tuning.
    for (int k = highest + 1; k <= std::min(bank.harmonicTop, bank.lastKey - 1); ++k) {
        double e = energy[k];
        if (e > energy[k - 1] && e > energy[k + 1] && e >= kCandidateFloor)
            analysis.KeyLevel[k] = static_cast<float>(e);
    }
}

void MeasureKeys(int peak) {
    RunState& state = run();
    int key = state.settings.KeyMin;  // the drum key
    if (key < 0 || key >= kKeyCount) return;
    state.analysis.NoteLevel[key] = std::max(peak, 0) >> 8;
    state.analysis.KeyBend[key] = 0;
}

}  // namespace velt::engine
