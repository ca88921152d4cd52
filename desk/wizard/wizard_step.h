// The New Project Wizard's steps, named for what each page asks. The value is the page's number:
// the index of its frame, instruction and picture in the window's page arrays.
#pragma once

#include <ostream>

namespace velt::desk {

enum class WizardStep : int {
    Blank = 0,               // page 0 exists in the window's design but is never shown
    AudioSource = 1,         // where the music comes from
    Metronome = 2,           // tempo and beats of the metronome that clicks while recording
    RecordAudio = 3,         // record the audio file
    AudioFile = 4,           // the audio files to convert
    InstrumentTypes = 5,     // how many different types of instrument play
    OriginalInstrument = 6,  // the instrument in the original audio and its output patch
    Ensemble = 7,            // the ensemble or drum kit
    Polyphony = 8,           // the largest number of notes sounding at once
    TapTempo = 9,            // tap along with the beat
    TimingResolution = 10,   // the shortest note, in notes per beat
    MidiFileName = 11,       // the name of the MIDI file made
    Finish = 12,             // ready to make the MIDI file
    CdTransfer = 13,         // transfer a track from an audio CD
    TimingSetting = 14,      // easy or notation timing
    WhatInstruments = 15,    // what the user knows of the instruments
    OutputPatch = 16,        // the output patch
    MasterFile = 17,         // the master MIDI file to record against
    Stereo = 18,             // how the stereo image is treated
};

constexpr WizardStep FirstStep = WizardStep::AudioSource;
constexpr WizardStep LastStep = WizardStep::Stereo;

// The page number of `step`, the index into the window's page arrays.
constexpr int PageOf(WizardStep step) {
    return static_cast<int>(step);
}

// Test failures and logs show the page number.
inline std::ostream& operator<<(std::ostream& out, WizardStep step) {
    return out << PageOf(step);
}

}  // namespace velt::desk
