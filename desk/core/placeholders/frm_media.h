// Stand-in for the recorder. It can't capture audio here; instead its Save button takes an
// existing WAV file as the new take and hands it over as the real window does (RecordingSaved,
// the settings dialog's CurrentAudioFile, AudioFolder, and AddToFileList while WizardRunning is
// set).
#pragma once

#include "desk/core/placeholders/placeholder_form.h"

namespace velt::desk {

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

}  // namespace velt::desk
