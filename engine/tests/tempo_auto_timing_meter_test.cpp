// AutoTiming: the note-on rhythm meter and the tempo correction at the finish.
#include <gtest/gtest.h>

#include "tempo/auto_timing_meter.h"

namespace velt::engine {
namespace {

constexpr int kOn = 0x90;
constexpr int kOff = 0x80;
constexpr int kControl = 0xB0;

// Feeds one event with a delta and returns the delta left for the writer.
int feed(AutoTimingMeter& meter, int delta, int status, int velocity = 100) {
    meter.observe(delta, status, velocity);
    return delta;
}

TEST(TempoAutoTiming, LeadingSilenceIsTakenOutAndReported) {
    AutoTimingMeter meter(100);
    int delta = 7;
    EXPECT_EQ(meter.observe(delta, kControl, 0), 0);
    EXPECT_EQ(delta, 0);
    delta = 5;
    EXPECT_EQ(meter.observe(delta, kOn, 90), 12);  // 7 + 5 ticks before the first note
    EXPECT_EQ(delta, 0);
    EXPECT_EQ(feed(meter, 3, kOff), 3);  // after the first note deltas pass unchanged
    EXPECT_FALSE(meter.hasMeasurement());
}

TEST(TempoAutoTiming, MeasuresFromNoteOnToNoteOnWhateverComesBetween) {
    AutoTimingMeter meter(1000);
    feed(meter, 40, kOn);
    for (int i = 0; i < 20; ++i) {
        feed(meter, 3, kOff);      // the note ends early
        feed(meter, 1, kControl);  // something else in between
        feed(meter, 6, kOn);       // ten ticks after the last note-on
    }
    ASSERT_TRUE(meter.hasMeasurement());
    EXPECT_DOUBLE_EQ(meter.meanInterval(), 10.0);
}

TEST(TempoAutoTiming, ChordsWeighTheirIntervals) {
    AutoTimingMeter meter(1000);
    // A loud chord of two notes, 6 ticks, a soft note, 12 ticks, a loud chord; a group's interval
    // counts once the next group starts.
    feed(meter, 0, kOn, 100);
    feed(meter, 0, kOn, 100);
    feed(meter, 6, kOn, 10);
    feed(meter, 12, kOn, 100);
    feed(meter, 0, kOn, 100);
    EXPECT_EQ(meter.weightSum(), 2000);  // (200 x 10)
    EXPECT_EQ(meter.intervalSum(), 2000 * 6);
    feed(meter, 20, kOn, 1);
    EXPECT_EQ(meter.weightSum(), 2000 + 2000);  // + (10 x 200)
    EXPECT_EQ(meter.intervalSum(), 2000 * 6 + 2000 * 12);
}

TEST(TempoAutoTiming, TheRingWrapsAndLongGapsEndTheMeasuring) {
    AutoTimingMeter wrapping(16);
    feed(wrapping, 0, kOn);
    for (int i = 0; i < 50; ++i) feed(wrapping, 5, kOn);
    EXPECT_DOUBLE_EQ(wrapping.meanInterval(), 5.0);
    EXPECT_EQ(wrapping.weightSum(), 49 * 100 * 100);

    AutoTimingMeter gap(16);
    feed(gap, 0, kOn);
    feed(gap, 5, kOn);
    feed(gap, 5, kOn);
    feed(gap, 40, kOn);  // leaves the ring: nothing after this counts
    const int64_t weight = gap.weightSum();
    for (int i = 0; i < 10; ++i) feed(gap, 5, kOn);
    EXPECT_EQ(gap.weightSum(), weight);
    EXPECT_DOUBLE_EQ(gap.meanInterval(), 5.0);
}

TEST(TempoAutoTiming, LongDensePiecesDoNotOverflow) {
    AutoTimingMeter meter(2000);
    feed(meter, 0, kOn, 127);
    for (int i = 0; i < 100000; ++i) {
        for (int n = 0; n < 9; ++n) feed(meter, 0, kOn, 127);
        feed(meter, 1000, kOn, 127);
    }
    EXPECT_GT(meter.intervalSum(), int64_t{1} << 40);
    EXPECT_DOUBLE_EQ(meter.meanInterval(), 1000.0);
}

TEST(TempoAutoTiming, CorrectionTakesTheMultipleNearestTheNominalTempo) {
    struct Case {
        double nominal;
        int interval;  // ticks of 0.025 s
        double expected;
    };
    const Case cases[] = {
        {86, 24, 100},  // 0.6 s: 100 BPM measured, about one beat per interval
        {86, 12, 100},  // 200 BPM measured: two intervals per beat
        {86, 48, 100},  // 50 BPM measured: two beats per interval
        {120, 24, 100}, {60, 12, 66.666666666666671},  // 200 measured, three intervals per beat
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nominal);
        AutoTimingMeter meter(200);
        feed(meter, 0, kOn);
        for (int i = 0; i < 5; ++i) feed(meter, c.interval, kOn);
        const TempoCorrection correction = CorrectTempo(c.nominal, meter, 0.025);
        EXPECT_NEAR(correction.tempo, c.expected, 1e-9);
        EXPECT_NEAR(correction.factor, c.nominal / c.expected, 1e-12);
    }
    // Nothing measured: the tempo stands.
    AutoTimingMeter empty(200);
    EXPECT_EQ(CorrectTempo(86, empty, 0.025).tempo, 86);
    EXPECT_EQ(CorrectTempo(86, empty, 0.025).factor, 1);
}

}  // namespace
}  // namespace velt::engine
