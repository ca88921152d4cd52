// The Save dialog of a new WAV file (a recording, a CD track): its title and filters, and ".wav"
// added to a name typed without an extension, so the file is one the program itself accepts.
#pragma once

#include "desk/ui/dialogs/common_dialog.h"

namespace velt::desk {

inline void PrepareWaveSaveDialog(ui::CommonDialog& dialog) {
    dialog.setDialogTitle("Save Wave File As");
    dialog.setFilter("Wave Files (*.wav)|*.wav|All Files (*.*)|*.*");
    dialog.setDefaultExt("*.wav");
}

}  // namespace velt::desk
