// A reproducible test piece for transcription: a score, its MIDI text for csvmidi, and its audio
// rendered by fluidsynth with the General MIDI sound font (reverb and chorus off); transcribed
// notes as a score, to measure them against it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace velt::test {

struct ScoreNote {
    double onset = 0;     // seconds
    double duration = 0;  // seconds
    int key = 60;
    int velocity = 90;
};

// A piano piece of the given length: a melody over a slower bass line with occasional chords,
// keys within 40..84, the same notes on every call.
std::vector<ScoreNote> pianoPiece(double seconds);

// The score as midicsv text: format 0, 120 BPM, 480 ticks a quarter, the given program.
std::string scoreCsv(const std::vector<ScoreNote>& notes, int program = 0);

// Writes the score as a MIDI file (csvmidi) and renders it into a WAV file at the given rate.
// Returns false when a tool failed.
bool renderScore(const std::vector<ScoreNote>& notes, const std::filesystem::path& folder,
                 const std::filesystem::path& wav, int rate = 44100, int program = 0);

// The same at 44.1 kHz, mixed down to mono 16-bit as the sound input takes it (the stereo render
// is left beside `wav`). Returns false when a tool failed.
bool renderMonoScore(const std::vector<ScoreNote>& notes, const std::filesystem::path& folder,
                     const std::filesystem::path& wav, int program = 0);

struct MidiContents;

// The notes of a MIDI file as score notes (onset and length in seconds through its tempo map).
// With bends applied a key includes the channel's pitch bend at the note-on (two half steps
// range), rounded to the nearest key: a line kept on its key with a bend sounds the next key.
std::vector<ScoreNote> scoreNotes(const MidiContents& midi, bool applyBends);

// Onset-and-pitch F-measure of transcribed notes against the score: a transcribed note matches
// an unmatched score note of the same key whose onset lies within the window (seconds).
double onsetFMeasure(const std::vector<ScoreNote>& score, const std::vector<ScoreNote>& found,
                     double window = 0.07);

}  // namespace velt::test
