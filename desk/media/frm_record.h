// frmRecord, "Record Audio File": records one take from the sound input into the working file
// "~temp.wav" of the temporary folder through the multimedia command strings (alias "wavefile"),
// plays it back, plays a master MIDI file (alias "masterfile") along with both, shows an elapsed
// time counter, and saves the take under a name the user picks, handing it to the settings
// editor. Its metronome panel clicks on the MIDI output, counts in one bar and starts the take
// on the downbeat; its level meter shows the input level between takes.
//
// The settings dialog shows it modally and releases it; the New Project Wizard loads it hidden
// and calls its handlers directly, so everything works on a hidden window. While WizardRunning is
// set the counter, light, save button and level meter are mirrored into the wizard.
//
// Sources: frm_record.cpp (layout, load, unload, boxes, buttons), record_take.cpp (Record, Stop,
// Play, Save and the clock), record_metronome.cpp, record_level.cpp, record_master.cpp.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "desk/core/window_links/recorder_editor.h"
#include "desk/core/window_links/wizard_pages.h"
#include "desk/ui/media_control.h"
#include "desk/ui/ui.h"

namespace velt::desk {

class frmRecord : public ui::Form {
  public:
    // Without an editor link, the window works with the program's settings dialog (the link
    // the settings folder registers).
    explicit frmRecord(std::shared_ptr<RecorderEditor> editor = nullptr);

    ui::MediaControl MMControl{this, "MMControl"};
    ui::StatusBar StatusBar{this, "StatusBar"};
    ui::Label lblCounter{this, "lblCounter"};
    ui::Label lblFileNameCaption{this, "lblFileNameCaption"};
    ui::Label lblFileName{this, "lblFileName"};
    ui::CommandButton cmdSave{this, "cmdSave"};
    ui::CommandButton cmdOK{this, "cmdOK"};
    ui::CommandButton cmdHelp{this, "cmdHelp"};
    ui::CommandButton cmdDevice{this, "cmdDevice"};
    ui::CommandButton cmdMixer{this, "cmdMixer"};
    ui::CommandButton cmdCDPlayer{this, "cmdCDPlayer"};
    ui::CommandButton cmdMetronome{this, "cmdMetronome"};
    ui::Timer tmrClock{this, "tmrClock"};
    ui::CommonDialog cdlFile{this, "cdlFile"};

    // Metronome panel.
    ui::Frame fraMetronome{this, "fraMetronome"};
    ui::Label lblTempo{this, "lblTempo"};
    ui::TextBox txtTempo{this, "txtTempo"};
    ui::UpDown spnTempo{this, "spnTempo"};
    ui::Label lblTimeNum{this, "lblTimeNum"};
    ui::TextBox txtTimeNum{this, "txtTimeNum"};
    ui::UpDown spnTimeNum{this, "spnTimeNum"};
    ui::Shape gauTempo{this, "gauTempo"};
    ui::Line gauTempoLine{this, "gauTempoLine"};
    ui::Label lblSlower{this, "lblSlower"};
    ui::Label lblFaster{this, "lblFaster"};
    ui::Label lblVolume{this, "lblVolume"};
    ui::Slider sldVolume{this, "sldVolume"};
    ui::Label lblSoft{this, "lblSoft"};
    ui::Label lblLoud{this, "lblLoud"};
    ui::CommandButton cmdKeep{this, "cmdKeep"};
    ui::CommandButton cmdTest{this, "cmdTest"};
    ui::PictureBox picMetronome{this, "picMetronome"};
    ui::ImageList imglstMetronome{this, "imglstMetronome"};
    ui::Timer tmrMetronome{this, "tmrMetronome"};

    // Master MIDI file.
    ui::Frame fraMasterFile{this, "fraMasterFile"};
    ui::Label lblMasterName{this, "lblMasterName"};
    ui::TextBox txtMasterFile{this, "txtMasterFile"};
    ui::CommandButton cmdMasterBrowse{this, "cmdMasterBrowse"};
    ui::CommandButton cmdMasterEdit{this, "cmdMasterEdit"};
    ui::Label lblChannels{this, "lblChannels"};
    ui::ListBox lstChannels{this, "lstChannels"};
    ui::Label lblKey{this, "lblKey"};
    ui::Label lblKey1{this, "lblKey1"};

    // Level meter.
    ui::Frame fraLevel{this, "fraLevel"};
    ui::Shape shpBackground{this, "shpBackground"};
    ui::Shape shpForeground{this, "shpForeground"};
    ui::Line lineThres{this, "lineThres"};
    ui::Line line50{this, "line50"};
    ui::CommandButton cmdThres{this, "cmdThres"};
    ui::Timer tmrLevel{this, "tmrLevel"};

    // For the wizard.
    float RecordTempo = 120;
    std::string RecordFile;             // the master MIDI file, "" for none
    ui::TextBox* FocusedBox = nullptr;  // the box of this window that last took the focus

    // The command strings go through here (tests log and fail them); a failure may give the
    // system's reason in the second argument (a take that could not be written).
    std::function<int32_t(const std::string&, std::string&)> SendCommand;
    std::shared_ptr<RecorderEditor> Editor;
    // Set by the wizard on the recorder it drives: only that one mirrors into its record page.
    bool MirrorsWizard = false;

    // Lifecycle; the wizard calls Form_Unload itself.
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;

    // Recording and playback.
    void MMControl_RecordClick(int& Cancel);
    void MMControl_StopClick(int& Cancel);
    void MMControl_PlayClick(int& Cancel);
    void mmControl_Done(int NotifyCode);
    void StartRecording();
    void tmrClock_Timer();
    void cmdSave_Click();
    void cmdKeep_Click();
    void cmdOK_Click();
    void cmdHelp_Click();
    void cmdDevice_Click();
    void cmdMixer_Click();
    void cmdCDPlayer_Click();

    // Tempo and beats.
    void spnTempo_DownClick();
    void spnTempo_UpClick();
    void spnTimeNum_Change();
    void sldVolume_Click();
    void txtTempo_Change();
    void txtTempo_KeyPress(int& KeyAscii);
    void txtTempo_GotFocus();
    void txtTempo_LostFocus();
    void txtTimeNum_Change();
    void txtTimeNum_KeyPress(int& KeyAscii);
    void txtTimeNum_GotFocus();
    void txtTimeNum_LostFocus();

    // Metronome.
    void cmdMetronome_Click();
    void cmdTest_Click();
    void StartMetronome();
    void StopMetronome();
    void PlaySound();
    void tmrMetronome_Timer();

    // Level meter.
    void OpenLevelMeter();
    void CloseLevelMeter();
    void tmrLevel_Timer();
    void cmdThres_Click();

    // Master file.
    void cmdMasterBrowse_Click();
    void cmdMasterEdit_Click();
    void txtMasterFile_Change();
    void txtMasterFile_GotFocus();
    void txtMasterFile_KeyPress(int& KeyAscii);

    // State the tests and the wizard read.
    const std::string& RecordState() const { return recordState_; }
    const std::string& TakePath() const { return takePath_; }
    bool TakeSaved() const { return takeSaved_; }
    int64_t TakeLengthMs() const { return takeLengthMs_; }
    int32_t KeySignature() const { return keySignature_; }
    int32_t MinorFlag() const { return minorFlag_; }
    int32_t DenominatorIndex() const { return denominatorIndex_; }
    int32_t CurrentLevel() const { return currentLevel_; }
    int32_t BeatCounter() const { return beatCounter_; }

    static constexpr double kFoldedWidth = 4020;
    static constexpr double kUnfoldedWidth = 7755;
    static constexpr long kRed = 255;
    static constexpr long kGreen = 49152;  // the counter while recording or playing

  protected:
    void design() override;

  private:
    WizardRecordPage& wizardPage() const { return WizardRecordPageFor(MirrorsWizard); }
    // Sends a command string and keeps its result; a failure shows its text titled `step`.
    bool command(const std::string& text, const std::string& step);
    void commandQuietly(const std::string& text) {
        std::string ignored;
        SendCommand(text, ignored);
    }
    void resetButtons(bool record, bool play, bool stop);
    void readyToRecord();
    void stopMetronomeRun();  // tmrMetronome off, master buttons on, StopMetronome
    void startClock();
    void stopClock();
    bool metronomePanelOpen() const;
    int32_t beatsPerMeasure() const;  // 0 for "Auto" and anything below 1
    void setCounter(const std::string& caption);
    void setCounterColour(long colour);
    bool saveTake(const std::string& target);
    void setTempoNeedle();  // at RecordTempo
    void setTempoNeedle(float tempo);
    void deleteTake();
    void placeThresholdLine();

    std::string recordState_ = "Idle";
    std::string takePath_;
    bool takeSaved_ = true;
    char metronomeMark_ = '-';
    int32_t denominatorIndex_ = 2;
    int32_t keySignature_ = 0;
    int32_t minorFlag_ = 0;
    int32_t lastMciResult_ = 0;
    bool masterOpen_ = false;  // the master opened under its alias for this take

    // Clock.
    uint32_t clockStart_ = 0;
    int32_t clockSeconds_ = 0;
    float nextSecondMark_ = 0;
    bool clockPeriodHeld_ = false;
    uint32_t recordStart_ = 0;  // the moment "record wavefile" went out
    int64_t takeLengthMs_ = 0;  // the last take, from its start to Stop

    // Metronome.
    uint32_t metronomeStart_ = 0;
    float beatPeriod_ = 500;
    float nextBeatTime_ = 0;
    int32_t beatCounter_ = 0;
    int32_t lightImage_ = 1;
    bool metronomePeriodHeld_ = false;
    bool midiPortOpen_ = false;

    // Level meter.
    int32_t currentLevel_ = 0;
    int32_t previousLevel_ = 0;
    double meterHeight_ = 0;
    bool firstReading_ = true;
};

}  // namespace velt::desk
