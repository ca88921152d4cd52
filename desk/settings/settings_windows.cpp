#include "desk/settings/settings_windows.h"

#include "desk/core/global.h"
#include "desk/settings/frm_properties.h"
#include "desk/ui/ui.h"

namespace velt::desk {

void RegisterSettingsWindows() {
    Windows().showProperties = [] {
        ui::forms::get<frmProperties>().Show(ui::Modal);
        ui::Release<frmProperties>();
    };
}

}  // namespace velt::desk
