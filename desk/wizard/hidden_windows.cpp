#include "desk/wizard/hidden_windows.h"

#include "desk/core/placeholders/frm_media.h"
#include "desk/ui/ui.h"

namespace velt::desk::wizard_windows {

void LoadCDWindow() { ui::Load<frmCD>(); }

void UnloadCDWindow() {
    ui::Unload<frmCD>();
    ui::Release<frmCD>();
}

bool CDTransferAvailable() {
    frmCD* cd = ui::forms::existing<frmCD>();
    return cd && cd->loaded() && cd->cmdTransfer.Enabled();
}

void StartCDTransfer() { ui::forms::get<frmCD>().cmdTransfer_Click(); }

}  // namespace velt::desk::wizard_windows
