// The media folder's windows that the core opens: the player and the decoding windows.
#pragma once

namespace velt::desk {

// Fills the player and decoding entries of the shared module's window hooks.
void RegisterMediaWindows();

}  // namespace velt::desk
