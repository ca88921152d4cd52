// frmWizard, the New Project Wizard. It asks for a new project one step (page) at a time and owns
// no project data: every choice goes into the hidden settings dialog, the recorder or the CD
// window, whose state is the truth and is mirrored back into the pages. Finish applies the
// settings dialog to the project, so the main window converts at once; Cancel and the close box
// start nothing.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "desk/ui/ui.h"
#include "desk/wizard/wizard_navigation.h"

namespace velt::desk {

// The page picture: where the page lies on the road taken ("Step 3 of 7").
ui::Picture WizardRoadPicture(RoadPosition at);

class frmWizard : public ui::Form {
  public:
    frmWizard();
    ~frmWizard() override;

    static constexpr int kPages = 19;  // pages 0..18; page 0 is never shown
    static constexpr double kParked = -10000;

    // Common to every page.
    ui::Label lblTitle{this, "lblTitle"};  // the page title above the pages
    ui::ControlArray<ui::Frame> fraStep{this, "fraStep"};
    ui::ControlArray<ui::Label> lblStep{this, "lblStep"};
    ui::ControlArray<ui::Image> imgStep{this, "imgStep"};
    ui::ControlArray<ui::CommandButton> cmdNav{this, "cmdNav", {0, 1, 2, 3, 4}};
    ui::Line linButtons{this, "linButtons"};  // divider above the button row

    // Step 1: where the audio comes from.
    ui::ControlArray<ui::OptionButton> optWave{this, "optWave", {0, 1, 2, 3, 4}};

    // Step 2: metronome for recording.
    ui::Label lblTempo{this, "lblTempo"};
    ui::TextBox txtTempo{this, "txtTempo"};
    ui::UpDown spnTempo{this, "spnTempo"};
    ui::Label lblTimeNum{this, "lblTimeNum"};
    ui::TextBox txtTimeNum{this, "txtTimeNum"};
    ui::UpDown spnTimeNum{this, "spnTimeNum"};
    ui::CommandButton cmdTest{this, "cmdTest"};
    ui::PictureBox gauTempo{this, "gauTempo"};
    ui::Line gauTempoLine{this, "gauTempoLine"};

    // Step 3: record the audio file. The recorder, its metronome and its level meter mirror
    // their state into these controls.
    ui::MediaControl MMControl{this, "MMControl"};
    ui::StatusBar StatusBar{this, "StatusBar"};
    ui::Label lblCounter{this, "lblCounter"};
    ui::Label lblFileName{this, "lblFileName"};
    ui::CommandButton cmdSave{this, "cmdSave"};
    ui::CommandButton cmdDevice{this, "cmdDevice"};
    ui::CommandButton cmdMixer{this, "cmdMixer"};
    ui::CommandButton cmdCDPlayer{this, "cmdCDPlayer"};
    ui::Image picMetronome{this, "picMetronome"};  // the metronome light
    ui::Frame fraLevel{this, "fraLevel"};
    ui::Shape shpBackground{this, "shpBackground"};
    ui::Shape shpForeground{this, "shpForeground"};  // the level bar
    ui::Line line50{this, "line50"};
    ui::Line lineThres{this, "lineThres"};  // the input threshold

    // Step 17: master MIDI file for score building.
    ui::TextBox txtMasterFile{this, "txtMasterFile"};
    ui::CommandButton cmdMasterBrowse{this, "cmdMasterBrowse"};
    ui::CommandButton cmdMasterEdit{this, "cmdMasterEdit"};
    ui::Label lblChannels{this, "lblChannels"};
    ui::ListBox lstChannels{this, "lstChannels"};
    ui::Label lblKey{this, "lblKey"};
    ui::Label lblKey1{this, "lblKey1"};

    // Step 4: the audio file list.
    ui::Label lblAudioFile{this, "lblAudioFile"};
    ui::ComboBox cboAudioFile{this, "cboAudioFile"};
    ui::CommandButton cmdWaveBrowse{this, "cmdWaveBrowse"};
    ui::CommandButton cmdWaveEdit{this, "cmdWaveEdit"};

    // Step 13: CD transfer; the CD window fills these.
    ui::Label lblDrives{this, "lblDrives"};
    ui::ComboBox cboDrives{this, "cboDrives"};
    ui::ListBox lstTracks{this, "lstTracks"};
    ui::CommandButton cmdRip{this, "cmdRip"};
    ui::CommandButton cmdMixerCD{this, "cmdMixerCD"};
    ui::MediaControl mmCD{this, "mmCD"};
    ui::StatusBar StatusBarCD{this, "StatusBarCD"};
    ui::Label lblFileNameCD{this, "lblFileNameCD"};
    ui::Label lblPositionCD{this, "lblPositionCD"};        // playing position of the track
    ui::ProgressBar pbPlayCD{this, "pbPlayCD"};            // playback through the track
    ui::ProgressBar ProgressBarCD{this, "ProgressBarCD"};  // transfer progress

    // Step 15: what instruments.
    ui::ControlArray<ui::OptionButton> optFilter{this, "optFilter", {0, 1, 2, 3}};
    ui::ControlArray<ui::Image> imgFilter{this, "imgFilter", {0, 1, 2, 3}};
    // Step 5: types of instruments.
    ui::ControlArray<ui::OptionButton> optFilter1{this, "optFilter1", {0, 1, 2}};
    // Step 6: the instrument in the original audio and its output patch.
    ui::Label lblFilter{this, "lblFilter"};
    ui::ComboBox cboFilter{this, "cboFilter"};
    ui::CommandButton cmdsndFilter{this, "cmdsndFilter"};
    ui::Label lblMidiPatch1{this, "lblMidiPatch1"};
    ui::ComboBox cboMidiPatch1{this, "cboMidiPatch1"};
    ui::CommandButton cmdsndPatch1{this, "cmdsndPatch1"};
    // Step 16: the output patch.
    ui::Label lblMidiPatch{this, "lblMidiPatch"};
    ui::ComboBox cboMidiPatch{this, "cboMidiPatch"};
    ui::CommandButton cmdsndPatch{this, "cmdsndPatch"};
    // Step 7: ensemble or drum kit.
    ui::Label lblPatchMap{this, "lblPatchMap"};
    ui::TextBox txtPatchMap{this, "txtPatchMap"};
    ui::CommandButton cmdPatchMapBrowse{this, "cmdPatchMapBrowse"};
    ui::CommandButton cmdPatchMapEdit{this, "cmdPatchMapEdit"};
    ui::CommandButton cmdDrumKitEdit{this, "cmdDrumKitEdit"};
    // Step 8: polyphony.
    ui::Label lblPitchMode{this, "lblPitchMode"};
    ui::TextBox txtPitchMode{this, "txtPitchMode"};
    ui::UpDown spnPitchMode{this, "spnPitchMode"};
    // Step 18: stereo processing.
    ui::ControlArray<ui::OptionButton> optStereo{this, "optStereo", {0, 1, 2, 3}};

    // Step 14: timing setting.
    ui::ControlArray<ui::OptionButton> optSync{this, "optSync", {0, 1}};
    // Step 9: tap in the tempo.
    ui::CommandButton cmdPlay{this, "cmdPlay"};
    ui::CommandButton cmdTempoTapper{this, "cmdTempoTapper"};
    ui::CommandButton cmdStop{this, "cmdStop"};
    ui::Label lblTempo1{this, "lblTempo1"};
    ui::TextBox txtTempo1{this, "txtTempo1"};
    ui::CheckBox chkTempoDetect{this, "chkTempoDetect"};
    ui::Label lblBeatCount{this, "lblBeatCount"};
    ui::Label lblBeatCountVal{this, "lblBeatCountVal"};
    ui::PictureBox gauTempo1{this, "gauTempo1"};
    ui::Line gauTempoLine1{this, "gauTempoLine1"};
    // Step 10: timing resolution.
    ui::Label lblRes{this, "lblRes"};
    ui::ComboBox cboRes{this, "cboRes"};
    // Step 11: MIDI file names.
    ui::Label lblMidiFile{this, "lblMidiFile"};
    ui::ComboBox cboMidiFile{this, "cboMidiFile"};
    ui::CommandButton cmdMidiBrowse{this, "cmdMidiBrowse"};
    // Step 12: finish.
    ui::CommandButton cmdProp{this, "cmdProp"};

    // Navigation state: the step shown (1..18) and the steps taken to reach it, in order.
    WizardStep CurrentStep = FirstStep;
    std::vector<WizardStep> StepsTaken;
    // The page values the audio pages keep (see the hand-overs).
    float WizardTempo = 120;
    std::string SavedStartPoint, SavedEndPoint;
    // Set while the wizard shows rows that the settings dialog already holds, so that the
    // selection is not handed back to the dialog.
    bool Mirroring = false;
    // The text box of the master file page that last took the focus.
    ui::TextBox* FocusedBox = nullptr;

    // Navigation.
    void cmdNav_Click(int Index);
    void ShowStep(WizardStep step);
    void UpdateNavButtons(WizardStep step);
    void NextStep();
    void PreviousStep();
    void CommitStep();
    // The choices that steer the navigation, read from the pages and the hidden windows.
    WizardChoices Choices();

    // Hand-overs between the pages and the hidden windows.
    void SyncRecordMeter();
    void AcceptRecordedFile();
    void AcceptTransferredFile();

    // Page handlers.
    void cboAudioFile_Click();
    void cboAudioFile_Change();
    void cboAudioFile_KeyPress(int& KeyAscii);
    void cboMidiFile_Click();
    void cboMidiFile_KeyPress(int& KeyAscii);
    void cboMidiFile_DblClick();
    void cmdWaveBrowse_Click();
    void cmdWaveEdit_Click();
    void cmdMidiBrowse_Click();
    void cmdProp_Click();
    void optFilter_Click(int Index);
    void optStereo_Click(int Index);
    void optSync_Click(int Index);
    void cboFilter_Click();
    void cboMidiPatch_Click();
    void cboMidiPatch1_Click();
    void cmdsndFilter_Click();
    void cmdsndPatch_Click();
    void cmdsndPatch1_Click();
    void cboMidiFile_Change();
    void cmdPatchMapBrowse_Click();
    void cmdPatchMapEdit_Click();
    void cmdDrumKitEdit_Click();
    void txtPitchMode_Change();
    void txtPitchMode_LostFocus();
    void txtPitchMode_KeyPress(int& KeyAscii);
    void chkTempoDetect_Click();
    void cboRes_Click();
    void cmdPlay_Click();
    void cmdTempoTapper_Click();
    void cmdStop_Click();
    void txtTempo1_Change();
    void txtTempo1_KeyPress(int& KeyAscii);
    void txtTempo1_LostFocus();
    void SetTempoGauge();
    void txtTempo_Change();
    void txtTempo_LostFocus();
    void txtTempo_KeyPress(int& KeyAscii);
    void spnTempo_DownClick();
    void spnTempo_UpClick();
    void txtTimeNum_Change();
    void txtTimeNum_LostFocus();
    void txtTimeNum_KeyPress(int& KeyAscii);
    void txtMasterFile_Change();
    void MMControl_PlayClick(int& Cancel);
    void MMControl_RecordClick(int& Cancel);
    void MMControl_StopClick(int& Cancel);
    void txtTempo_GotFocus();
    void txtTimeNum_GotFocus();
    void spnTimeNum_Change();
    void txtMasterFile_GotFocus();
    void txtMasterFile_KeyPress(int& KeyAscii);
    void txtTempo1_GotFocus();
    void txtPitchMode_GotFocus();
    void cmdTest_Click();
    void cmdSave_Click();
    void cmdDevice_Click();
    void cmdMixer_Click();
    void cmdCDPlayer_Click();
    void cmdMasterBrowse_Click();
    void cmdMasterEdit_Click();
    void cmdRip_Click();
    void cmdMixerCD_Click();
    void cboDrives_Click();
    void lstTracks_Click();

    void Form_Unload(int& Cancel) override;

  protected:
    void design() override;
    void Form_Load() override;

  private:
    void wire();
    void setUpStep(WizardStep step);  // the page's own set-up when it is shown
    void showCommon(WizardStep step);
    void placeNeedle(ui::PictureBox& dial, ui::Line& needle, ui::Frame& page);
    bool nextAllowed();  // the checks of Next; false when a message kept the step
    void runHandover(StepHandover handover);
    void enableEditProject(bool on);
    void parkPage(WizardStep step);
    // CommitStep's writes, one per step that writes anything.
    void commitSource();
    void commitMetronome();
    void commitTypes();
    void commitTapping();
    void commitTransfer();
    void commitTiming();
    bool finished_ = false;                     // Finish applied the settings
    std::optional<std::string> tempo1AtFocus_;  // the tapping page's tempo when it took the focus
    void copyPolyphonyToEditor();
    void copyRecorderButtons();  // the record page's buttons as the recorder has them
};

// Draws a tempo needle: the tip of `needle` on a half dial of radius 500 twips centred in `dial`
// for 5..235 beats per minute.
void DrawTempoNeedle(const ui::PictureBox& dial, ui::Line& needle, const std::string& tempoText);

}  // namespace velt::desk
