// The instruments folder's windows as the other window folders reach them: the ensemble editor,
// shown from the settings dialog, whose first channel box the recorder's metronome reads.
#pragma once

namespace velt::desk {

// Fills the instruments folder's entries of the shared module's window hooks.
void RegisterInstrumentsWindows();

}  // namespace velt::desk
