#include "analysis/key_measurement.h"

#include <algorithm>

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

void MeasureDrumKey(int key, int peak, std::span<int> noteLevels, std::span<float> bends) {
    if (key < 0 || key >= kKeyCount || key >= static_cast<int>(noteLevels.size()) ||
        key >= static_cast<int>(bends.size()))
        return;
    noteLevels[key] = DrumKeyLevel(peak);
    bends[key] = 0;
}

}  // namespace velt::engine
