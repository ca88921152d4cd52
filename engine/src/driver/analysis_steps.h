// The analysis stages on the run state: the adapters that map the run's settings, geometry and
// analysis state to each stage's parameters, and the steps the driver calls (set-up, one block,
// the ring, the finish). The stages themselves (analysis/) take what they need.
#pragma once

#include "analysis/chord_naming.h"
#include "analysis/filter_matching.h"
#include "analysis/frame_decisions.h"
#include "analysis/key_measurement.h"
#include "analysis/note_tracker.h"
#include "analysis/resonator_bank.h"

namespace velt::engine {

struct RunState;
class RunSetUp;

// Adapters: each stage's parameters from the run state (SettleStageParams calls them once).
BankParams BankParamsOf(const RunState& state);
KeyMeasurementParams KeyMeasurementParamsOf(const RunState& state);
PolyDecisionParams PolyDecisionParamsOf(const RunState& state);
SingleLineParams SingleLineParamsOf(const RunState& state);
FilterMatchParams FilterMatchParamsOf(const RunState& state);
ChordNamingParams ChordNamingParamsOf(const RunState& state);
TrackerParams TrackerParamsOf(const RunState& state);

// Set-up: the instrument filter's templates and the index's defaults for the settings not given
// (Filter becomes -1 when no filter can be used); the harmonic table; the resonator bank (out of
// memory throws StageFailure).
void LoadFilters(RunSetUp& setUp);
void BuildHarmonicTable();
void BuildResonatorBank();

// One block: measure it (pitched runs: every key; drum runs: the onset block's peak on the drum
// key), then decide the frame into the current ring slot.
void MeasureKeyEnergies();
void MeasureKeys(int peak);
void AnalyseFrame();      // pitched runs: single line, filter matching or polyphonic decision
void DecideSingleLine();  // drum runs

// The ring: name the chord of slots 0..slot; the tracker over the slot at run().analysis.slot.
void NameChord();
void StartNoteTracker();
void TrackSlot();
bool TrackerIdle();

// The shortest note of KeyMin in frames: the finish runs 2 x this + 1 silent tail passes.
int TailFrameCount();

}  // namespace velt::engine
