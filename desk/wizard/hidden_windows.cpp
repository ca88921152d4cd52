#include "desk/wizard/hidden_windows.h"

#include "desk/media/frm_cd.h"
#include "desk/ui/ui.h"
#include "desk/wizard/wizard_mirror.h"

namespace velt::desk::wizard_windows {

void LoadCDWindow() {
    if (ui::isLoaded<frmCD>()) return;
    // The window is made with the page as its mirror; later windows are made plainly again.
    ui::forms::install<frmCD>([] {
        auto cd = std::make_unique<frmCD>();
        cd->Wizard = std::make_shared<WizardCdMirror>();
        return cd;
    });
    ui::Release<frmCD>();
    ui::Load<frmCD>();
    ui::forms::install<frmCD>([] { return std::make_unique<frmCD>(); });
}

void UnloadCDWindow() {
    ui::Unload<frmCD>();
    ui::Release<frmCD>();
}

bool CDTransferAvailable() {
    frmCD* cd = ui::forms::existing<frmCD>();
    return cd && cd->loaded() && cd->cmdRip.Enabled();
}

void StartCDTransfer() {
    ui::forms::get<frmCD>().cmdRip_Click();
}

}  // namespace velt::desk::wizard_windows
