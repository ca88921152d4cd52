// The media folder's windows as the core and the other window folders reach them: the player,
// the decoding windows, the CD window and the recorder (shown from the settings dialog, driven
// by the wizard).
#pragma once

namespace velt::desk {

// Fills the media folder's entries of the shared module's window hooks.
void RegisterMediaWindows();

}  // namespace velt::desk
