#include "desk/core/run/other_windows.h"

#include "desk/core/live/frm_live.h"
#include "desk/core/options/frm_customize.h"
#include "desk/ui/ui.h"

namespace velt::desk {

void ShowLiveWindow() {
    ui::Load<frmLive>();
    if (ui::isLoaded<frmLive>()) ui::forms::get<frmLive>().Show(ui::Modal);
    ui::Release<frmLive>();
}

void ChooseMidiEditor() {
    frmCustomize& options = ui::Load<frmCustomize>();
    options.cmdMidi_Click();
    options.cmdOK_Click();
    ui::Unload<frmCustomize>();
}

}  // namespace velt::desk
