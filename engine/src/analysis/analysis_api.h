// What the run driver calls of the key measurement and the note decisions (the note tracker has
// its own header, note_tracker.h).
// They read the settings and geometry from run() and work on run().analysis.
#pragma once

namespace velt::engine {

void BuildHarmonicTable();
void BuildResonatorBank();
void MeasureKeyEnergies();   // pitched runs: one sounding block
void MeasureKeys(int peak);  // single-key mode: one onset block with its peak
void AnalyseFrame();         // after MeasureKeyEnergies, or after a silent block
void DecideSingleLine();     // single-key mode decision
int TailFrameCount();  // minFrames of KeyMin's record: the finish runs 2 x this + 1 tail passes

}  // namespace velt::engine
