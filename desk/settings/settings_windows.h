// The settings folder's window that the core opens: the settings dialog.
#pragma once

namespace velt::desk {

// Fills the settings dialog's entry of the shared module's window hooks.
void RegisterSettingsWindows();

}  // namespace velt::desk
