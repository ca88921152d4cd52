#include "resonator_bank.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "correlation_kernel.h"
#include "project/key_range.h"
#include "rounding.h"
#include "run_outcomes.h"

namespace velt::engine {

namespace {

constexpr double kTwoPi = 6.2831853071796;
constexpr double kFullScaleSquared = 1073676289.0;  // 32767^2
constexpr int kPeriodsPerWindow = 17;
constexpr int kHarmonicReach = 24;  // keys above KeyMax that a single line measures

double keyFrequency(double reference, double key) {
    return reference * std::pow(2.0, (key - 69) / 12.0);
}

// Samples of a key's middle window, also for a key below the bank (same rounding as its record).
int middleWindowLength(const BankParams& params, int key) {
    return roundHalfUp(kPeriodsPerWindow * params.sampleRate /
                       keyFrequency(params.referencePitch, key));
}

double energyOf(const Correlation& sums, double normaliser) {
    double s = static_cast<double>(sums.sine) / normaliser;
    double c = static_cast<double>(sums.cosine) / normaliser;
    return 4 * 127 * std::sqrt(s * s + c * c);
}

// Entries of a window that the frame can supply: a window never reads past the buffer's end.
int usableEntries(const KeyRecord& record, int window, int frameCount) {
    return std::clamp(record.length[window] + 1, 0, std::max(frameCount, 0));
}

bool validWindow(const ResonatorBank& bank, int key, int window) {
    return key >= bank.firstKey && key <= bank.lastKey &&
           key < static_cast<int>(bank.records.size()) && window >= 0 && window < 3 &&
           !bank.sineTable.empty();
}

void fillWindow(ResonatorBank& bank, const KeyRecord& record, int window) {
    int n = record.length[window] + 1;
    double period = record.period[window];
    for (int e = 0; e < n; ++e) {
        double hann = 0.5 * (1 - std::cos(kTwoPi * e / n));
        double phase = e * kTwoPi / period;
        bank.sineTable[record.tableStart[window] + e] =
            static_cast<int16_t>(roundAway(32767 * hann * std::sin(phase)));
        bank.cosineTable[record.tableStart[window] + e] =
            static_cast<int16_t>(roundAway(32767 * hann * std::cos(phase)));
    }
}

// Responses of the lowest key's middle window to full-scale sines detuned in 1/33 semitone
// steps; the fine-pitch search matches a key's three window energies against them.
void buildFineResponse(ResonatorBank& bank, double reference, double rate) {
    int k0 = bank.firstKey;
    const KeyRecord& record = bank.records[k0];
    std::vector<int> samples(record.length[1] + 2, 0);
    std::vector<int16_t> planes;
    for (int g = -kFineResponseCentre; g < kFineResponseCount - kFineResponseCentre; ++g) {
        double f = keyFrequency(reference, k0 - g / 33.0);
        for (int m = 0; m < record.length[1]; ++m)
            samples[m + 1] = roundAway(32767 * std::sin(m * kTwoPi * f / rate));
        bank.fineResponse[g + kFineResponseCentre] =
            WindowEnergy(bank, k0, 1, viewFrame(samples, planes));
    }
}

}  // namespace

FrameView viewFrame(const std::vector<int>& samples, std::vector<int16_t>& buffer) {
    FrameView view;
    if (samples.size() < 2) return view;
    view.wide = samples.data() + 1;
    view.count = static_cast<int>(samples.size() - 1);
    int32_t smallest = 0;
    int32_t largest = 0;
    sampleRange(view.wide, view.count, smallest, largest);
    view.planes.count = planesFor(smallest, largest);
    buffer.resize(size_t(view.planes.count) * view.count);
    splitIntoPlanes(view.wide, view.count, view.planes.count, buffer.data());
    for (int k = 0; k < view.planes.count; ++k)
        view.planes.plane[k] = buffer.data() + size_t(k) * view.count;
    return view;
}

void ReserveFramePlanes(const std::vector<int>& samples, std::vector<int16_t>& buffer) {
    if (samples.size() >= 2) buffer.reserve(size_t{kMaxPlanes} * (samples.size() - 1));
}

double WindowEnergy(const ResonatorBank& bank, int key, int window, const FrameView& frame) {
    if (!validWindow(bank, key, window) || frame.wide == nullptr) return 0;
    const KeyRecord& record = bank.records[key];
    int n = usableEntries(record, window, frame.count);
    const int16_t* sine = bank.sineTable.data() + record.tableStart[window];
    const int16_t* cosine = bank.cosineTable.data() + record.tableStart[window];
    Correlation sums = correlatePlanes(sine, cosine, frame.planes, n);
    return energyOf(sums, record.normaliser[window]);
}

double WindowEnergyReference(const ResonatorBank& bank, int key, int window,
                             const std::vector<int>& samples) {
    if (!validWindow(bank, key, window) || samples.size() < 2) return 0;
    const KeyRecord& record = bank.records[key];
    int n = usableEntries(record, window, static_cast<int>(samples.size() - 1));
    Correlation sums = correlateReference(bank.sineTable.data() + record.tableStart[window],
                                          bank.cosineTable.data() + record.tableStart[window],
                                          samples.data() + 1, n);
    return energyOf(sums, record.normaliser[window]);
}

double EstimateFinePitch(const ResonatorBank& bank, int key, double middleEnergy,
                         const FrameView& frame) {
    const double u[3] = {WindowEnergy(bank, key, 0, frame), middleEnergy,
                         WindowEnergy(bank, key, 2, frame)};
    double sumU = u[0] + u[1] + u[2];
    double spreadU = 3 * (u[0] * u[0] + u[1] * u[1] + u[2] * u[2]) - sumU * sumU;
    const auto& response = bank.fineResponse;
    double bestScore = -1;
    int bestIndex = kFineResponseCentre;  // no score above -1: no offset
    for (int j = 98; j <= 130; ++j) {
        const double v[3] = {response[j - 11], response[j], response[j + 11]};
        double sumV = v[0] + v[1] + v[2];
        double sumUV = u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
        double spreadV = 3 * (v[0] * v[0] + v[1] * v[1] + v[2] * v[2]) - sumV * sumV;
        double r = (3 * sumUV - sumU * sumV) / std::sqrt(spreadU * spreadV);
        if (r > bestScore) {  // NaN (a flat triple) never wins
            bestScore = r;
            bestIndex = j;
        }
    }
    return (kFineResponseCentre - bestIndex) / 33.0;
}

std::array<int, 12> HarmonicOffsetTable() {
    std::array<int, 12> offsets{};
    for (int i = 1; i <= 11; ++i)
        offsets[i] = roundHalfUp(12 * std::log2(i * std::pow(2.0, -5.75)) + 69);
    return offsets;
}

int BuildBank(const BankParams& params, ResonatorBank& bank) {
    bank = ResonatorBank{};

    double rate = params.sampleRate;
    double reference = params.referencePitch;
    // Keys beyond 0..128 would fall outside the per-key arrays.
    bank.firstKey = std::max(params.lowKey - 1, 0);
    bank.lastKey = std::min(params.keyMax + 1, kKeyCount);
    bank.harmonicTop = params.keyMax;
    if (rate <= 0 || reference <= 0 || bank.lastKey < bank.firstKey) {
        bank.lastKey = bank.firstKey - 1;
        return 0;
    }
    bool singleKey = params.singleKeyMode;
    // A single line (file or live) measures up to two octaves above KeyMax, so that a note's
    // upper harmonics count for it and its octave is not taken for it. Where a bank starts above
    // the decided keys, the decision judges the keys below it by harmonics that really sound
    // (frame_decisions.cpp).
    if (params.singleLine && !singleKey) {
        int reach =
            std::min({params.keyMax + kHarmonicReach, NyquistKey(rate, reference), kKeyCount - 1});
        bank.harmonicTop = std::max(reach, params.keyMax);
        bank.lastKey = std::max(bank.lastKey, std::min(bank.harmonicTop + 1, kKeyCount));
    }

    int64_t tableSize = 0;
    try {
        bank.records.assign(bank.lastKey + 2, KeyRecord{});
        bank.energies.assign(bank.lastKey + 2, 0.0);
    } catch (const std::bad_alloc&) {
        return memory_detail::kResonatorRecords;
    }
    for (int k = bank.firstKey; k <= bank.lastKey; ++k) {
        KeyRecord& record = bank.records[k];
        for (int w = 0; w < 3; ++w) {
            record.period[w] = rate / keyFrequency(reference, k + (w - 1) / 3.0);
            if (singleKey) continue;
            record.length[w] = roundHalfUp(kPeriodsPerWindow * record.period[w]);
            record.normaliser[w] = (record.length[w] + 1) * kFullScaleSquared;
            tableSize += record.length[w] + 1;
        }
    }

    if (!singleKey) {
        if (tableSize > std::numeric_limits<int32_t>::max()) {
            return memory_detail::kResonatorTables;
        }
        try {
            bank.sineTable.assign(tableSize, 0);
            bank.cosineTable.assign(tableSize, 0);
        } catch (const std::bad_alloc&) {
            return memory_detail::kResonatorTables;
        }
        int32_t next = 0;
        for (int k = bank.firstKey; k <= bank.lastKey; ++k) {
            for (int w = 0; w < 3; ++w) {
                KeyRecord& record = bank.records[k];
                record.tableStart[w] = next;
                fillWindow(bank, record, w);
                next += record.length[w] + 1;
            }
        }
    }

    // Shortest note per key: the middle window's span in frames, at least six frames. A live run
    // given a file run's hop keeps that run's lengths in audio, counted in its own frames. Keys
    // below the bank keep their records too: a note found there by extrapolation still needs its
    // minimum length.
    int lowest = std::max(params.keyMin, 0);
    int highest = std::min(params.topKey, bank.lastKey);
    const bool fileLengthsLive =
        params.liveRun && params.fileRunHop > 0 && params.liveFrameSamples > 0;
    for (int k = lowest; k <= highest; ++k) {
        KeyRecord& record = bank.records[k];
        if (singleKey || (params.liveRun && !fileLengthsLive) || params.hopSamples <= 0)
            record.minFrames = params.minimumLength;
        else if (fileLengthsLive)
            record.minFrames =
                std::max(params.minimumLength,
                         LiveMinimumFrames(middleWindowLength(params, k), params.fileRunHop,
                                           params.liveFrameSamples));
        else
            record.minFrames = std::max(6, truncToInt(record.length[1] / params.hopSamples + 1));
    }

    if (!singleKey) buildFineResponse(bank, reference, rate);
    return 0;
}

int LiveMinimumFrames(int windowLength, double fileRunHop, double liveFrameSamples) {
    if (!(fileRunHop > 0) || !(liveFrameSamples > 0)) return 0;
    // n frames in a row span n - 1 hops: as many live frames as span at least that much audio.
    const int fileFrames = std::max(6, truncToInt(windowLength / fileRunHop + 1));
    return truncToInt(std::ceil((fileFrames - 1) * fileRunHop / liveFrameSamples)) + 1;
}

int ShortestNoteFrames(const ResonatorBank& bank, int key) {
    if (key < 0 || key >= static_cast<int>(bank.records.size())) return 0;
    return bank.records[key].minFrames;
}

}  // namespace velt::engine
