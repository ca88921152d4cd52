// AutoTiming: measures the beat from the note-on rhythm while the MIDI events are written, and
// turns it into the tempo of the file at the finish.
//
// Time is counted in tracker ticks (the note tracker's unit: one tick = 2^s analysis frames =
// 24 MIDI ticks); tickSeconds is its length. Note-ons that share a tick form a group whose weight
// is the sum of their velocities, kept in a ring of bins covering about three seconds. Each new
// group adds the distance back to the group before it, weighted by the product of the two groups'
// weights, to the interval sum. A gap that leaves the ring behind (a silence of three to six
// seconds or more) ends the measuring for the rest of the run.
//
// Leading silence is not written: until the first note-on every event's delta is taken away, and
// at the first note-on the silence is reported so that the start time can move by it.
//
// Sums are 64-bit: bin products times distances overflow 32 bits after a few loud chords.
#pragma once

#include <cstdint>
#include <vector>

namespace velt::engine {

class AutoTimingMeter {
  public:
    AutoTimingMeter() = default;  // no bins: measures nothing until reset
    // binCount: trunc(3 seconds / tick length), at least 1.
    explicit AutoTimingMeter(int binCount) { reset(binCount); }

    // Starts over with a ring of binCount bins (throws std::bad_alloc when it cannot have them).
    void reset(int binCount);

    // Sees one event before it is written. delta: the caller's accumulator in ticks, set to 0 while
    // no note-on has come yet. Returns the ticks of leading silence at the first note-on, else 0.
    int64_t observe(int& delta, int status, int velocity);

    bool hasMeasurement() const { return weightSum_ > 0; }
    double meanInterval() const;  // ticks between note groups, weighted; 0 without a measurement
    int64_t intervalSum() const { return intervalSum_; }
    int64_t weightSum() const { return weightSum_; }

  private:
    bool inRing(int64_t position) const { return position >= 0 && position < binCount_; }
    void advance(int64_t ticks);

    int64_t binCount_ = 0;
    std::vector<int64_t> bins_;
    int64_t current_ = 0;    // ring position of the newest group; >= binCount_: left the ring
    int64_t previous_ = -1;  // ring position of the group before it; -1: none yet
    int64_t counter_ = 0;    // ticks since the first note-on (before it: since the start)
    int64_t lastNoteOn_ = 0;
    bool beforeFirstNote_ = true;
    int64_t intervalSum_ = 0;
    int64_t weightSum_ = 0;
};

// The AutoTiming tempo correction. tempo: the run's nominal tempo in BPM; the measured tempo is
// 60 / (mean interval x tickSeconds). The result takes the whole multiple (or fraction) of the
// measured tempo nearest the nominal one; factor = nominal / corrected scales the header's
// division and tempo so that the notes keep their times.
struct TempoCorrection {
    double tempo = 0;  // BPM
    double factor = 1;
};
TempoCorrection CorrectTempo(double tempo, const AutoTimingMeter& meter, double tickSeconds);

}  // namespace velt::engine
