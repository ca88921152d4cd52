// The wizard's reach into the CD transfer window, which it loads hidden when the CD page is shown
// and drives while WizardRunning is set.
#pragma once

namespace velt::desk::wizard_windows {

// Loads the CD window with the wizard's page as its mirror, so its load lists the drives there.
void LoadCDWindow();
// Unloads the CD window and forgets its instance.
void UnloadCDWindow();
// Whether the CD window can start a transfer, and starting it.
bool CDTransferAvailable();
void StartCDTransfer();

}  // namespace velt::desk::wizard_windows
