#include "desk/instruments/instruments_windows.h"

#include "desk/core/global.h"
#include "desk/instruments/frm_ens.h"
#include "desk/ui/ui.h"

namespace velt::desk {

void RegisterInstrumentsWindows() {
    WindowHooks& windows = Windows();
    windows.showEnsembleEditor = [] {
        ui::Load<frmEns>();
        if (ui::isLoaded<frmEns>()) ui::forms::get<frmEns>().Show(ui::Modal);
        ui::Release<frmEns>();
    };
    windows.ensembleFirstChannel = []() -> std::optional<std::string> {
        frmEns* editor = ui::forms::existing<frmEns>();
        if (editor == nullptr || !editor->loaded()) return std::nullopt;
        return editor->txtChannel(0).Text();
    };
}

}  // namespace velt::desk
