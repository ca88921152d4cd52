// Placeholders until the key measurement, note decisions and tracker land: the run goes through
// its whole block loop and writes a MIDI file without notes.
#include "analysis_api.h"

namespace velt::engine {

void BuildHarmonicTable() {}
void BuildResonatorBank() {}
void MeasureKeyEnergies() {}
void MeasureKeys(int) {}
void AnalyseFrame() {}
void DecideSingleLine() {}
void NameChord() {}
void EmitNotes(int) {}
int TailFrameCount() { return 0; }

}  // namespace velt::engine
