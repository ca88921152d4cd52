// frmCustomize, the Options dialog: the program-wide options that are not part of a project
// (user level, note-value names, MIDI file usage, auto SyncPlay, test-note length and loudness,
// the live audio input and MIDI output devices, the four linked programs). Edits change only the
// controls and enable Apply; Apply (or OK after an edit) copies them into the shared module.
// A signal indicator beside the audio list watches the selected input device's level, and the
// speaker button plays a test note on the selected MIDI device.
//
// The main window shows it modally and releases it afterwards; the results window loads it
// hidden and runs cmdMidi_Click and cmdOK_Click to change the MIDI editor.
#pragma once

#include <string>

#include "desk/ui/ui.h"

namespace velt::desk {

class frmCustomize : public ui::Form {
  public:
    frmCustomize();

    ui::Frame fraApps{this, "fraApps"};
    ui::Label lblWave{this, "lblWave"};
    ui::TextBox txtWave{this, "txtWave"};
    ui::CommandButton cmdWave{this, "cmdWave"};
    ui::Label lblMidi{this, "lblMidi"};
    ui::TextBox txtMidi{this, "txtMidi"};
    ui::CommandButton cmdMidi{this, "cmdMidi"};
    ui::Label lblCDPlayer{this, "lblCDPlayer"};
    ui::TextBox txtCDPlayer{this, "txtCDPlayer"};
    ui::CommandButton cmdCDPlayer{this, "cmdCDPlayer"};
    ui::Label lblMixer{this, "lblMixer"};
    ui::TextBox txtMixer{this, "txtMixer"};
    ui::CommandButton cmdMixer{this, "cmdMixer"};

    ui::Label lblWaveDevice{this, "lblWaveDevice"};
    ui::ComboBox cboWaveDevice{this, "cboWaveDevice"};
    ui::Shape shpAudio{this, "shpAudio"};
    ui::CommandButton cmdDevice{this, "cmdDevice"};
    ui::Label lblWait{this, "lblWait"};
    ui::Label lblMidiDevice{this, "lblMidiDevice"};
    ui::ComboBox cboMidiDevice{this, "cboMidiDevice"};
    ui::CommandButton cmdsndTest{this, "cmdsndTest"};

    ui::Frame fraSpeaker{this, "fraSpeaker"};
    ui::Label lblDuration{this, "lblDuration"};
    ui::Label lblShort{this, "lblShort"};
    ui::Slider sldDur{this, "sldDur"};
    ui::Label lblLong{this, "lblLong"};
    ui::Label lblVolume{this, "lblVolume"};
    ui::Label lblSoft{this, "lblSoft"};
    ui::Slider sldVel{this, "sldVel"};
    ui::Label lblLoud{this, "lblLoud"};

    ui::Frame fraUsage{this, "fraUsage"};
    ui::CheckBox chkPlayEdit{this, "chkPlayEdit"};
    ui::CheckBox chkTranscribe{this, "chkTranscribe"};
    ui::CheckBox chkAutoPlay{this, "chkAutoPlay"};
    ui::Frame fraUserLevel{this, "fraUserLevel"};
    ui::ControlArray<ui::OptionButton> optUserLevel{this, "optUserLevel", {0, 1}};
    ui::Frame fraNoteValues{this, "fraNoteValues"};
    ui::ControlArray<ui::OptionButton> optBritish{this, "optBritish", {0, 1}};

    ui::CommandButton cmdOK{this, "cmdOK"};
    ui::CommandButton cmdCancel{this, "cmdCancel"};
    ui::CommandButton cmdApply{this, "cmdApply"};
    ui::CommandButton cmdHelp{this, "cmdHelp"};
    ui::Timer tmrLevel{this, "tmrLevel"};
    ui::Timer tmrMidi{this, "tmrMidi"};
    ui::CommonDialog cdlFile{this, "cdlFile"};

    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdApply_Click();
    void cmdHelp_Click();
    void cmdsndTest_Click();
    void cmdDevice_Click();
    void cmdWave_Click();
    void cmdMidi_Click();
    void cmdCDPlayer_Click();
    void cmdMixer_Click();
    void cboWaveDevice_Click();
    void tmrLevel_Timer();
    void tmrMidi_Timer();

    // The indicator's colours.
    static constexpr long kWaiting = 0xFFFF80;  // light cyan (128, 255, 255)
    static constexpr long kFailed = 0x0000FF;   // red
    static constexpr long kQuiet = 0x00FFFF;    // yellow: below the input threshold
    static constexpr long kSignal = 0x00FF00;   // green: at or above it

  protected:
    void design() override;
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;

  private:
    void edited() { cmdApply.setEnabled(true); }
    void OpenLevelMeter();
    void CloseLevelMeter();
    void wirePathBox(ui::TextBox& box, const std::string& kind, long help);
    void browse(const std::string& title, const std::string& option, ui::TextBox& box);

    bool meterTried_ = false;  // an open of the level meter was attempted since load
};

}  // namespace velt::desk
