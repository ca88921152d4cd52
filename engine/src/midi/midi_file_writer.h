// The Standard MIDI File the engine writes: format 0, one track, written as the run goes. A
// placeholder of spaces holds the header area until the finish knows tempo, key and metre; events
// follow as they are produced; End of Track and the header come last, then the velocity pass.
//
// Header area (47 + 44 + reserved bytes): MThd, MTrk with its length, time signature, tempo, key
// signature, the creator text, and when reserved is 7 part 0's program change and pan.
// One hop of the analysis is 24 ticks; the division follows the run's geometry.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "file_handle.h"
#include "midi/note_mapping.h"
#include "run_outcomes.h"
#include "tempo/auto_timing_meter.h"

namespace velt::engine {

constexpr std::string_view kCreatorText = "Created by Veltrane(R) MP3 to MIDI Converter";
constexpr int kTicksPerHop = 24;
constexpr int kMaxDivision = 32767;
constexpr int64_t kMaxTempoMicros = 16777215;

// Bytes of the header area: 47 + the creator text + the reserved program and pan bytes.
int64_t HeaderAreaSize(int reserved);

// A MIDI variable-length quantity (7-bit groups, most significant first, bit 7 on all but last),
// held in place: every event's delta is one, and writing an event allocates nothing.
struct VarLenBytes {
    std::array<unsigned char, 5> bytes{};  // 32 bits take at most five groups
    int size = 0;
    const unsigned char* begin() const { return bytes.data(); }
    const unsigned char* end() const { return bytes.data() + size; }
};
VarLenBytes EncodeVarLen(uint32_t value);

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

// The division and tempo a header carries for a run's timing, held to the header's ranges: the
// set-up checked them with tempo factor 1, and the AutoTiming factor must not push them out.
void SetHeaderTiming(HeaderInput& header, const MidiTiming& timing);

// The velocity pass on the track bytes after the header area: every note-on and note-off with key
// in keyMin..topKey and velocity >= threshold gets min(127, v x factor).
void ScaleTrackVelocities(std::span<unsigned char> track, double factor, int keyMin, int topKey,
                          int threshold);

// What the writer of a file run needs to know from the start.
struct MidiWriterParams {
    std::string target;       // the MIDI file asked for; a link to a file stands for that file
    std::string audio;        // the audio being converted: never written over
    int reservedBytes = 0;    // 0, or 7 for part 0's program change and pan in the header area
    NoteMappingParams notes;  // keys and velocities as written (notes.singleKeyMode: a drum run)
    bool autoTiming = false;  // AutoTiming: every event is shown to the note-on rhythm meter
    double tickSeconds = 0;   // s, one tracker tick (2^s hops): the meter's unit
    double resolution = -1;   // e: log2 of the note subdivision per whole note
    int denominatorExp = 2;   // the metre's note value as a power of two (2: quarter)
    int numerator = 4;        // beats to the bar
    double speedFactor = 1;   // Speed / 100: scales the tempo metas
    bool firstChordWaits = true;  // the first chord name waits for the first event (false: none
                                  // waits, every event is written alone from the start)
};

// The velocity pass at the end of a file run.
struct VelocityPassParams {
    double gainFactor = 1;  // Gain / 100: note-on velocities are raised to an average of 64 x gain
    int keyMin = 0;         // keys keyMin..topKey are scaled
    int topKey = 127;       // the highest analysed key
    int threshold = 1;      // velocities below it stay as they are
};

// The MIDI file of a file run: created as the run's own working file beside the target (see
// midi_file_place.h) with a placeholder for the header area, then written event by event; the
// header, the velocity pass and the placing go through the same open stream. A writer that
// cannot go on throws StageFailure with the outcome (3.6 not created, or the target is a file
// that may not be replaced; 5.7 placeholder, 5.22 an event, 5.29 a chord text, 5.19 / 5.20 /
// 5.35 the header, 6.45 the AutoTiming bins). Destroying it closes the file and leaves it where
// it is (the next run on the target removes it): place() or discard() end its life on disk.
class MidiFileWriter {
  public:
    explicit MidiFileWriter(MidiWriterParams params);

    // Writes one event (as MidiEventSink::emit describes it); chordText: the chord a 0xFF event
    // names (at most 5 characters are written). Returns the seconds of leading silence AutoTiming
    // took out at the first note-on (the start time moves on by them), else 0.
    double write(int& delta, int status, int data1, int data2, int channel,
                 std::string_view chordText);
    void writeEndOfTrack();
    // Writes the header over the placeholder (the file stays open); the track length and the
    // reserved bytes are the writer's own, whatever header says.
    void writeHeader(HeaderInput header);
    // Raises note velocities so that their average meets the gain (never lowers them). A file
    // that cannot be reopened keeps its velocities.
    void scaleVelocities(const VelocityPassParams& params);

    // Renames the file over the target and closes it. The outcome when that failed (the working
    // file is then removed): 3.6 when the target has become a file that may not be replaced,
    // 5.22 when the rename failed. Success ({0, 0}) when no file was created.
    RunOutcome place();
    // Closes the file and removes it: an earlier file of the target's name stays as it was.
    void discard();

    const std::string& target() const { return target_; }  // the target, a link resolved
    const std::string& workPath() const { return workPath_; }
    int64_t eventBytes() const { return eventBytes_; }
    int64_t velocityCount() const { return velocityCount_; }
    const AutoTimingMeter& meter() const { return meter_; }

  private:
    void writeByte(int byte);
    void writeVarLen(uint32_t value);
    void writeBytesOr(std::span<const unsigned char> bytes, RunOutcome failure);
    void writeChordMetas(std::string_view text, bool leadingDelta);

    MidiWriterParams params_;
    std::string target_;
    std::string workPath_;
    bool created_ = false;  // this writer created workPath_ (only that file may be deleted)
    FileHandle file_;
    int64_t eventBytes_ = 0;     // track bytes written after the header area
    int runningStatus_ = -1;     // last status byte written (0xFF after a chord meta, kTempoMeta)
    int64_t velocityTotal_ = 0;  // note-on velocities, for the velocity pass
    int64_t velocityCount_ = 0;
    bool chordPending_ = true;  // the first chord name waits for the first event
    std::string pendingChord_;
    AutoTimingMeter meter_;  // note-on rhythm, measured under AutoTiming
};

}  // namespace velt::engine
