// The order of the New Project Wizard's steps. Which step follows or precedes another depends only
// on the choices made so far, so both directions are pure functions of a snapshot of those
// choices; the window takes the snapshot, moves to the step returned and runs the hand-over.
#pragma once

#include "desk/wizard/wizard_step.h"

namespace velt::desk {

// Where the audio comes from (the wizard's first page, in its order).
enum class AudioSource { Record = 0, Cassette = 1, File = 2, RealTime = 3, CD = 4 };
// What the user knows of the instruments (the "What Instruments" page, in its order).
enum class InstrumentChoice { Unknown = 0, Known = 1, BeatDetection = 2, DrumRecognition = 3 };
// How many kinds of instrument play (the "Types of Instruments" page, in its order).
enum class InstrumentTypes { Multiple = 0, Single = 1, MonoPerChannel = 2 };

struct WizardChoices {
    AudioSource source = AudioSource::Record;
    InstrumentChoice instruments = InstrumentChoice::Unknown;
    InstrumentTypes types = InstrumentTypes::Multiple;
    bool notation = false;           // timing setting: notation rather than easy
    bool autoDetectTicked = false;   // "Auto Detect" on the tapping page
    bool masterFileNamed = false;    // the master file box names a file (not "<NONE>")
    int audioFileCount = 0;          // entries of the settings dialog's audio file list
    bool unknownEnabled = true;      // the dialog's "I DO NOT know ..." option is enabled
    bool stereoFrameEnabled = true;  // the dialog's stereo frame is enabled
    bool recMasterFileEmpty = true;  // no master file recorded against
};

// What the window runs besides changing the step.
enum class StepHandover {
    None,
    SyncRecordMeter,     // load the recorder and mirror it into the record pages
    AcceptRecordedFile,  // hand the recording to the settings dialog, unload the recorder
    KnownInstruments,    // single instrument, polyphony handed over, stereo mix
};

struct StepMove {
    WizardStep step;
    StepHandover handover = StepHandover::None;
    bool operator==(const StepMove&) const = default;
};

// The step after `step` (Next). A step without a following one (the finish step) stays.
StepMove NextStep(WizardStep step, const WizardChoices& c);
// The step before `step` (Back). The first step stays.
StepMove PreviousStep(WizardStep step, const WizardChoices& c);

// Where the user is on the road: the place of the step shown among the steps taken to reach it
// (1 on the first) and how many steps the road has up to the finish, the steps ahead counted as
// Next would take them with the choices made.
struct RoadPosition {
    int position = 1;
    int total = 1;
    bool operator==(const RoadPosition&) const = default;
};
RoadPosition PositionOnRoad(int stepsTaken, WizardStep step, const WizardChoices& c);

}  // namespace velt::desk
