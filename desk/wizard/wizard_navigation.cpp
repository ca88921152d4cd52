#include "desk/wizard/wizard_navigation.h"

#include <algorithm>

namespace velt::desk {

namespace {

using H = StepHandover;

bool is(const WizardChoices& c, AudioSource s) { return c.source == s; }
bool unknownOrBeat(const WizardChoices& c) {
    return c.instruments == InstrumentChoice::Unknown ||
           c.instruments == InstrumentChoice::BeatDetection;
}
bool drums(const WizardChoices& c) { return c.instruments == InstrumentChoice::DrumRecognition; }
// Several instruments at once: an ensemble (or drum kit) describes them.
bool ensembleNeeded(const WizardChoices& c) {
    return c.types == InstrumentTypes::Multiple || c.types == InstrumentTypes::MonoPerChannel ||
           drums(c);
}
bool oneFile(const WizardChoices& c) { return c.audioFileCount == 1; }
// The stereo step is offered for recorded material that has a stereo image to treat.
bool stereoStep(const WizardChoices& c) {
    return !is(c, AudioSource::RealTime) && !is(c, AudioSource::Record) && c.stereoFrameEnabled &&
           c.recMasterFileEmpty;
}
// Where the instrument pages lead once the instruments are settled.
StepMove afterInstruments(const WizardChoices& c) {
    if (is(c, AudioSource::Record)) return {10};
    if (is(c, AudioSource::RealTime)) return {12};
    if (oneFile(c)) return {14};
    return {11};
}
// The instrument page that the timing pages return to.
StepMove instrumentPageBefore(const WizardChoices& c) {
    if (unknownOrBeat(c)) return {16};
    if (ensembleNeeded(c)) return {7};
    return {8};
}

}  // namespace

StepMove NextStep(int step, const WizardChoices& c) {
    switch (step) {
        case 1:
            if (is(c, AudioSource::Record)) return {2, H::SyncRecordMeter};
            if (is(c, AudioSource::CD)) return {13};
            if (is(c, AudioSource::Cassette)) return {3, H::SyncRecordMeter};
            if (is(c, AudioSource::File)) return {4};
            return {15};
        case 2: return {3};
        case 3: return {c.unknownEnabled ? 15 : 7, H::AcceptRecordedFile};
        case 4:
        case 13: return {c.unknownEnabled ? 15 : 7};
        case 5: return {c.types == InstrumentTypes::Single ? 6 : 7};
        case 6: return {8};
        case 7:
            if (stereoStep(c)) return {18};
            return afterInstruments(c);
        case 8:
        case 16:
        case 18: return afterInstruments(c);
        case 9: return {c.autoDetectTicked ? 11 : 10};
        case 10: return {11};
        case 11: return {12};
        case 14: return {c.notation ? 9 : 11};
        case 15:
            if (c.instruments == InstrumentChoice::Known) return {6, H::KnownInstruments};
            return {drums(c) ? 7 : 16};
        case 17: return {c.masterFileNamed ? 3 : 2};
        case FinishStep: return {FinishStep};
        default: return {FirstStep};
    }
}

StepMove PreviousStep(int step, const WizardChoices& c) {
    switch (step) {
        case 2: return {1, H::AcceptRecordedFile};
        case 3:
            if (!is(c, AudioSource::Record)) return {1, H::AcceptRecordedFile};
            return {c.masterFileNamed ? 17 : 2};
        case 4: return {1};
        case 5:
        case 6:
        case 16: return {15};
        case 7:
            if (c.types == InstrumentTypes::Single) return {6};
            if (c.unknownEnabled) return {drums(c) ? 15 : 5};
            if (is(c, AudioSource::File)) return {4};
            if (is(c, AudioSource::CD)) return {13};
            return {3, H::SyncRecordMeter};
        case 8: return {6};
        case 9: return {14};
        case 10:
            if (!is(c, AudioSource::Record)) return {9};
            return {c.types == InstrumentTypes::Single ? 8 : 7};
        case 11:
            if (is(c, AudioSource::Record)) return {10};
            if (oneFile(c)) {
                if (!c.notation) return {14};
                return {c.autoDetectTicked ? 9 : 10};
            }
            return instrumentPageBefore(c);
        case 12:
            if (!is(c, AudioSource::RealTime)) return {11};
            return instrumentPageBefore(c);
        case 13: return {is(c, AudioSource::Record) ? 2 : 1};
        case 14:
            if (unknownOrBeat(c)) return {16};
            if (!ensembleNeeded(c)) return {8};
            if (stereoStep(c)) return {18};
            return {7};
        case 15:
            if (is(c, AudioSource::File)) return {4};
            if (is(c, AudioSource::RealTime)) return {1};
            if (is(c, AudioSource::CD)) return {13};
            return {3, H::SyncRecordMeter};
        case MasterFileStep: return {1, H::AcceptRecordedFile};
        case 18: return {c.instruments == InstrumentChoice::Unknown ? 16 : 7};
        default: return {FirstStep};
    }
}

RoadPosition PositionOnRoad(int stepsTaken, int step, const WizardChoices& c) {
    RoadPosition at{std::max(stepsTaken, 1), std::max(stepsTaken, 1)};
    // Bounded: a road never visits more steps than there are.
    for (int s = step, i = 0; s != FinishStep && i < 2 * (LastStep + 1); ++i) {
        const int after = NextStep(s, c).step;
        if (after == s) break;
        s = after;
        ++at.total;
    }
    return at;
}

}  // namespace velt::desk
