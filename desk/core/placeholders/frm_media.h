// Stand-ins for the player, the recorder and the CD transfer window. The player only closes. The
// recorder and the CD window can't capture audio here; instead their Save and Transfer buttons
// take an existing WAV file as the new take and hand it over as the real windows do
// (RecordingSaved / CDTransferDone, the settings dialog's CurrentAudioFile, AudioFolder, and
// AddToFileList while WizardRunning is set).
#pragma once

#include "desk/core/placeholders/placeholder_form.h"

namespace velt::desk {

class frmPlayer : public PlaceholderForm {
  public:
    frmPlayer();
};

class frmRecord : public PlaceholderForm {
  public:
    frmRecord();
    ui::CommandButton cmdSave{this, "cmdSave"};
    ui::CommonDialog cdlTake{this, "cdlTake"};
    void cmdSave_Click();

  protected:
    void design() override;
    void Form_Load() override;
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
