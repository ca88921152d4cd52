// The wizard's reach into the recorder and the CD transfer window, which it loads hidden and
// drives while WizardRunning is set. Everything the wizard asks of those two windows goes
// through here, so the pages don't depend on how the windows are laid out.
#pragma once

#include <string>

namespace velt::desk::wizard_windows {

void LoadRecorder();
// Unloads the recorder (its own unload settles the take) and forgets its instance.
void UnloadRecorder();
// Stops what the recorder is doing and offers to save the take, keeping it loaded.
void SettleRecorder();
// The recorder's Save: the take becomes the settings dialog's audio file.
void SaveRecorderTake();
// The recorder's tempo validation and Keep: tempo, metre and metronome volume to the settings.
void KeepRecorderTiming();
// The recorder's master file box ("<NONE>" without a master file).
std::string RecorderMasterFileText();

void LoadCDWindow();
void UnloadCDWindow();
// Whether the CD window can start a transfer, and starting it.
bool CDTransferAvailable();
void StartCDTransfer();

}  // namespace velt::desk::wizard_windows
