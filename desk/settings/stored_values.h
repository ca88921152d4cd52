// How the settings dialog's load shows stored project values in its controls: a stored switch in
// a check box, a controller number in a controller list (the brightness and volume lists).
#pragma once

#include <cstdint>

#include "desk/ui/ui.h"

namespace velt::desk {

// A check box's value from a stored switch: older files keep -1 for on.
inline int CheckValue(int32_t stored) {
    return stored == 0 ? 0 : 1;
}

// Fills `list` with the controller rows and selects the first whose leading number is `value`,
// else "Disabled".
void SelectController(ui::ComboBox& list, int32_t value);

}  // namespace velt::desk
