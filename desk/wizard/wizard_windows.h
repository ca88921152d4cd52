// The wizard folder's window that the core opens: the new-project wizard.
#pragma once

namespace velt::desk {

// Fills the wizard's entry of the shared module's window hooks.
void RegisterWizardWindows();

}  // namespace velt::desk
