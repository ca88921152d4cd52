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
using W = WizardStep;

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
        return {source, instruments, types,          notation, ticked,
                master, files,       unknownEnabled, stereo,   recMasterEmpty};
    }
};

struct Row {
    std::string name;
    WizardStep from;
    Choice choice;
    StepMove expected;
};

std::string describe(const StepMove& m) {
    return std::to_string(PageOf(m.step)) + "/" + std::to_string(static_cast<int>(m.handover));
}

void check(const std::vector<Row>& rows, StepMove (*move)(WizardStep, const WizardChoices&)) {
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
            {"1 record", W::AudioSource, {.source = S::Record}, {W::Metronome, H::SyncRecordMeter}},
            {"1 CD", W::AudioSource, {.source = S::CD}, {W::CdTransfer}},
            {"1 cassette",
             W::AudioSource,
             {.source = S::Cassette},
             {W::RecordAudio, H::SyncRecordMeter}},
            {"1 file", W::AudioSource, {.source = S::File}, {W::AudioFile}},
            {"1 real time", W::AudioSource, {.source = S::RealTime}, {W::WhatInstruments}},
            {"2", W::Metronome, {.source = S::Record}, {W::RecordAudio}},
            {"3 unknown enabled",
             W::RecordAudio,
             {.unknownEnabled = true},
             {W::WhatInstruments, H::AcceptRecordedFile}},
            {"3 unknown disabled",
             W::RecordAudio,
             {.unknownEnabled = false},
             {W::Ensemble, H::AcceptRecordedFile}},
            {"4 unknown enabled", W::AudioFile, {.unknownEnabled = true}, {W::WhatInstruments}},
            {"4 unknown disabled", W::AudioFile, {.unknownEnabled = false}, {W::Ensemble}},
            {"13 unknown enabled",
             W::CdTransfer,
             {.source = S::CD, .unknownEnabled = true},
             {W::WhatInstruments}},
            {"13 unknown disabled",
             W::CdTransfer,
             {.source = S::CD, .unknownEnabled = false},
             {W::Ensemble}},
            {"5 multiple", W::InstrumentTypes, {.types = T::Multiple}, {W::Ensemble}},
            {"5 mono per channel", W::InstrumentTypes, {.types = T::MonoPerChannel}, {W::Ensemble}},
            {"5 single", W::InstrumentTypes, {.types = T::Single}, {W::OriginalInstrument}},
            {"6", W::OriginalInstrument, file, {W::Polyphony}},
            {"7 stereo step", W::Ensemble, s, {W::Stereo}},
            {"7 stereo frame disabled, one file", W::Ensemble, noStereo, {W::TimingSetting}},
            {"7 master recorded against", W::Ensemble, masterRec, {W::TimingSetting}},
            {"7 record", W::Ensemble, {.source = S::Record}, {W::TimingResolution}},
            {"7 real time", W::Ensemble, {.source = S::RealTime}, {W::Finish}},
            {"7 several files", W::Ensemble, {.files = 2, .stereo = false}, {W::MidiFileName}},
            {"8 record", W::Polyphony, {.source = S::Record}, {W::TimingResolution}},
            {"8 real time", W::Polyphony, {.source = S::RealTime, .files = 0}, {W::Finish}},
            {"8 one file (never stereo)", W::Polyphony, s, {W::TimingSetting}},
            {"8 several files", W::Polyphony, {.files = 3}, {W::MidiFileName}},
            {"16 record", W::OutputPatch, {.source = S::Record}, {W::TimingResolution}},
            {"16 real time", W::OutputPatch, {.source = S::RealTime}, {W::Finish}},
            {"16 one file", W::OutputPatch, s, {W::TimingSetting}},
            {"16 several files", W::OutputPatch, {.files = 2}, {W::MidiFileName}},
            {"18 record", W::Stereo, {.source = S::Record}, {W::TimingResolution}},
            {"18 real time", W::Stereo, {.source = S::RealTime}, {W::Finish}},
            {"18 one file", W::Stereo, s, {W::TimingSetting}},
            {"18 no file", W::Stereo, {.source = S::CD, .files = 0}, {W::MidiFileName}},
            {"9 not ticked", W::TapTempo, {.ticked = false}, {W::TimingResolution}},
            {"9 ticked", W::TapTempo, {.ticked = true}, {W::MidiFileName}},
            {"10", W::TimingResolution, file, {W::MidiFileName}},
            {"11", W::MidiFileName, file, {W::Finish}},
            {"12 stays", W::Finish, file, {W::Finish}},
            {"14 easy", W::TimingSetting, {.notation = false}, {W::MidiFileName}},
            {"14 notation", W::TimingSetting, {.notation = true}, {W::TapTempo}},
            {"15 drum recognition",
             W::WhatInstruments,
             {.instruments = I::DrumRecognition},
             {W::Ensemble}},
            {"15 unknown", W::WhatInstruments, {.instruments = I::Unknown}, {W::OutputPatch}},
            {"15 beat detection",
             W::WhatInstruments,
             {.instruments = I::BeatDetection},
             {W::OutputPatch}},
            {"15 known",
             W::WhatInstruments,
             {.instruments = I::Known},
             {W::OriginalInstrument, H::KnownInstruments}},
            {"17 no master", W::MasterFile, {.source = S::Record, .master = false}, {W::Metronome}},
            {"17 master", W::MasterFile, {.source = S::Record, .master = true}, {W::RecordAudio}},
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
            {"1 stays", W::AudioSource, file, {W::AudioSource}},
            {"2", W::Metronome, {.source = S::Record}, {W::AudioSource, H::AcceptRecordedFile}},
            {"3 cassette",
             W::RecordAudio,
             {.source = S::Cassette},
             {W::AudioSource, H::AcceptRecordedFile}},
            {"3 record, no master",
             W::RecordAudio,
             {.source = S::Record, .master = false},
             {W::Metronome}},
            {"3 record, master",
             W::RecordAudio,
             {.source = S::Record, .master = true},
             {W::MasterFile}},
            {"4", W::AudioFile, file, {W::AudioSource}},
            {"5", W::InstrumentTypes, file, {W::WhatInstruments}},
            {"6", W::OriginalInstrument, file, {W::WhatInstruments}},
            {"16", W::OutputPatch, file, {W::WhatInstruments}},
            {"7 single", W::Ensemble, {.types = T::Single}, {W::OriginalInstrument}},
            {"7 unknown enabled, drums",
             W::Ensemble,
             {.instruments = I::DrumRecognition},
             {W::WhatInstruments}},
            {"7 unknown enabled, otherwise",
             W::Ensemble,
             {.instruments = I::Known},
             {W::InstrumentTypes}},
            {"7 unknown disabled, file",
             W::Ensemble,
             {.source = S::File, .unknownEnabled = false},
             {W::AudioFile}},
            {"7 unknown disabled, CD",
             W::Ensemble,
             {.source = S::CD, .unknownEnabled = false},
             {W::CdTransfer}},
            {"7 unknown disabled, cassette",
             W::Ensemble,
             {.source = S::Cassette, .unknownEnabled = false},
             {W::RecordAudio, H::SyncRecordMeter}},
            {"8", W::Polyphony, file, {W::OriginalInstrument}},
            {"9", W::TapTempo, file, {W::TimingSetting}},
            {"10 not record", W::TimingResolution, file, {W::TapTempo}},
            {"10 record, multiple",
             W::TimingResolution,
             {.source = S::Record, .types = T::Multiple},
             {W::Ensemble}},
            {"10 record, mono per channel",
             W::TimingResolution,
             {.source = S::Record, .types = T::MonoPerChannel},
             {W::Ensemble}},
            {"10 record, single",
             W::TimingResolution,
             {.source = S::Record, .types = T::Single},
             {W::Polyphony}},
            {"11 record", W::MidiFileName, {.source = S::Record}, {W::TimingResolution}},
            {"11 one file, easy", W::MidiFileName, {.notation = false}, {W::TimingSetting}},
            {"11 one file, notation, ticked",
             W::MidiFileName,
             {.notation = true, .ticked = true},
             {W::TapTempo}},
            {"11 one file, notation, not ticked",
             W::MidiFileName,
             {.notation = true, .ticked = false},
             {W::TimingResolution}},
            {"11 several, unknown",
             W::MidiFileName,
             {.instruments = I::Unknown, .files = 2},
             {W::OutputPatch}},
            {"11 several, beat",
             W::MidiFileName,
             {.instruments = I::BeatDetection, .files = 2},
             {W::OutputPatch}},
            {"11 several, multiple",
             W::MidiFileName,
             {.instruments = I::Known, .types = T::Multiple, .files = 2},
             {W::Ensemble}},
            {"11 several, mono per channel",
             W::MidiFileName,
             {.instruments = I::Known, .types = T::MonoPerChannel, .files = 2},
             {W::Ensemble}},
            {"11 several, drums",
             W::MidiFileName,
             {.instruments = I::DrumRecognition, .types = T::Single, .files = 2},
             {W::Ensemble}},
            {"11 several, otherwise",
             W::MidiFileName,
             {.instruments = I::Known, .types = T::Single, .files = 2},
             {W::Polyphony}},
            {"12 not real time", W::Finish, file, {W::MidiFileName}},
            {"12 real time, unknown",
             W::Finish,
             {.source = S::RealTime, .files = 0},
             {W::OutputPatch}},
            {"12 real time, beat",
             W::Finish,
             {.source = S::RealTime, .instruments = I::BeatDetection, .files = 0},
             {W::OutputPatch}},
            {"12 real time, multiple",
             W::Finish,
             {.source = S::RealTime, .instruments = I::Known, .files = 0},
             {W::Ensemble}},
            {"12 real time, drums",
             W::Finish,
             {.source = S::RealTime,
              .instruments = I::DrumRecognition,
              .types = T::Single,
              .files = 0},
             {W::Ensemble}},
            {"12 real time, single",
             W::Finish,
             {.source = S::RealTime, .instruments = I::Known, .types = T::Single, .files = 0},
             {W::Polyphony}},
            {"13 not record", W::CdTransfer, {.source = S::CD}, {W::AudioSource}},
            {"13 record", W::CdTransfer, {.source = S::Record}, {W::Metronome}},
            {"14 unknown", W::TimingSetting, {.instruments = I::Unknown}, {W::OutputPatch}},
            {"14 beat", W::TimingSetting, {.instruments = I::BeatDetection}, {W::OutputPatch}},
            {"14 single",
             W::TimingSetting,
             {.instruments = I::Known, .types = T::Single},
             {W::Polyphony}},
            {"14 stereo step", W::TimingSetting, s, {W::Stereo}},
            {"14 multiple without stereo", W::TimingSetting, noS, {W::Ensemble}},
            {"14 drums, record",
             W::TimingSetting,
             {.source = S::Record, .instruments = I::DrumRecognition, .types = T::Single},
             {W::Ensemble}},
            {"15 file", W::WhatInstruments, {.source = S::File}, {W::AudioFile}},
            {"15 real time", W::WhatInstruments, {.source = S::RealTime}, {W::AudioSource}},
            {"15 CD", W::WhatInstruments, {.source = S::CD}, {W::CdTransfer}},
            {"15 record",
             W::WhatInstruments,
             {.source = S::Record},
             {W::RecordAudio, H::SyncRecordMeter}},
            {"15 cassette",
             W::WhatInstruments,
             {.source = S::Cassette},
             {W::RecordAudio, H::SyncRecordMeter}},
            {"17",
             W::MasterFile,
             {.source = S::Record, .master = true},
             {W::AudioSource, H::AcceptRecordedFile}},
            {"18 unknown", W::Stereo, {.instruments = I::Unknown}, {W::OutputPatch}},
            {"18 otherwise", W::Stereo, {.instruments = I::Known}, {W::Ensemble}},
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
        for (int page = PageOf(FirstStep); page <= PageOf(LastStep) && failures < 10; ++page) {
            const WizardStep step = static_cast<WizardStep>(page);
            StepMove next = NextStep(step, c);
            StepMove back = PreviousStep(step, c);
            for (const StepMove& m : {next, back}) {
                if (m.step < FirstStep || m.step > LastStep) {
                    ADD_FAILURE() << "step " << step << " leads to " << m.step;
                    ++failures;
                }
            }
            if (next.step == W::InstrumentTypes) {
                ADD_FAILURE() << "Next from " << step << " gives the types of instruments";
                ++failures;
            }
            if ((step == W::Polyphony || step == W::OutputPatch || step == W::Stereo) &&
                next.step == W::Stereo) {
                ADD_FAILURE() << "Next from " << step << " gives the stereo step";
                ++failures;
            }
        }
        EXPECT_EQ(PreviousStep(W::MasterFile, c).step, W::AudioSource);
        if (PreviousStep(W::MasterFile, c).step != W::AudioSource) ++failures;
        if (failures >= 10) break;
    }
}

// The road from the first step to the finish, as Next walks it; empty when it never gets there.
std::vector<WizardStep> roadOf(const WizardChoices& c) {
    std::vector<WizardStep> road{FirstStep};
    while (road.back() != W::Finish && road.size() <= 2 * PageOf(LastStep)) {
        const WizardStep next = NextStep(road.back(), c).step;
        if (next == road.back()) return {};
        road.push_back(next);
    }
    return road.back() == W::Finish ? road : std::vector<WizardStep>{};
}

TEST(WizardNavigation, ThePositionCountsTheStepsOfTheRoadTaken) {
    Choice file;  // an audio file, instruments unknown, easy timing
    const WizardChoices c = file.snapshot();
    const std::vector<WizardStep> road{W::AudioSource, W::AudioFile,     W::WhatInstruments,
                                       W::OutputPatch, W::TimingSetting, W::MidiFileName,
                                       W::Finish};
    ASSERT_EQ(roadOf(c), road);
    for (size_t i = 0; i < road.size(); ++i)
        EXPECT_EQ(PositionOnRoad(static_cast<int>(i) + 1, road[i], c),
                  (RoadPosition{static_cast<int>(i) + 1, 7}))
            << road[i];

    // Every road Next walks to the finish numbers its steps 1, 2, ... of its length.
    EXPECT_EQ(PositionOnRoad(1, W::Finish, c), (RoadPosition{1, 1}));
    int failures = 0;
    for (const WizardChoices& any : everyCombination()) {
        const std::vector<WizardStep> r = roadOf(any);
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
