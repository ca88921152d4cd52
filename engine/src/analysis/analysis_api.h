// What the run driver calls of the key measurement, the note decisions and the note tracker.
// They read the settings and geometry from run() and work on run().analysis.
#pragma once

namespace velt::engine {

void BuildHarmonicTable();
void BuildResonatorBank();
void MeasureKeyEnergies();   // pitched runs: one sounding block
void MeasureKeys(int peak);  // single-key mode: one onset block with its peak
void AnalyseFrame();         // after MeasureKeyEnergies, or after a silent block
void DecideSingleLine();     // single-key mode decision
void NameChord();            // names the chord of slots 0..slot, updates the pitch-class totals
void EmitNotes(int start);   // 1: start form; 0: process the slot at the ring position
int TailFrameCount();  // minFrames of KeyMin's record: the finish runs 2 x this + 1 tail passes
bool TrackerIdle();    // no note or meta can come out of further silent frames

}  // namespace velt::engine
