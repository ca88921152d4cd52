// Stand-in for the project settings dialog: it shows and changes the project's one audio file.
// It honours the dialog's hand-over: loading clears SettingsApplied and inspects the audio file
// (AudioFileValid); Apply (and OK with a change)
// commits the change, sets SettingsApplied and ProjectChanged and enables the main window's Save
// commands; while WizardRunning is set it hides instead of unloading. CurrentAudioFile and
// AddToFileList are what the recorder and the CD window hand a new take to.
#pragma once

#include <string>

#include "desk/core/placeholders/placeholder_form.h"

namespace velt::desk {

class frmProperties : public PlaceholderForm {
  public:
    frmProperties();

    ui::Label lblAudio{this, "lblAudio"};
    ui::TextBox txtAudioFile{this, "txtAudioFile"};
    ui::CommandButton cmdBrowse{this, "cmdBrowse"};
    ui::CommandButton cmdOK{this, "cmdOK"};
    ui::CommandButton cmdApply{this, "cmdApply"};
    ui::CommonDialog cdlAudio{this, "cdlAudio"};

    std::string CurrentAudioFile;
    void AddToFileList();  // makes CurrentAudioFile the project's audio file

    void cmdBrowse_Click();
    void cmdOK_Click();
    void cmdApply_Click();

  protected:
    void design() override;
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;
};

// The one audio file of a project as the stand-ins set it: its MIDI file beside it, its folder
// remembered, convertible when it is a RIFF WAVE file.
void UseSingleAudioFile(const std::string& path);

// True when the file starts like a RIFF WAVE file.
bool LooksLikeWave(const std::string& path);

}  // namespace velt::desk
