// The settings folder's windows as the core and the other window folders reach them: the
// settings dialog shown from the main window, its parts that the wizard and the instrument
// editors drive, and its link for the recorder.
#pragma once

namespace velt::desk {

// Fills the settings folder's entries of the shared module's window hooks.
void RegisterSettingsWindows();

}  // namespace velt::desk
