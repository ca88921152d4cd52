// Test tones on the MIDI output, as the settings dialog, the options dialog and the metronome
// sound them: one port at a time (the shared hMidiOut), opened for the tone and closed when it
// ends, and the texts of a failed open.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velt::desk {

// "MMSYSTEM: " and the text for the results 2, 4, 7, 11 and 68; "MMSYSTEM: Error <n>" otherwise.
std::string testNoteError(int32_t result);

// Opens the port of MIDI output `device` into hMidiOut; the result (0 = open) also goes to
// MidiResult.
int32_t OpenTestTonePort(int32_t device);

// A program change on `channel` (0-based), then a note-on of each note at `velocity`.
void SendTestTone(int32_t channel, int32_t program, const std::vector<int32_t>& notes,
                  int32_t velocity);

// Ends the tone: the reset silences it (no note-off is sent), then the port closes.
void EndTestTone();

// The recording window's metronome holds the port for a whole run: the program is chosen once,
// then each beat clicks, middle C on the first beat of a bar and G below it on the others (and on
// every beat when the metre is automatic).
void SetMetronomeProgram(int32_t channel, int32_t program);
void SendMetronomeClick(int32_t channel, bool firstBeat, int32_t velocity);

// The tonic chord of `root` as it sounds: root, fifth, then the major or minor third, the fifth
// and the third an octave lower when above 66.
std::vector<int32_t> TonicChord(int32_t root, bool major);

}  // namespace velt::desk
