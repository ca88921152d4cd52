// The note tracker: turns the frame history, slot by slot, into MIDI note, controller, bend,
// tempo and chord events. It enforces each key's minimum note length, the output threshold,
// re-attacks, the polyphony limit and at most one event of each kind per key per MIDI tick.
//
// The tracker works on what it is given: its parameters, one frame of the history, its own state,
// the status values it reports, and a sink for its events. The run driver starts it once at
// set-up and runs it over each slot of the ring; the finish runs it over silent slots until it is
// idle.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "analysis/analysis_types.h"
#include "midi_events.h"

namespace velt::engine {

struct TrackerParams {
    int keyMin = 0;              // lowest key tracked
    int topKey = kKeyCount - 1;  // highest key tracked
    int threshold = 5;           // output threshold in level units: a note starts at twice this
    int polyphony = 30;          // most notes sounding at once; 1 for drums and a single line
    int channel = 0;             // MIDI channel of every event, 0-based
    int minimumLength = 6;  // frames of look-ahead; the shortest note of a key not in minFrames
    std::vector<int> minFrames;  // per key: the shortest note in frames (the resonators' lengths)
    int subdivisionExp = 0;      // 2^subdivisionExp frames make one MIDI tick
    bool liveRun = false;        // live: no chord or tempo metas
    bool filterInUse = false;    // instrument filter: no re-attacks
    bool drums = false;          // drums give no chord metas
    bool autoTiming = false;     // the timing comes from the notes afterwards: no metas
    bool tempoTrack = false;     // a tempo meta for every new beat length
    bool cropSilence = false;    // no ticks before the first note
    int controller = 0;          // expression controller number of a single line, 0 none
    int brightness = 0;          // brightness controller number, 0 none
    bool pitchBend = false;      // pitch bends of a single line
};

// One frame of the history as the tracker reads it.
struct TrackerFrame {
    int slot = 0;                          // ring position of the frame
    std::span<const HistoryCell> history;  // the whole history: kSlotCount cells per key
    int beatLength = 0;                    // the slot's beat length in ms, 0 none
    std::string_view chordText = "N/C";    // the chord named for the ring

    const HistoryCell& cell(int key) const { return history[size_t(key) * kSlotCount + slot]; }
};

// The status values the tracker keeps up to date.
struct TrackerReport {
    int startedKey = 0;     // key of the note just started, 0 none
    float startedBend = 0;  // its bend in 1/32 semitone
    int lowestKey = 128;    // lowest key sounded so far
    int highestKey = -1;    // highest key sounded so far
};

// Sets the tracker up for a run: no note sounding, the look-ahead of minimumLength frames ahead.
void StartTracker(const TrackerParams& params, TrackerState& state);
// Runs the tracker over one frame; its events go to the sink, timed by state.tickCounter.
void TrackFrame(const TrackerParams& params, const TrackerFrame& frame, TrackerState& state,
                TrackerReport& report, MidiEventSink& sink);
// No note or meta can come out of further silent frames (chordText: the chord named last).
bool TrackerIsIdle(const TrackerParams& params, const TrackerState& state,
                   std::string_view chordText);

}  // namespace velt::engine
