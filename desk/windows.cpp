#include "desk/windows.h"

#include "desk/instruments/instruments_windows.h"
#include "desk/media/media_windows.h"
#include "desk/settings/settings_windows.h"
#include "desk/wizard/wizard_windows.h"

namespace velt::desk {

void RegisterWindows() {
    RegisterInstrumentsWindows();
    RegisterMediaWindows();
    RegisterSettingsWindows();
    RegisterWizardWindows();
}

}  // namespace velt::desk
