#include "desk/wizard/wizard_navigation.h"

#include <algorithm>

namespace velt::desk {

namespace {

using H = StepHandover;
using S = WizardStep;

bool is(const WizardChoices& c, AudioSource s) {
    return c.source == s;
}
bool unknownOrBeat(const WizardChoices& c) {
    return c.instruments == InstrumentChoice::Unknown ||
           c.instruments == InstrumentChoice::BeatDetection;
}
bool drums(const WizardChoices& c) {
    return c.instruments == InstrumentChoice::DrumRecognition;
}
// Several instruments at once: an ensemble (or drum kit) describes them.
bool ensembleNeeded(const WizardChoices& c) {
    return c.types == InstrumentTypes::Multiple || c.types == InstrumentTypes::MonoPerChannel ||
           drums(c);
}
bool oneFile(const WizardChoices& c) {
    return c.audioFileCount == 1;
}
// The stereo step is offered for recorded material that has a stereo image to treat.
bool stereoStep(const WizardChoices& c) {
    return !is(c, AudioSource::RealTime) && !is(c, AudioSource::Record) && c.stereoFrameEnabled &&
           c.recMasterFileEmpty;
}
// Where the instrument pages lead once the instruments are settled.
StepMove afterInstruments(const WizardChoices& c) {
    if (is(c, AudioSource::Record)) return {S::TimingResolution};
    if (is(c, AudioSource::RealTime)) return {S::Finish};
    if (oneFile(c)) return {S::TimingSetting};
    return {S::MidiFileName};
}
// The instrument page that the timing pages return to.
StepMove instrumentPageBefore(const WizardChoices& c) {
    if (unknownOrBeat(c)) return {S::OutputPatch};
    if (ensembleNeeded(c)) return {S::Ensemble};
    return {S::Polyphony};
}

}  // namespace

StepMove NextStep(WizardStep step, const WizardChoices& c) {
    switch (step) {
        case S::AudioSource:
            if (is(c, AudioSource::Record)) return {S::Metronome, H::SyncRecordMeter};
            if (is(c, AudioSource::CD)) return {S::CdTransfer};
            if (is(c, AudioSource::Cassette)) return {S::RecordAudio, H::SyncRecordMeter};
            if (is(c, AudioSource::File)) return {S::AudioFile};
            return {S::WhatInstruments};
        case S::Metronome:
            return {S::RecordAudio};
        case S::RecordAudio:
            return {c.unknownEnabled ? S::WhatInstruments : S::Ensemble, H::AcceptRecordedFile};
        case S::AudioFile:
        case S::CdTransfer:
            return {c.unknownEnabled ? S::WhatInstruments : S::Ensemble};
        case S::InstrumentTypes:
            return {c.types == InstrumentTypes::Single ? S::OriginalInstrument : S::Ensemble};
        case S::OriginalInstrument:
            return {S::Polyphony};
        case S::Ensemble:
            if (stereoStep(c)) return {S::Stereo};
            return afterInstruments(c);
        case S::Polyphony:
        case S::OutputPatch:
        case S::Stereo:
            return afterInstruments(c);
        case S::TapTempo:
            return {c.autoDetectTicked ? S::MidiFileName : S::TimingResolution};
        case S::TimingResolution:
            return {S::MidiFileName};
        case S::MidiFileName:
            return {S::Finish};
        case S::TimingSetting:
            return {c.notation ? S::TapTempo : S::MidiFileName};
        case S::WhatInstruments:
            if (c.instruments == InstrumentChoice::Known)
                return {S::OriginalInstrument, H::KnownInstruments};
            return {drums(c) ? S::Ensemble : S::OutputPatch};
        case S::MasterFile:
            return {c.masterFileNamed ? S::RecordAudio : S::Metronome};
        case S::Finish:
            return {S::Finish};
        default:
            return {FirstStep};
    }
}

StepMove PreviousStep(WizardStep step, const WizardChoices& c) {
    switch (step) {
        case S::Metronome:
            return {S::AudioSource, H::AcceptRecordedFile};
        case S::RecordAudio:
            if (!is(c, AudioSource::Record)) return {S::AudioSource, H::AcceptRecordedFile};
            return {c.masterFileNamed ? S::MasterFile : S::Metronome};
        case S::AudioFile:
            return {S::AudioSource};
        case S::InstrumentTypes:
        case S::OriginalInstrument:
        case S::OutputPatch:
            return {S::WhatInstruments};
        case S::Ensemble:
            if (c.types == InstrumentTypes::Single) return {S::OriginalInstrument};
            if (c.unknownEnabled) return {drums(c) ? S::WhatInstruments : S::InstrumentTypes};
            if (is(c, AudioSource::File)) return {S::AudioFile};
            if (is(c, AudioSource::CD)) return {S::CdTransfer};
            return {S::RecordAudio, H::SyncRecordMeter};
        case S::Polyphony:
            return {S::OriginalInstrument};
        case S::TapTempo:
            return {S::TimingSetting};
        case S::TimingResolution:
            if (!is(c, AudioSource::Record)) return {S::TapTempo};
            return {c.types == InstrumentTypes::Single ? S::Polyphony : S::Ensemble};
        case S::MidiFileName:
            if (is(c, AudioSource::Record)) return {S::TimingResolution};
            if (oneFile(c)) {
                if (!c.notation) return {S::TimingSetting};
                return {c.autoDetectTicked ? S::TapTempo : S::TimingResolution};
            }
            return instrumentPageBefore(c);
        case S::Finish:
            if (!is(c, AudioSource::RealTime)) return {S::MidiFileName};
            return instrumentPageBefore(c);
        case S::CdTransfer:
            return {is(c, AudioSource::Record) ? S::Metronome : S::AudioSource};
        case S::TimingSetting:
            if (unknownOrBeat(c)) return {S::OutputPatch};
            if (!ensembleNeeded(c)) return {S::Polyphony};
            if (stereoStep(c)) return {S::Stereo};
            return {S::Ensemble};
        case S::WhatInstruments:
            if (is(c, AudioSource::File)) return {S::AudioFile};
            if (is(c, AudioSource::RealTime)) return {S::AudioSource};
            if (is(c, AudioSource::CD)) return {S::CdTransfer};
            return {S::RecordAudio, H::SyncRecordMeter};
        case S::MasterFile:
            return {S::AudioSource, H::AcceptRecordedFile};
        case S::Stereo:
            return {c.instruments == InstrumentChoice::Unknown ? S::OutputPatch : S::Ensemble};
        default:
            return {FirstStep};
    }
}

RoadPosition PositionOnRoad(int stepsTaken, WizardStep step, const WizardChoices& c) {
    RoadPosition at{std::max(stepsTaken, 1), std::max(stepsTaken, 1)};
    // Bounded: a road never visits more steps than there are.
    WizardStep s = step;
    for (int i = 0; s != S::Finish && i < 2 * (PageOf(LastStep) + 1); ++i) {
        const WizardStep after = NextStep(s, c).step;
        if (after == s) break;
        s = after;
        ++at.total;
    }
    return at;
}

}  // namespace velt::desk
