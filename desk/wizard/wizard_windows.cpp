#include "desk/wizard/wizard_windows.h"

#include "desk/core/global.h"
#include "desk/ui/ui.h"
#include "desk/wizard/frm_wizard.h"
#include "desk/wizard/wizard_mirror.h"

namespace velt::desk {

void RegisterWizardWindows() {
    WindowHooks& windows = Windows();
    windows.showWizard = [] {
        ui::forms::get<frmWizard>().Show(ui::Modal);
        ui::Release<frmWizard>();
    };
    windows.wizardFiles = std::make_shared<WizardMirror>();
    windows.wizardRecordPage = std::make_shared<WizardRecorderMirror>();
    windows.wizardCdPage = std::make_shared<WizardCdMirror>();
}

}  // namespace velt::desk
