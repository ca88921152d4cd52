// The run's MIDI output: the parameters of the MIDI stage from the run state, and the entries the
// driver calls to create, complete and place the file of a file run (the writer lives in
// RunState::midi and is the run's event sink).
#pragma once

#include "driver/run_state.h"
#include "midi/midi_file_writer.h"
#include "midi/note_mapping.h"

namespace velt::engine {

NoteMappingParams NoteMappingParamsOf(const RunState& state);
MidiWriterParams MidiWriterParamsOf(const RunState& state);
// The header's timing, key and metre as the run ends, its timing scaled by the AutoTiming tempo
// factor.
HeaderInput MidiHeaderOf(const RunState& state, double tempoFactor);
VelocityPassParams VelocityPassParamsOf(const RunState& state);

// Set-up of a file run: creates the writer (StageFailure 3.6, 5.7, 6.45) and installs it as the
// event sink; the start time moves on by the leading silence AutoTiming takes out.
void CreateMidiFile(RunState& state);

// The finish of a file run, in this order.
void WriteEndOfTrack(RunState& state);
// AutoTiming: the measured tempo replaces the nominal one in the status; returns the header's
// tempo factor, 1 without AutoTiming (or a measurement).
double CorrectAutoTimingTempo(RunState& state);
void WriteMidiHeader(RunState& state, double tempoFactor);
void ScaleVelocities(RunState& state);

// The end of every run: success and a cancel the user asked for put the file in place of the
// target (the outcome when that failed: 3.6 refused, 5.22 not renamed), other ends drop it and
// an earlier file of the target's name stays. A run without a file has nothing to do.
RunOutcome PutMidiFileInPlace(RunState& state);
void DropMidiFile(RunState& state);

}  // namespace velt::engine
