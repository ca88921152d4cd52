// The wizard's reach into the windows it drives hidden: the settings dialog, the recorder and the
// CD transfer window, through the parts they offer in the shared module's window hooks
// (desk/core/window_links/). The recorder and the CD window are loaded when their pages need
// them and mirror into those pages while WizardRunning is set.
#pragma once

#include "desk/core/window_links/cd_window.h"
#include "desk/core/window_links/recorder_window.h"
#include "desk/core/window_links/settings_dialog.h"

namespace velt::desk::wizard_windows {

// The windows' parts; a reference to a window that is not loaded loads it.
SettingsDialogParts editor();
RecorderParts recorder();
CdWindowParts cdWindow();

// Loads the CD window with the wizard's page as its mirror, so its load lists the drives there.
void LoadCDWindow();
// Unloads the CD window and forgets its instance.
void UnloadCDWindow();
// Unloads the recorder and forgets its instance.
void UnloadRecorder();
// Whether the CD window can start a transfer, and starting it.
bool CDTransferAvailable();
void StartCDTransfer();

// The wizard's end: the boxes of its pages are handed back by the windows that outlive it, and
// the windows it drove are unloaded (the settings dialog with WizardClosing set). A program that
// is ending unloads every form in turn, so none is forgotten here.
void UnloadDrivenWindows(const ui::TextBox* const (&pageBoxes)[4]);
// The windows it drove that are not loaded are forgotten with the wizard.
void ReleaseDrivenWindows();

}  // namespace velt::desk::wizard_windows
