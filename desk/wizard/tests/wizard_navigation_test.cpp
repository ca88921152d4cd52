// The wizard's step order as tables: one case per row of the Next and Back graphs, then the
// invariants over every combination of choices.
#include "desk/wizard/wizard_navigation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velt::desk {
namespace {

using S = AudioSource;
using I = InstrumentChoice;
using T = InstrumentTypes;
using H = StepHandover;

struct Choice {
    S source = S::File;
    I instruments = I::Unknown;
    T types = T::Multiple;
    bool notation = false;
    bool ticked = false;
    bool master = false;
    int files = 1;
    bool unknownEnabled = true;
    bool stereo = true;
    bool recMasterEmpty = true;

    WizardChoices snapshot() const {
        return {source, instruments, types, notation, ticked, master, files, unknownEnabled, stereo,
                recMasterEmpty};
    }
};

struct Row {
    std::string name;
    int from;
    Choice choice;
    StepMove expected;
};

std::string describe(const StepMove& m) {
    return std::to_string(m.step) + "/" + std::to_string(static_cast<int>(m.handover));
}

void check(const std::vector<Row>& rows, StepMove (*move)(int, const WizardChoices&)) {
    for (const Row& r : rows) {
        StepMove got = move(r.from, r.choice.snapshot());
        EXPECT_EQ(describe(got), describe(r.expected)) << r.name;
    }
}

TEST(WizardNavigation, NextFollowsEveryRowOfTheGraph) {
    const Choice file{};
    Choice s = file;  // the stereo step is offered
    Choice noStereo = file;
    noStereo.stereo = false;
    Choice masterRec = file;
    masterRec.recMasterEmpty = false;
    check(
        {
            {"1 record", 1, {.source = S::Record}, {2, H::SyncRecordMeter}},
            {"1 CD", 1, {.source = S::CD}, {13}},
            {"1 cassette", 1, {.source = S::Cassette}, {3, H::SyncRecordMeter}},
            {"1 file", 1, {.source = S::File}, {4}},
            {"1 real time", 1, {.source = S::RealTime}, {15}},
            {"2", 2, {.source = S::Record}, {3}},
            {"3 unknown enabled", 3, {.unknownEnabled = true}, {15, H::AcceptRecordedFile}},
            {"3 unknown disabled", 3, {.unknownEnabled = false}, {7, H::AcceptRecordedFile}},
            {"4 unknown enabled", 4, {.unknownEnabled = true}, {15}},
            {"4 unknown disabled", 4, {.unknownEnabled = false}, {7}},
            {"13 unknown enabled", 13, {.source = S::CD, .unknownEnabled = true}, {15}},
            {"13 unknown disabled", 13, {.source = S::CD, .unknownEnabled = false}, {7}},
            {"5 multiple", 5, {.types = T::Multiple}, {7}},
            {"5 mono per channel", 5, {.types = T::MonoPerChannel}, {7}},
            {"5 single", 5, {.types = T::Single}, {6}},
            {"6", 6, file, {8}},
            {"7 stereo step", 7, s, {18}},
            {"7 stereo frame disabled, one file", 7, noStereo, {14}},
            {"7 master recorded against", 7, masterRec, {14}},
            {"7 record", 7, {.source = S::Record}, {10}},
            {"7 real time", 7, {.source = S::RealTime}, {12}},
            {"7 several files", 7, {.files = 2, .stereo = false}, {11}},
            {"8 record", 8, {.source = S::Record}, {10}},
            {"8 real time", 8, {.source = S::RealTime, .files = 0}, {12}},
            {"8 one file (never stereo)", 8, s, {14}},
            {"8 several files", 8, {.files = 3}, {11}},
            {"16 record", 16, {.source = S::Record}, {10}},
            {"16 real time", 16, {.source = S::RealTime}, {12}},
            {"16 one file", 16, s, {14}},
            {"16 several files", 16, {.files = 2}, {11}},
            {"18 record", 18, {.source = S::Record}, {10}},
            {"18 real time", 18, {.source = S::RealTime}, {12}},
            {"18 one file", 18, s, {14}},
            {"18 no file", 18, {.source = S::CD, .files = 0}, {11}},
            {"9 not ticked", 9, {.ticked = false}, {10}},
            {"9 ticked", 9, {.ticked = true}, {11}},
            {"10", 10, file, {11}},
            {"11", 11, file, {12}},
            {"12 stays", 12, file, {12}},
            {"14 easy", 14, {.notation = false}, {11}},
            {"14 notation", 14, {.notation = true}, {9}},
            {"15 drum recognition", 15, {.instruments = I::DrumRecognition}, {7}},
            {"15 unknown", 15, {.instruments = I::Unknown}, {16}},
            {"15 beat detection", 15, {.instruments = I::BeatDetection}, {16}},
            {"15 known", 15, {.instruments = I::Known}, {6, H::KnownInstruments}},
            {"17 no master", 17, {.source = S::Record, .master = false}, {2}},
            {"17 master", 17, {.source = S::Record, .master = true}, {3}},
        },
        NextStep);
}

TEST(WizardNavigation, BackFollowsEveryRowOfTheGraph) {
    const Choice file{};
    Choice s = file;
    s.instruments = I::Known;
    Choice noS = s;
    noS.stereo = false;
    check(
        {
            {"1 stays", 1, file, {1}},
            {"2", 2, {.source = S::Record}, {1, H::AcceptRecordedFile}},
            {"3 cassette", 3, {.source = S::Cassette}, {1, H::AcceptRecordedFile}},
            {"3 record, no master", 3, {.source = S::Record, .master = false}, {2}},
            {"3 record, master", 3, {.source = S::Record, .master = true}, {17}},
            {"4", 4, file, {1}},
            {"5", 5, file, {15}},
            {"6", 6, file, {15}},
            {"16", 16, file, {15}},
            {"7 single", 7, {.types = T::Single}, {6}},
            {"7 unknown enabled, drums", 7, {.instruments = I::DrumRecognition}, {15}},
            {"7 unknown enabled, otherwise", 7, {.instruments = I::Known}, {5}},
            {"7 unknown disabled, file", 7, {.source = S::File, .unknownEnabled = false}, {4}},
            {"7 unknown disabled, CD", 7, {.source = S::CD, .unknownEnabled = false}, {13}},
            {"7 unknown disabled, cassette", 7, {.source = S::Cassette, .unknownEnabled = false},
             {3, H::SyncRecordMeter}},
            {"8", 8, file, {6}},
            {"9", 9, file, {14}},
            {"10 not record", 10, file, {9}},
            {"10 record, multiple", 10, {.source = S::Record, .types = T::Multiple}, {7}},
            {"10 record, mono per channel", 10, {.source = S::Record, .types = T::MonoPerChannel},
             {7}},
            {"10 record, single", 10, {.source = S::Record, .types = T::Single}, {8}},
            {"11 record", 11, {.source = S::Record}, {10}},
            {"11 one file, easy", 11, {.notation = false}, {14}},
            {"11 one file, notation, ticked", 11, {.notation = true, .ticked = true}, {9}},
            {"11 one file, notation, not ticked", 11, {.notation = true, .ticked = false}, {10}},
            {"11 several, unknown", 11, {.instruments = I::Unknown, .files = 2}, {16}},
            {"11 several, beat", 11, {.instruments = I::BeatDetection, .files = 2}, {16}},
            {"11 several, multiple", 11,
             {.instruments = I::Known, .types = T::Multiple, .files = 2}, {7}},
            {"11 several, mono per channel", 11,
             {.instruments = I::Known, .types = T::MonoPerChannel, .files = 2}, {7}},
            {"11 several, drums", 11,
             {.instruments = I::DrumRecognition, .types = T::Single, .files = 2}, {7}},
            {"11 several, otherwise", 11, {.instruments = I::Known, .types = T::Single, .files = 2},
             {8}},
            {"12 not real time", 12, file, {11}},
            {"12 real time, unknown", 12, {.source = S::RealTime, .files = 0}, {16}},
            {"12 real time, beat", 12,
             {.source = S::RealTime, .instruments = I::BeatDetection, .files = 0}, {16}},
            {"12 real time, multiple", 12,
             {.source = S::RealTime, .instruments = I::Known, .files = 0}, {7}},
            {"12 real time, drums", 12,
             {.source = S::RealTime, .instruments = I::DrumRecognition, .types = T::Single,
              .files = 0},
             {7}},
            {"12 real time, single", 12,
             {.source = S::RealTime, .instruments = I::Known, .types = T::Single, .files = 0},
             {8}},
            {"13 not record", 13, {.source = S::CD}, {1}},
            {"13 record", 13, {.source = S::Record}, {2}},
            {"14 unknown", 14, {.instruments = I::Unknown}, {16}},
            {"14 beat", 14, {.instruments = I::BeatDetection}, {16}},
            {"14 single", 14, {.instruments = I::Known, .types = T::Single}, {8}},
            {"14 stereo step", 14, s, {18}},
            {"14 multiple without stereo", 14, noS, {7}},
            {"14 drums, record", 14,
             {.source = S::Record, .instruments = I::DrumRecognition, .types = T::Single}, {7}},
            {"15 file", 15, {.source = S::File}, {4}},
            {"15 real time", 15, {.source = S::RealTime}, {1}},
            {"15 CD", 15, {.source = S::CD}, {13}},
            {"15 record", 15, {.source = S::Record}, {3, H::SyncRecordMeter}},
            {"15 cassette", 15, {.source = S::Cassette}, {3, H::SyncRecordMeter}},
            {"17", 17, {.source = S::Record, .master = true}, {1, H::AcceptRecordedFile}},
            {"18 unknown", 18, {.instruments = I::Unknown}, {16}},
            {"18 otherwise", 18, {.instruments = I::Known}, {7}},
        },
        PreviousStep);
}

// Every combination of the choices that steer the navigation.
std::vector<WizardChoices> everyCombination() {
    std::vector<WizardChoices> all;
    for (int src = 0; src < 5; ++src)
        for (int ins = 0; ins < 4; ++ins)
            for (int typ = 0; typ < 3; ++typ)
                for (int flags = 0; flags < 64; ++flags)
                    for (int files : {0, 1, 2}) {
                        WizardChoices c;
                        c.source = static_cast<S>(src);
                        c.instruments = static_cast<I>(ins);
                        c.types = static_cast<T>(typ);
                        c.notation = flags & 1;
                        c.autoDetectTicked = flags & 2;
                        c.masterFileNamed = flags & 4;
                        c.unknownEnabled = flags & 8;
                        c.stereoFrameEnabled = flags & 16;
                        c.recMasterFileEmpty = flags & 32;
                        c.audioFileCount = files;
                        all.push_back(c);
                    }
    return all;
}

TEST(WizardNavigation, InvariantsHoldForEveryCombinationOfChoices) {
    int failures = 0;
    for (const WizardChoices& c : everyCombination()) {
        for (int step = FirstStep; step <= LastStep && failures < 10; ++step) {
            StepMove next = NextStep(step, c);
            StepMove back = PreviousStep(step, c);
            for (const StepMove& m : {next, back}) {
                if (m.step < FirstStep || m.step > LastStep) {
                    ADD_FAILURE() << "step " << step << " leads to " << m.step;
                    ++failures;
                }
            }
            if (next.step == 5) {
                ADD_FAILURE() << "Next from " << step << " gives 5";
                ++failures;
            }
            if ((step == 8 || step == 16 || step == 18) && next.step == 18) {
                ADD_FAILURE() << "Next from " << step << " gives the stereo step";
                ++failures;
            }
        }
        EXPECT_EQ(PreviousStep(MasterFileStep, c).step, 1);
        if (PreviousStep(MasterFileStep, c).step != 1) ++failures;
        if (failures >= 10) break;
    }
}

// The road from the first step to the finish, as Next walks it; empty when it never gets there.
std::vector<int> roadOf(const WizardChoices& c) {
    std::vector<int> road{FirstStep};
    while (road.back() != FinishStep && road.size() <= 2 * LastStep) {
        const int next = NextStep(road.back(), c).step;
        if (next == road.back()) return {};
        road.push_back(next);
    }
    return road.back() == FinishStep ? road : std::vector<int>{};
}

TEST(WizardNavigation, ThePositionCountsTheStepsOfTheRoadTaken) {
    Choice file;  // an audio file, instruments unknown, easy timing
    const WizardChoices c = file.snapshot();
    const std::vector<int> road{1, 4, 15, 16, 14, 11, 12};
    ASSERT_EQ(roadOf(c), road);
    for (size_t i = 0; i < road.size(); ++i)
        EXPECT_EQ(PositionOnRoad(static_cast<int>(i) + 1, road[i], c),
                  (RoadPosition{static_cast<int>(i) + 1, 7}))
            << road[i];

    // Every road Next walks to the finish numbers its steps 1, 2, ... of its length.
    EXPECT_EQ(PositionOnRoad(1, FinishStep, c), (RoadPosition{1, 1}));
    int failures = 0;
    for (const WizardChoices& any : everyCombination()) {
        const std::vector<int> r = roadOf(any);
        for (size_t i = 0; i < r.size() && failures < 10; ++i) {
            const RoadPosition at = PositionOnRoad(static_cast<int>(i) + 1, r[i], any);
            if (at != RoadPosition{static_cast<int>(i) + 1, static_cast<int>(r.size())}) {
                ADD_FAILURE() << "step " << r[i] << " is " << at.position << " of " << at.total
                              << ", not " << i + 1 << " of " << r.size();
                ++failures;
            }
        }
    }
}

}  // namespace
}  // namespace velt::desk
