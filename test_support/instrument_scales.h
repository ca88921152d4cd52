// Instrument scales for transcription checks: major scales played by General MIDI
// programs (winds, strings, voices, piano) and rendered by fluidsynth, the engine's MIDI output
// read back (readMidi), and the count of notes found and wrong against the score.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "piano_score.h"

namespace velt::test {

struct InstrumentScale {
    const char* name;
    int program;   // General MIDI program, 0-based
    int firstKey;  // the scale's tonic, its lowest key; all notes lie within 28..85
};

// The instruments the checks play, in a fixed order.
const std::vector<InstrumentScale>& instrumentScales();
const InstrumentScale& instrumentScale(const std::string& name);

// Sixteen notes of a major scale from firstKey, up a ninth and down again: one every half
// second, 0.45 s long.
std::vector<ScoreNote> scaleScore(int firstKey);

struct NoteCount {
    int found = 0;  // score notes matched by a transcribed note of the same key
    int wrong = 0;  // transcribed notes that match no score note
};

// Matches each transcribed note to an unmatched score note of the same key whose onset lies
// within the window (seconds). Onsets come late by up to a hop of the engine's grid and its
// detection delay; notes of the scales are half a second apart.
NoteCount countNotes(const std::vector<ScoreNote>& score, const std::vector<ScoreNote>& found,
                     double window = 0.25);

// Runs the engine program on a WAV file with a project of the given extra keys (Tempo 120, 4/4
// given, so no tempo detection) and returns the MIDI file's notes, pitch bends applied; ok tells
// whether the run finished with success and its file was read. Work files go into folder.
std::vector<ScoreNote> transcribeWav(const std::filesystem::path& engine,
                                     const std::filesystem::path& wav,
                                     const std::filesystem::path& folder,
                                     const std::string& extraKeys, bool& ok);

}  // namespace velt::test
