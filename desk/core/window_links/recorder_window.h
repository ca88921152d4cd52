// The recording window (desk/media, frmRecord) as the New Project Wizard drives it: loaded
// hidden, its handlers run for the wizard's metronome, record and master file pages, which copy
// its state back. The media folder fills the shared module's window hooks with these parts of
// the registry's one recorder (Windows().recorder); they name the window's own members and refer
// to one instance.
#pragma once

#include <functional>
#include <string>

#include "desk/ui/media_control.h"
#include "desk/ui/ui.h"

namespace velt::desk {

struct RecorderParts {
    ui::Form& form;

    // Controls.
    ui::TextBox& txtTempo;
    ui::TextBox& txtTimeNum;
    ui::TextBox& txtMasterFile;
    ui::CommandButton& cmdTest;
    ui::CommandButton& cmdSave;
    ui::CommandButton& cmdMetronome;
    ui::Label& lblFileName;
    ui::Label& lblCounter;
    ui::Label& lblKey;
    ui::Label& lblKey1;
    ui::ListBox& lstChannels;
    ui::StatusBar& StatusBar;
    ui::MediaControl& MMControl;
    ui::Frame& fraLevel;
    ui::Shape& shpForeground;
    ui::Line& line50;
    ui::Line& lineThres;

    // Working state.
    float& RecordTempo;
    ui::TextBox*& FocusedBox;  // the wizard's boxes hand themselves over too
    // Set on the recorder the wizard drives: its counter, light, Save button and level meter
    // are mirrored into the wizard's record page while WizardRunning is set.
    bool& MirrorsWizard;

    // Procedures.
    std::function<void(int&)> Form_Unload;
    std::function<void()> txtTempo_Change;
    std::function<void(int&)> txtTempo_KeyPress;
    std::function<void()> txtTempo_LostFocus;
    std::function<void()> spnTempo_DownClick;
    std::function<void()> spnTempo_UpClick;
    std::function<void()> txtTimeNum_Change;
    std::function<void(int&)> txtTimeNum_KeyPress;
    std::function<void()> txtTimeNum_LostFocus;
    std::function<void()> cmdKeep_Click;
    std::function<void()> cmdTest_Click;
    std::function<void(int&)> MMControl_PlayClick;
    std::function<void(int&)> MMControl_RecordClick;
    std::function<void(int&)> MMControl_StopClick;
    std::function<void()> cmdSave_Click;
    std::function<void()> cmdDevice_Click;
    std::function<void()> cmdMixer_Click;
    std::function<void()> cmdCDPlayer_Click;
    std::function<void()> cmdMasterBrowse_Click;
    std::function<void()> cmdMasterEdit_Click;
};

}  // namespace velt::desk
