// The wizard's reach into the CD transfer window, which it loads hidden when the CD page is shown
// and drives while WizardRunning is set. Everything the CD page asks of that window goes through
// here, so the page doesn't depend on how the window is laid out.
#pragma once

namespace velt::desk::wizard_windows {

void LoadCDWindow();
// Unloads the CD window and forgets its instance.
void UnloadCDWindow();
// Whether the CD window can start a transfer, and starting it.
bool CDTransferAvailable();
void StartCDTransfer();

}  // namespace velt::desk::wizard_windows
