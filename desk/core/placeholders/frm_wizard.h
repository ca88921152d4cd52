// Stand-in for the New Project Wizard: the user picks one audio file and presses Finish. It
// honours the wizard's hand-over: the main window's Edit Project command is disabled while it is
// open and enabled on Finish; Finish makes the project convertible (AudioFileValid) and marks the
// settings applied (SettingsApplied); Cancel clears AudioFileValid; closing clears WizardRunning.
#pragma once

#include "desk/core/placeholders/placeholder_form.h"

namespace velt::desk {

class frmWizard : public PlaceholderForm {
  public:
    frmWizard();

    ui::Label lblAudio{this, "lblAudio"};
    ui::TextBox txtAudioFile{this, "txtAudioFile"};
    ui::CommandButton cmdBrowse{this, "cmdBrowse"};
    ui::CommandButton cmdFinish{this, "cmdFinish"};
    ui::CommonDialog cdlAudio{this, "cdlAudio"};

    void cmdBrowse_Click();
    void cmdFinish_Click();
    void cmdClose_Click() override;  // Cancel

  protected:
    void design() override;
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;
};

}  // namespace velt::desk
