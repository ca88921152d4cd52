#include "analysis/resonator_bank.h"

#include <gtest/gtest.h>

#include <random>

#include "analysis/frame_decisions.h"
#include "analysis/key_measurement.h"
#include "analysis_fixture.h"

namespace velt::engine {
namespace {

using testing::keyFrequency;
using testing::PitchedFrame;

int loudestKey(const ResonatorBank& bank) {
    const auto& e = bank.energies;
    int best = bank.firstKey;
    for (int k = best; k <= bank.lastKey; ++k)
        if (e[k] > e[best]) best = k;
    return best;
}

TEST(HarmonicTable, HoldsTheKeyDistancesOfHarmonicsOneToEleven) {
    const std::array<int, 12> expected{0, 0, 12, 19, 24, 28, 31, 34, 36, 38, 40, 42};
    EXPECT_EQ(HarmonicOffsetTable(), expected);
}

TEST(ResonatorBank, CoversTheRangeWithOneKeyOfMarginAndContiguousWindows) {
    PitchedFrame frame(44100, 28, 85);
    const ResonatorBank& bank = frame.analysis.bank;
    EXPECT_EQ(bank.firstKey, 27);
    EXPECT_EQ(bank.lastKey, 86);
    ASSERT_EQ(bank.records.size(), 88u);  // KeyMax + 3 records indexed by key
    EXPECT_EQ(bank.records[26].length[1], 0);
    int32_t next = 0;
    for (int k = 27; k <= 86; ++k) {
        for (int w = 0; w < 3; ++w) {
            const KeyRecord& r = bank.records[k];
            EXPECT_EQ(r.tableStart[w], next);
            EXPECT_EQ(r.length[w], static_cast<int>(17 * r.period[w] + 0.5));
            EXPECT_DOUBLE_EQ(r.normaliser[w], (r.length[w] + 1) * 1073676289.0);
            next += r.length[w] + 1;
        }
    }
    EXPECT_EQ(static_cast<size_t>(next), bank.sineTable.size());
    // A440's middle window: 44100 / 440 samples a period.
    EXPECT_NEAR(bank.records[69].period[1], 100.227, 0.001);
    EXPECT_EQ(bank.records[69].length[1], 1704);
    // Shortest note: the middle window's span in hops, at least 6.
    EXPECT_EQ(bank.records[28].minFrames,
              std::max(6, int(bank.records[28].length[1] / (44100 / 64.0) + 1)));
    EXPECT_EQ(bank.records[85].minFrames, 6);
    EXPECT_EQ(ShortestNoteFrames(bank, 28), bank.records[28].minFrames);
    EXPECT_EQ(ShortestNoteFrames(bank, -1), 0);  // outside the records: no tail
    EXPECT_EQ(ShortestNoteFrames(bank, 88), 0);
    // The exactly tuned entry of the fine response is its largest.
    int best = 0;
    for (int j = 0; j < kFineResponseCount; ++j)
        if (bank.fineResponse[j] > bank.fineResponse[best]) best = j;
    EXPECT_EQ(best, kFineResponseCentre);
}

// The measurement on inputs of its own: a bank, a frame, level and bend rows, tuning totals.
TEST(KeyEnergies, MeasureTheFrameTheyAreGivenWithinTheCandidateRange) {
    PitchedFrame pitched(44100, 28, 85);
    ResonatorBank bank = pitched.analysis.bank;
    std::vector<int> samples(pitched.analysis.samples.size(), 0);
    for (size_t m = 1; m < samples.size(); ++m)
        samples[m] =
            int(std::lround(16000 * std::sin(6.2831853071796 * 440 * double(m - 1) / 44100)));
    std::vector<int16_t> planes;
    const FrameView frame = viewFrame(samples, planes);
    struct Case {
        int keyMax;
        bool a4Pitched;  // a candidate with fine pitch, or only a level above keyMax
    };
    for (const Case& c : {Case{85, true}, Case{60, false}}) {
        SCOPED_TRACE(c.keyMax);
        std::vector<float> levels(kKeyCount + 2, 9.0f), bends(kKeyCount + 2, 9.0f);
        TuningTotals tuning{1.0, 2.0};
        MeasureFrameKeys({28, c.keyMax, 0.5}, bank, frame, levels, bends, tuning);
        EXPECT_EQ(levels[40], 0.0f);  // the bank's keys are cleared
        EXPECT_EQ(levels[90], 9.0f);  // others are left alone
        if (c.a4Pitched) {
            EXPECT_NEAR(levels[69], 62, 6);
            EXPECT_NEAR(bends[69], 0, 1);
            EXPECT_NEAR(tuning.weight, 2.0 + levels[69], 1e-3);
        } else {  // above keyMax: a level for the harmonic walk, no pitch, no tuning
            EXPECT_NEAR(levels[69], 62, 6);
            EXPECT_EQ(bends[69], 0.0f);
            EXPECT_EQ(tuning.sum, 1.0);
            EXPECT_EQ(tuning.weight, 2.0);
        }
    }
    EXPECT_EQ(DrumKeyLevel(32767), 127);
    EXPECT_EQ(DrumKeyLevel(-5), 0);
}

// The bank built from parameters of its own, without a run.
TEST(ResonatorBank, IsBuiltFromItsParameters) {
    BankParams p;
    p.sampleRate = 44100;
    p.lowKey = p.keyMin = 28;
    p.keyMax = p.topKey = 85;
    p.hopSamples = 44100 / 64.0;
    p.minimumLength = 3;
    ResonatorBank bank;
    ASSERT_EQ(BuildBank(p, bank), 0);
    EXPECT_EQ(bank.firstKey, 27);
    EXPECT_EQ(bank.lastKey, 86);
    EXPECT_EQ(bank.harmonicTop, 85);
    EXPECT_EQ(bank.records[69].length[1], 1704);
    EXPECT_EQ(bank.records[85].minFrames, 6);

    p.liveRun = true;  // live frames keep the project's minimum length
    ASSERT_EQ(BuildBank(p, bank), 0);
    EXPECT_EQ(bank.records[60].minFrames, 3);

    p.liveRun = false;
    p.singleLine = true;  // a single line measures above keyMax for its harmonic walk
    ASSERT_EQ(BuildBank(p, bank), 0);
    EXPECT_GT(bank.harmonicTop, 85);
    EXPECT_EQ(bank.lastKey, bank.harmonicTop + 1);

    p.sampleRate = 0;  // nothing to build: an empty bank
    ASSERT_EQ(BuildBank(p, bank), 0);
    EXPECT_EQ(bank.lastKey, bank.firstKey - 1);
}

TEST(KeyEnergies, FullScaleA440PeaksAtKey69NearLevel127WithNoOffset) {
    for (int rate : {44100, 96000}) {
        SCOPED_TRACE(rate);
        PitchedFrame frame(rate, 28, 85);
        frame.fillSine(440, 32767);
        frame.measure();
        const AnalysisState& a = frame.analysis;
        EXPECT_EQ(loudestKey(a.bank), 69);
        EXPECT_NEAR(a.KeyLevel[69], 127, 3);
        EXPECT_NEAR(a.KeyBend[69], 0, 1.0);
        EXPECT_EQ(a.KeyLevel[68], 0);
        EXPECT_EQ(a.KeyLevel[70], 0);
        EXPECT_GT(a.TuningWeight, 100);
        EXPECT_NEAR(a.TuningSum / a.TuningWeight, 0, 0.04);
    }
}

TEST(KeyEnergies, QuarterSemitoneSharpStaysOnItsKeyWithAnOffsetNearPlusEight) {
    for (int rate : {44100, 96000}) {
        SCOPED_TRACE(rate);
        PitchedFrame frame(rate, 28, 85);
        frame.fillSine(keyFrequency(60.25), 32767);
        frame.measure();
        const AnalysisState& a = frame.analysis;
        EXPECT_GT(a.KeyLevel[60], 50);
        EXPECT_EQ(a.KeyLevel[61], 0);
        EXPECT_NEAR(a.KeyBend[60], 8, 1.5);
    }
}

TEST(KeyEnergies, TuningAccumulatorsMeasureA446Sine) {
    PitchedFrame frame(44100, 28, 85);
    for (double phase : {0.0, 1.0, 2.0}) {
        frame.fillSine(446, 20000, phase);
        frame.measure();
    }
    const AnalysisState& a = frame.analysis;
    double semitones = a.TuningSum / a.TuningWeight;
    EXPECT_NEAR(440 * std::pow(2, semitones / 12), 446, 1.0);
}

TEST(KeyEnergies, AQuietLocalPeakBelowOneHalfIsNoCandidate) {
    PitchedFrame frame(44100, 28, 85);
    int below = 0;
    int above = 0;
    for (int amplitude = 100; amplitude <= 160; amplitude += 2) {
        frame.fillSine(440, amplitude);
        frame.measure();
        const auto& e = frame.analysis.bank.energies;
        ASSERT_GT(e[69], e[68]);
        ASSERT_GT(e[69], e[70]);
        bool candidate = frame.analysis.KeyLevel[69] > 0;
        EXPECT_EQ(candidate, e[69] >= 0.5) << "energy " << e[69];
        (e[69] < 0.5 ? below : above)++;
    }
    EXPECT_GT(below, 0);  // the sweep crossed the floor
    EXPECT_GT(above, 0);
}

TEST(KeyEnergies, EightBitInputStillFindsItsKey) {
    PitchedFrame frame(44100, 28, 85);
    // 8-bit samples scaled up by the normaliser: coarse steps of 258.
    auto& x = frame.analysis.samples;
    for (int m = 0; m < frame.blockLength; ++m)
        x[m + 1] =
            static_cast<int>(std::lround(127 * std::sin(6.2831853071796 * 523.25 * m / 44100))) *
            258;
    frame.measure();
    EXPECT_EQ(loudestKey(frame.analysis.bank), 72);
    EXPECT_NEAR(frame.analysis.KeyBend[72], 0, 1.0);
}

TEST(KeyEnergies, FastPathIsBitIdenticalToThePlainLoop) {
    PitchedFrame frame(44100, 21, 108);
    std::mt19937 random(7);
    auto& x = frame.analysis.samples;
    const ResonatorBank& bank = frame.analysis.bank;
    // Narrow frames, frames with samples beyond 16 bits (a large normaliser), and extremes.
    struct Case {
        int spread;  // samples drawn from -spread..spread
        int planes;
    };
    for (Case c : {Case{32767, 2}, Case{32768, 2}, Case{200000, 3}, Case{1 << 23, 3},
                   Case{1 << 24, 4}, Case{INT32_MAX, 4}}) {
        std::uniform_int_distribution<int> sample(-c.spread,
                                                  c.spread == INT32_MAX ? c.spread : c.spread - 1);
        for (size_t i = 1; i < x.size(); ++i) x[i] = sample(random);
        if (c.spread == 32768) x[5] = -32768;
        if (c.spread == INT32_MAX) x[7] = INT32_MIN;
        std::vector<int16_t> planes;
        FrameView view = viewFrame(x, planes);
        EXPECT_EQ(view.planes.count, c.planes) << c.spread;
        for (int k = bank.firstKey; k <= bank.lastKey; ++k)
            for (int w = 0; w < 3; ++w)
                ASSERT_EQ(WindowEnergy(bank, k, w, view), WindowEnergyReference(bank, k, w, x))
                    << "key " << k << " window " << w << " spread " << c.spread;
    }
}

TEST(KeyEnergies, WideSamplesUse64BitProducts) {
    PitchedFrame frame(44100, 28, 85);
    frame.fillSine(440, 32767);
    double fullScale = frame.keyEnergy(69, 1);
    for (int& v : frame.analysis.samples) v *= 64;  // products beyond 32 bits
    EXPECT_NEAR(frame.keyEnergy(69, 1), 64 * fullScale, 1e-6 * fullScale);
}

TEST(KeyEnergies, WindowsLongerThanTheFrameReadOnlyTheFrame) {
    PitchedFrame frame(44100, 28, 85);
    frame.fillSine(keyFrequency(27), 32767);
    // The lowest key's lowest window is longer than the block; a shorter buffer must be safe too.
    const ResonatorBank& bank = frame.analysis.bank;
    EXPECT_GE(bank.records[27].length[0] + 1, static_cast<int>(frame.analysis.samples.size()) - 1);
    double full = frame.keyEnergy(27, 0);
    frame.analysis.samples.resize(100);
    double cut = frame.keyEnergy(27, 0);
    EXPECT_GT(full, cut);
    EXPECT_EQ(cut, WindowEnergyReference(bank, 27, 0, frame.analysis.samples));
}

TEST(FinePitch, FlatEnergiesGiveNoOffset) {
    PitchedFrame frame(44100, 28, 85);
    // Silent frame: all three energies 0.
    EXPECT_EQ(EstimateFinePitch(frame.analysis.bank, 60, 0.0, frame.view()), 0.0);
}

// A live bank that starts above KeyMin still gives every key from KeyMin on its shortest note,
// and the finish's tail is measured on KeyMin's.
TEST(ResonatorBank, LiveSingleLineKeysBelowTheBankKeepTheMinimumLength) {
    PitchedFrame frame(44100, 40, 85);
    frame.params.liveRun = true;
    frame.params.lowKey = 59;
    frame.params.singleLine = true;
    frame.params.minimumLength = 6;
    ASSERT_TRUE(frame.build());
    const ResonatorBank& bank = frame.analysis.bank;
    EXPECT_EQ(bank.firstKey, 58);
    for (int k : {40, 57, 58, 85}) EXPECT_EQ(bank.records[k].minFrames, 6) << k;
    EXPECT_EQ(ShortestNoteFrames(bank, 40), 6);
}

// A live single line given a file run's hop holds each key to that run's shortest note in audio:
// its max(6, window / hop + 1) frames in a row span n - 1 hops, and the live frames in a row
// (441 samples apart) span at least as much (never fewer than the run's MinimumLength). Counted
// as six live frames, a key passed in 50 ms where the file run wanted 78 ms in a row (125 ms at
// key 48), and the mixed partials of a note change became notes.
TEST(ResonatorBank, LiveSingleLineKeepsTheFileRunsNoteLengths) {
    const double hop = 44100 / 64.0;  // a file run's hop at 120 BPM and keys 28..85
    struct Case {
        int key;
        int windowLength;  // 17 periods of the key, rounded
        int frames;
    };
    const Case cases[] = {
        {85, 676, 9},    // six file frames: five hops, 3445 samples
        {60, 2866, 9},   // still six
        {48, 5731, 14},  // nine: 5512.5 samples, 12.5 live frames
        {40, 9098, 22},  // below the bank: fourteen
    };
    PitchedFrame frame(44100, 40, 85);
    frame.params.liveRun = true;
    frame.params.lowKey = 47;
    frame.params.singleLine = true;
    frame.params.minimumLength = 6;
    frame.params.fileRunHop = hop;
    frame.params.liveFrameSamples = 441;
    ASSERT_TRUE(frame.build());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(LiveMinimumFrames(c.windowLength, hop, 441), c.frames);
        EXPECT_EQ(ShortestNoteFrames(frame.analysis.bank, c.key), c.frames);
    }
    EXPECT_EQ(LiveMinimumFrames(676, 0, 441), 0);
    EXPECT_EQ(LiveMinimumFrames(676, hop, 0), 0);

    // A longer MinimumLength of the project stays the floor.
    PitchedFrame longer(44100, 40, 85);
    longer.params = frame.params;
    longer.params.minimumLength = 12;
    ASSERT_TRUE(longer.build());
    EXPECT_EQ(ShortestNoteFrames(longer.analysis.bank, 85), 12);
    EXPECT_EQ(ShortestNoteFrames(longer.analysis.bank, 48), 14);
}

TEST(SingleKeyMode, ReportsThePeakOnTheDrumKeyWhateverTheSpectrum) {
    BankParams p;
    p.sampleRate = 44100;
    p.lowKey = p.keyMin = p.keyMax = p.topKey = 38;
    p.singleKeyMode = true;
    p.minimumLength = 1;
    AnalysisState a;
    a.slot = 0;
    a.HarmonicOffsets = HarmonicOffsetTable();
    ASSERT_EQ(BuildBank(p, a.bank), 0);
    EXPECT_TRUE(a.bank.sineTable.empty());
    EXPECT_EQ(ShortestNoteFrames(a.bank, 38), 1);
    SingleLineParams line;
    line.firstKey = line.lastKey = line.keyMax = line.lowKey = 38;
    line.harmonicTop = a.bank.harmonicTop;
    line.singleKeyMode = true;
    line.harmonicOffsets = a.HarmonicOffsets;
    for (int peak : {0, 255, 256, 12345, 32767}) {
        a.KeyBend[38] = 5;
        MeasureDrumKey(38, peak, a.NoteLevel, a.KeyBend);
        DecideSingleLineFrame(line, {a.KeyLevel, a.KeyBend, a.NoteLevel, a.KeyEnabled},
                              a.singleLine, SlotCells{a.history, a.slot});
        EXPECT_EQ(a.NoteLevel[38], peak >> 8);
        EXPECT_EQ(a.cell(38, 0).level, peak >> 8);
        EXPECT_EQ(a.cell(38, 0).bend, 0);
    }
    // A drum key outside the rows is not measured.
    std::vector<int> notes(4, 7);
    std::vector<float> bends(4, 7.0f);
    MeasureDrumKey(4, 32767, notes, bends);
    MeasureDrumKey(-1, 32767, notes, bends);
    EXPECT_EQ(notes, std::vector<int>(4, 7));
    EXPECT_EQ(bends, std::vector<float>(4, 7.0f));
}

}  // namespace
}  // namespace velt::engine
