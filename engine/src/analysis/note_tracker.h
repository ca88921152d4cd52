// The note tracker: turns the frame history, slot by slot, into MIDI note, controller, bend,
// tempo and chord events (see note_tracker.cpp). The driver starts it once at set-up and runs it
// over each slot of the ring; the finish runs it over silent slots until it is idle.
#pragma once

namespace velt::engine {

// Sets the tracker up for a run: no note sounding, the look-ahead of MinimumLength frames ahead.
void StartNoteTracker();
// Runs the tracker over the ring slot at run().analysis.slot.
void TrackSlot();
// No note or meta can come out of further silent frames.
bool TrackerIdle();

}  // namespace velt::engine
