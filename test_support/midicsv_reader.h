// The one way the tests read a MIDI file: midicsv turns it into text records, parsed here into
// the notes and the events the checks look at.
#pragma once

#include <filesystem>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace velt::test {

// One midicsv record: its track (0 for the header and the file's end), tick, type as midicsv
// names it ("Note_on_c", "Tempo", ...) and the values after the type. A quoted text is given
// without its quotes and escapes.
struct MidiRecord {
    int track = 0;
    long tick = 0;
    std::string type;
    std::vector<std::string> values;
    bool operator==(const MidiRecord&) const = default;
};
std::ostream& operator<<(std::ostream& out, const MidiRecord& record);

// A sounded note: from a note-on with a velocity above 0 to the next note-off, or note-on with
// velocity 0, of its track, channel and key. Of overlapping notes of one key the earliest ends
// first.
struct MidiNote {
    long tick = 0;  // the note-on
    int key = 0;
    int velocity = 0;
    int channel = 0;   // 0-based, as midicsv counts
    long length = -1;  // ticks to the note's end; -1 when nothing ends it
    bool operator==(const MidiNote&) const = default;
};
std::ostream& operator<<(std::ostream& out, const MidiNote& note);

struct MidiTempo {
    long tick = 0;
    long microsPerQuarter = 0;
};

struct MidiTimeSignature {
    long tick = 0;
    int numerator = 0;
    int denominatorPower = 0;  // the denominator is 2 to this power
    int clocksPerClick = 0;
    int thirtySecondsPerQuarter = 0;
};

struct MidiKeySignature {
    long tick = 0;
    int sharps = 0;    // below 0: flats
    std::string mode;  // "major" or "minor"
};

struct MidiProgram {
    long tick = 0;
    int channel = 0;
    int program = 0;
};

struct MidiController {
    long tick = 0;
    int channel = 0;
    int controller = 0;
    int value = 0;
};

struct MidiPitchBend {
    long tick = 0;
    int channel = 0;
    int value = 0;  // 0..16383, 8192 in the middle
};

// A MIDI file as midicsv reads it. The event lists keep the file's order; the notes are sorted.
struct MidiContents {
    bool read = false;  // midicsv read the file and every record parsed
    std::string text;   // midicsv's output (or its message), to show beside a failed check
    int format = 0;
    int trackCount = 0;
    int division = 0;                 // ticks a quarter
    std::vector<MidiRecord> records;  // every record
    std::vector<MidiNote> notes;      // by tick, then key
    std::vector<MidiTempo> tempos;
    std::vector<MidiTimeSignature> timeSignatures;
    std::vector<MidiKeySignature> keySignatures;
    std::vector<MidiProgram> programs;
    std::vector<MidiController> controllers;
    std::vector<MidiPitchBend> pitchBends;

    // Seconds from the start to a tick through the tempo map (120 BPM before the first tempo).
    double seconds(long tick) const;
    bool hasNote(int channel, int key) const;    // a note of this key sounds on the channel
    bool hasTempo(long microsPerQuarter) const;  // a tempo of this value is set
    std::set<int> keys() const;                  // the keys of the notes
    std::vector<int> keysInOrder() const;        // the keys of the notes, by tick then key
    size_t count(std::string_view type) const;   // the records of a type
    // True when these records stand one right after the other in the file.
    bool containsRun(const std::vector<MidiRecord>& run) const;
};

// Reads a MIDI file with midicsv. When midicsv fails or writes a message, or a record does not
// parse, the running test fails with that message and `read` is false.
MidiContents readMidi(const std::filesystem::path& file);

}  // namespace velt::test
