#include "desk/wizard/hidden_windows.h"

#include "desk/core/global.h"
#include "desk/core/placeholders/frm_media.h"
#include "desk/ui/ui.h"

namespace velt::desk::wizard_windows {

void LoadRecorder() { ui::Load<frmRecord>(); }

void UnloadRecorder() {
    ui::Unload<frmRecord>();
    ui::Release<frmRecord>();
}

void SettleRecorder() {
    // The recorder in this build keeps no take under way: nothing to stop or to offer.
}

void SaveRecorderTake() { ui::Load<frmRecord>().cmdSave_Click(); }

void KeepRecorderTiming() {
    // The recorder in this build has no metronome settings of its own to keep.
}

std::string RecorderMasterFileText() {
    const std::string& master = G().MasterFile;
    return master.empty() ? "<NONE>" : master;
}

void LoadCDWindow() { ui::Load<frmCD>(); }

void UnloadCDWindow() {
    ui::Unload<frmCD>();
    ui::Release<frmCD>();
}

bool CDTransferAvailable() {
    frmCD* cd = ui::forms::existing<frmCD>();
    return cd && cd->loaded() && cd->cmdTransfer.Enabled();
}

void StartCDTransfer() {
    if (frmCD* cd = ui::forms::existing<frmCD>(); cd && cd->loaded()) cd->cmdTransfer_Click();
}

}  // namespace velt::desk::wizard_windows
