// The test tones that let the user hear a range limit, a key, an instrument or a drum before
// converting: the settings dialog's buttons, the ensemble and drum kit editors and the wizard's
// instrument test sound them. One tone at a time on the options' MIDI output (MidiDevice, at the
// options' Velocity): a new tone ends the one still sounding, and each ends Duration ms after it
// starts. A port that won't open is reported ("Open MIDI") unless SuppressMidiErrors is set; the
// flag is used up by the tone that starts. The port itself is handled by test_note.h.
#pragma once

#include <cstdint>
#include <optional>

namespace velt::desk {

// Where a test tone sounds: a 0-based MIDI channel and the program it sounds with.
struct ToneVoice {
    int32_t channel = 0;
    int32_t program = 0;
};

inline constexpr int32_t kMiddleC = 60;
inline constexpr int32_t kPercussionChannelIndex = 9;  // MIDI channel 10, 0-based

// The tonic chord of `tonic` (TonicChord). Without a tonic (the automatic key) the port is opened
// but nothing sounds, and the flag is kept.
void PlayTonicChord(ToneVoice voice, std::optional<int32_t> tonic, bool major);

// One note: a range limit, or middle C to hear a program.
void PlayTestNote(ToneVoice voice, int32_t note);

// A percussion sound: `key` (the drum) with program 0 on `channel`, channel 10 unless given.
void PlayDrumSound(int32_t key, int32_t channel = kPercussionChannelIndex);

// Ends the tone now: the port is reset (silencing it) and closed, even when no tone sounds.
void StopTestTone();

// A tone started and not yet ended.
bool TestToneSounding();

}  // namespace velt::desk
