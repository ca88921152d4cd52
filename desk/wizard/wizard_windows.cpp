#include "desk/wizard/wizard_windows.h"

#include "desk/core/global.h"
#include "desk/ui/ui.h"
#include "desk/wizard/frm_wizard.h"

namespace velt::desk {

void RegisterWizardWindows() {
    Windows().showWizard = [] {
        ui::forms::get<frmWizard>().Show(ui::Modal);
        ui::Release<frmWizard>();
    };
}

}  // namespace velt::desk
