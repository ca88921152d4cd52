// A pitched frame over a key range, as a run's set-up would make it: the resonator bank built from
// its parameters, the frame buffer and the rows the key measurement fills, without a run.
#pragma once

#include <cmath>

#include "analysis/analysis_types.h"
#include "analysis/key_measurement.h"
#include "analysis/resonator_bank.h"

namespace velt::engine::testing {

struct PitchedFrame {
    PitchedFrame(int rate, int keyMin, int keyMax, double reference = 440) : rate(rate) {
        params.sampleRate = rate;
        params.referencePitch = reference;
        params.lowKey = params.keyMin = keyMin;
        params.keyMax = params.topKey = keyMax;
        params.hopSamples = rate / 64.0;
        params.minimumLength = 2;
        measurement.lowKey = keyMin;
        measurement.keyMax = keyMax;
        // Seventeen periods of a pitch 4/3 semitone below the lowest key, as the run set-up sizes
        // it.
        blockLength = static_cast<int>(17.0 * rate /
                                       (reference * std::pow(2.0, (keyMin - 4.0 / 3 - 69) / 12)));
        analysis.samples.assign(blockLength + 2, 0);
        analysis.slot = 0;
        analysis.HarmonicOffsets = HarmonicOffsetTable();
        build();
    }

    // Builds the bank again from params; false when it ran out of memory.
    bool build() { return BuildBank(params, analysis.bank) == 0; }

    // Fills the frame with a sine (samples 1..block length).
    void fillSine(double frequency, double amplitude, double phase = 0) {
        auto& x = analysis.samples;
        for (int m = 0; m < blockLength; ++m) {
            double v = amplitude * std::sin(6.2831853071796 * frequency * m / rate + phase);
            x[m + 1] = static_cast<int>(v > 0 ? v + 0.5 : v - 0.5);
        }
    }

    FrameView view() { return viewFrame(analysis.samples, analysis.bank.framePlanes); }

    // The key measurement over the frame: levels, bends and the tuning totals of analysis.
    void measure() {
        TuningTotals tuning{analysis.TuningSum, analysis.TuningWeight};
        MeasureFrameKeys(measurement, analysis.bank, view(), analysis.KeyLevel, analysis.KeyBend,
                         tuning);
        analysis.TuningSum = tuning.sum;
        analysis.TuningWeight = tuning.weight;
    }

    // One window's energy of a key over the frame.
    double keyEnergy(int key, int window) {
        return WindowEnergy(analysis.bank, key, window, view());
    }

    int rate = 0;
    int blockLength = 0;
    BankParams params;
    KeyMeasurementParams measurement;
    AnalysisState analysis;
};

inline double keyFrequency(double key, double reference = 440) {
    return reference * std::pow(2.0, (key - 69) / 12);
}

}  // namespace velt::engine::testing
