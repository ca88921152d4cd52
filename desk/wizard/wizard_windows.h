// The wizard folder's windows as the core and the other window folders reach them: the
// new-project wizard, and the pages the windows it drives mirror into.
#pragma once

namespace velt::desk {

// Fills the wizard's entries of the shared module's window hooks.
void RegisterWizardWindows();

}  // namespace velt::desk
