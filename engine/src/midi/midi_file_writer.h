// The Standard MIDI File the engine writes: format 0, one track, written as the run goes. A
// placeholder of spaces holds the header area until the finish knows tempo, key and metre; events
// follow as they are produced; End of Track and the header come last, then the velocity pass.
//
// Header area (47 + 44 + reserved bytes): MThd, MTrk with its length, time signature, tempo, key
// signature, the creator text, and when reserved is 7 part 0's program change and pan.
// One hop of the analysis is 24 ticks; the division follows the run's geometry.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace velt::engine {

constexpr std::string_view kCreatorText = "Created by Veltrane(R) MP3 to MIDI Converter";
constexpr int kTicksPerHop = 24;
constexpr int kMaxDivision = 32767;
constexpr int64_t kMaxTempoMicros = 16777215;

// Bytes of the header area: 47 + the creator text + the reserved program and pan bytes.
int64_t HeaderAreaSize(int reserved);

// A MIDI variable-length quantity (7-bit groups, most significant first, bit 7 on all but last).
std::vector<unsigned char> EncodeVarLen(uint32_t value);

// Ticks per quarter note and microseconds per quarter note from the run's timing.
struct MidiTiming {
    double ticksPerQuarter = 0;  // t, unrounded
    int64_t division = 0;        // u = round(t)
    int64_t tempoMicros = 0;     // m
};
struct TimingInput {
    double sampleRate = 44100;
    double hopSamples = 1;
    double beatsPerSecond = 2;
    int subdivisionExp = 0;
    int denominatorExp = 2;
    double speedFactor = 1;
    double tempoFactor = 1;
};
MidiTiming ComputeMidiTiming(const TimingInput& in);

// The outcome detail of 7 for a timing that a MIDI header cannot carry (24: division 0,
// 25: division 32768 or more, 26: tempo 0 us, 27: tempo above 16,777,215 us), or 0 when it fits.
int TimingOutcomeDetail(int64_t division, int64_t tempoMicros);

struct HeaderInput {
    int division = 96;
    int64_t tempoMicros = 500000;
    int64_t eventBytes = 0;
    int numerator = 4;
    int denominatorExp = 2;
    int keySignature = 8;  // 8 = none, written as 0
    int majorMinor = 0;
    int reserved = 0;  // 7: part 0's program change and pan follow the text
    int channel = 0;   // 0-based
    int program = 0;
};
std::vector<unsigned char> BuildHeaderArea(const HeaderInput& in);

// The file side of the MIDI event entry (installed as the event sink of a file run).
void EmitFileMidiEvent(int& delta, int status, int data1, int data2, int channel);
// Creates the file of the run and writes the placeholder (3.6, 6.23, 5.7); installs the sink.
void CreateMidiFile();
void WriteMidiByte(int byte);      // 5.22 on failure
void WriteVarLen(uint32_t value);  // 5.22 on failure
void WriteEndOfTrack();
// Writes the header over the placeholder with the run's final timing, key and metre; closes.
void WriteMidiHeader();
// Raises note velocities so that their average meets the gain (never lowers them).
void ScaleVelocities();

// The velocity pass on the track bytes after the header area (exposed for tests): every note-on
// and note-off with key in keyMin..topKey and velocity >= threshold gets min(127, v x factor).
void ScaleTrackVelocities(std::span<unsigned char> track, double factor, int keyMin, int topKey,
                          int threshold);

}  // namespace velt::engine
