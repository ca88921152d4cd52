// Stand-ins for the player and the CD transfer window. The player only closes. The CD window can't
// read a CD here; instead its Transfer button takes an existing WAV file as the new track and
// hands it over as the real window does (CDTransferDone, the settings dialog's CurrentAudioFile,
// AudioFolder, and AddToFileList while WizardRunning is set).
#pragma once

#include "desk/core/placeholders/placeholder_form.h"

namespace velt::desk {

class frmPlayer : public PlaceholderForm {
  public:
    frmPlayer();
};

class frmCD : public PlaceholderForm {
  public:
    frmCD();
    ui::CommandButton cmdTransfer{this, "cmdTransfer"};
    ui::CommonDialog cdlTrack{this, "cdlTrack"};
    void cmdTransfer_Click();

  protected:
    void design() override;
};

}  // namespace velt::desk
