// frmProperties, the project settings dialog ("Edit Project"). It edits a working copy of the open
// project: Form_Load fills every control from the shared module and the data files beside the
// program, and only Apply (or OK after an edit) commits the controls back. Note names, the test
// tones, the inspection of an audio file and the rows of the file lists live in desk/core/shared
// (note_names.h, test_tones.h, audio_inspection.h, file_lists.h); the dialog's KeyToVal,
// ValToKey, test tones, GetWaveInfo and AddToFileList use them with what the dialog shows (its
// key list, patch, channel, time range and lists). Other windows that need the
// dialog's state (the wizard, the recorder, the CD window, the instrument editors) call those
// procedures through the parts and the link it offers them (desk/core/window_links/), which
// settings_windows.cpp registers; while WizardRunning is set it mirrors into the wizard's pages
// registered there.
//
// The main window shows it modally and releases it afterwards; the New Project Wizard keeps it
// loaded and hidden and drives its procedures, so everything here works on a hidden dialog, and
// while WizardRunning is set closing it only hides it.
//
// The code is grouped by tab: audio_tab.cpp, pitch_tab.cpp, timing_tab.cpp, dynamics_tab.cpp and
// midi_tab.cpp each wire that tab's controls and hold its handlers, its part of Form_Load and its
// part of Apply (the audio file inspection in wave_info.cpp, the tempo tapping in
// tempo_tapping.cpp). frm_properties.cpp lays the form out; properties_dialog.cpp holds what the
// dialog does as a whole (Form_Load's order, Apply, OK, Cancel, Help); note_names.cpp the note
// names and test tones that several tabs and the wizard use.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "desk/core/shared/audio_inspection.h"
#include "desk/core/shared/numeric_box.h"
#include "desk/core/shared/test_tones.h"
#include "desk/ui/ui.h"

namespace velt::desk {

// The operating system's version as the WMA support check weighs it. The default is a modern
// system: (major + 10 * platform) * 10 + minor = 251.
struct SystemVersion {
    int32_t major = 5;
    int32_t minor = 1;
    int32_t platformId = 2;
    uint32_t build = 0;  // high word: major.minor, low word: build number
};

class frmProperties : public ui::Form {
  public:
    frmProperties();

    // Below the tabs.
    ui::TabControl tabProperties{this, "tabProperties"};
    ui::CommandButton cmdOK{this, "cmdOK"};
    ui::CommandButton cmdCancel{this, "cmdCancel"};
    ui::CommandButton cmdApply{this, "cmdApply"};
    ui::CommandButton cmdHelp{this, "cmdHelp"};
    ui::CommonDialog cdlFile{this, "cdlFile"};

    // Audio tab.
    ui::Frame fraWaveFile{this, "fraWaveFile"};
    ui::ComboBox cboAudioFile{this, "cboAudioFile"};
    ui::CommandButton cmdCD{this, "cmdCD"};
    ui::CommandButton cmdRecord{this, "cmdRecord"};
    ui::CommandButton cmdWaveBrowse{this, "cmdWaveBrowse"};
    ui::CommandButton cmdWaveEdit{this, "cmdWaveEdit"};
    ui::Label lblWaveFile{this, "lblWaveFile"};
    ui::Label lblLive{this, "lblLive"};
    ui::Frame fraTimeRange{this, "fraTimeRange"};
    ui::CheckBox chkEntireRange{this, "chkEntireRange"};
    ui::MaskedBox txtStartPoint{this, "txtStartPoint"};
    ui::MaskedBox txtEndPoint{this, "txtEndPoint"};
    ui::UpDown spnStartPoint{this, "spnStartPoint"};
    ui::UpDown spnEndPoint{this, "spnEndPoint"};
    ui::Slider sldTimeRange{this, "sldTimeRange"};
    ui::Label lblStart{this, "lblStart"};
    ui::Label lblEnd{this, "lblEnd"};
    ui::Frame fraStereo{this, "fraStereo"};
    ui::ControlArray<ui::OptionButton> optStereo{this, "optStereo", {0, 1, 2, 3}};
    ui::Slider sldStereoPan{this, "sldStereoPan"};
    ui::CommandButton cmdStereoPanZero{this, "cmdStereoPanZero"};
    ui::Label lblLeft{this, "lblLeft"};
    ui::Label lblRight{this, "lblRight"};
    ui::Label lblReferencePitch{this, "lblReferencePitch"};
    ui::TextBox txtReferencePitch{this, "txtReferencePitch"};
    ui::UpDown spnReferencePitch{this, "spnReferencePitch"};

    // Pitch tab.
    ui::TextBox txtPitchMode{this, "txtPitchMode"};
    ui::UpDown spnPitchMode{this, "spnPitchMode"};
    ui::ControlArray<ui::OptionButton> optBeatDetect{this, "optBeatDetect", {0, 1}};
    ui::Frame fraNoteRange{this, "fraNoteRange"};
    ui::TextBox txtKeyMin{this, "txtKeyMin"};
    ui::TextBox txtKeyMax{this, "txtKeyMax"};
    ui::UpDown spnKeyMin{this, "spnKeyMin"};
    ui::UpDown spnKeyMax{this, "spnKeyMax"};
    ui::Slider sldNoteRange{this, "sldNoteRange"};
    ui::CommandButton cmdsndKeyMin{this, "cmdsndKeyMin"};
    ui::CommandButton cmdsndKeyMax{this, "cmdsndKeyMax"};
    ui::CheckBox chkAutoDetectNote{this, "chkAutoDetectNote"};
    ui::Label lblKeyMin{this, "lblKeyMin"};
    ui::Label lblKeyMax{this, "lblKeyMax"};
    ui::Label lblMiddleC{this, "lblMiddleC"};
    ui::Frame fraTranspose{this, "fraTranspose"};
    ui::TextBox txtOctaves{this, "txtOctaves"};
    ui::UpDown spnOctaves{this, "spnOctaves"};
    ui::Label lblOctaves{this, "lblOctaves"};
    ui::TextBox txtHalfSteps{this, "txtHalfSteps"};
    ui::UpDown spnHalfSteps{this, "spnHalfSteps"};
    ui::Label lblHalfSteps{this, "lblHalfSteps"};
    ui::Frame fraKey{this, "fraKey"};
    ui::ComboBox cboKey{this, "cboKey"};
    ui::CommandButton cmdsndKey{this, "cmdsndKey"};
    ui::CheckBox chkConstrain{this, "chkConstrain"};
    ui::ControlArray<ui::OptionButton> optMajorMinor{this, "optMajorMinor", {0, 1}};
    ui::CheckBox chkPitchBend{this, "chkPitchBend"};
    ui::Label lblCCBright{this, "lblCCBright"};
    ui::ComboBox cboCCBright{this, "cboCCBright"};
    ui::Label lblMonoBlank{this, "lblMonoBlank"};

    // Timing tab.
    ui::Frame fraTempo{this, "fraTempo"};
    ui::TextBox txtTempo{this, "txtTempo"};
    ui::Label lblTempo{this, "lblTempo"};
    ui::CheckBox chkTempoDetect{this, "chkTempoDetect"};
    ui::CommandButton cmdPlay{this, "cmdPlay"};
    ui::CommandButton cmdTempoTapper{this, "cmdTempoTapper"};
    ui::CommandButton cmdStop{this, "cmdStop"};
    ui::Label lblBeatCountVal{this, "lblBeatCountVal"};
    ui::MediaControl MMControl{this, "MMControl"};  // plays the audio for tapping; not shown
    ui::PictureBox gauTempo{this, "gauTempo"};
    ui::Line gauTempoLine{this, "gauTempoLine"};
    ui::Frame fraMeter{this, "fraMeter"};
    ui::TextBox txtTimeNum{this, "txtTimeNum"};
    ui::UpDown spnTimeNum{this, "spnTimeNum"};
    ui::Label lblTimeNum{this, "lblTimeNum"};
    ui::ComboBox cboTimeDenom{this, "cboTimeDenom"};
    ui::Label lblTimeDenom{this, "lblTimeDenom"};
    ui::Frame fraSpeed{this, "fraSpeed"};
    ui::TextBox txtSpeed{this, "txtSpeed"};
    ui::UpDown spnSpeed{this, "spnSpeed"};
    ui::CommandButton cmdSpeedZero{this, "cmdSpeedZero"};
    ui::Label lblSpeed{this, "lblSpeed"};
    ui::Label lblSpeedSlower{this, "lblSpeedSlower"};
    ui::Label lblSpeedFaster{this, "lblSpeedFaster"};
    ui::PictureBox gauSpeed{this, "gauSpeed"};
    ui::Line gauSpeedLine{this, "gauSpeedLine"};
    ui::Label lblRes{this, "lblRes"};
    ui::ComboBox cboRes{this, "cboRes"};
    ui::Label lblChordRes{this, "lblChordRes"};
    ui::ComboBox cboChordRes{this, "cboChordRes"};
    ui::CheckBox chkTrackTempo{this, "chkTrackTempo"};
    ui::CheckBox chkAutoTiming{this, "chkAutoTiming"};

    // Dynamics tab.
    ui::Frame fraThreshold{this, "fraThreshold"};
    ui::Slider sldInputThreshold{this, "sldInputThreshold"};
    ui::Slider sldOutputThreshold{this, "sldOutputThreshold"};
    ui::Label lblWaveThreshold{this, "lblWaveThreshold"};
    ui::Label lblMidiThreshold{this, "lblMidiThreshold"};
    ui::Label lblHighThreshold{this, "lblHighThreshold"};
    ui::Label lblLowThreshold{this, "lblLowThreshold"};
    ui::Frame fraDetect{this, "fraDetect"};
    ui::CheckBox chkVelocityOn{this, "chkVelocityOn"};
    ui::CheckBox chkVelocityOff{this, "chkVelocityOff"};
    ui::Label lblCCVolume{this, "lblCCVolume"};
    ui::ComboBox cboCCVolume{this, "cboCCVolume"};
    ui::CheckBox chkAGC{this, "chkAGC"};
    ui::Label lblVolume{this, "lblVolume"};
    ui::Slider sldGain{this, "sldGain"};
    ui::Label lblBoost{this, "lblBoost"};
    ui::Label lblNoChange{this, "lblNoChange"};
    ui::Label lblCut{this, "lblCut"};
    ui::CommandButton cmdGainZero{this, "cmdGainZero"};
    ui::Label lblBlank{this, "lblBlank"};

    // MIDI tab.
    ui::Frame fraMidiFile{this, "fraMidiFile"};
    ui::ComboBox cboMidiFile{this, "cboMidiFile"};
    ui::CommandButton cmdMidiBrowse{this, "cmdMidiBrowse"};
    ui::CommandButton cmdMidiEdit{this, "cmdMidiEdit"};
    ui::CheckBox chkAutoName{this, "chkAutoName"};
    ui::Label lblMidiFile{this, "lblMidiFile"};
    ui::Frame fraFilter{this, "fraFilter"};
    ui::ControlArray<ui::OptionButton> optFilter{this, "optFilter", {0, 1}};
    ui::Label lblMidiPatch{this, "lblMidiPatch"};
    ui::ComboBox cboMidiPatch{this, "cboMidiPatch"};
    ui::CommandButton cmdsndFilter{this, "cmdsndFilter"};
    ui::Label lblChannel{this, "lblChannel"};
    ui::TextBox txtChannel{this, "txtChannel"};
    ui::UpDown spnChannel{this, "spnChannel"};
    ui::Label lblPatchMap{this, "lblPatchMap"};
    ui::TextBox txtPatchMap{this, "txtPatchMap"};
    ui::CommandButton cmdPatchMapBrowse{this, "cmdPatchMapBrowse"};
    ui::CommandButton cmdPatchMapEdit{this, "cmdPatchMapEdit"};
    ui::CommandButton cmdDrumKitEdit{this, "cmdDrumKitEdit"};
    ui::Line fraEnsDivider{this, "fraEnsDivider"};

    // Audio-description fields of the last inspected file.
    int32_t PeakLevel = 0;
    float ExactAudioSeconds = 0;
    int32_t AudioSeconds = 3600;
    static constexpr int kHeaderBytes = 4132;
    std::vector<int32_t> WaveBytes = std::vector<int32_t>(kHeaderBytes + 1, 0);  // 1-based
    int32_t RiffTagSum = 0;
    int32_t RiffSize = 0;
    int32_t WaveTagSum = 0;
    int32_t FmtSize = 0;
    int32_t FormatTag = 0;
    int32_t ChannelCount = 2;
    int32_t SampleRate = 44100;
    int32_t ByteRate = 0;
    int32_t BlockAlign = 0;
    int32_t BitsPerSample = 0;

    // Working state: nothing reaches the project before Apply.
    std::string FocusControl;
    // The numeric box that last took the focus; the wizard's boxes hand themselves over too.
    ui::TextBox* FocusedBox = nullptr;
    int32_t WorkFilter = 0;  // -1 = none; a fresh dialog starts at 0 and the load decides
    int32_t WorkPatch = 0;
    std::string PreviousAudioFile;
    std::string WorkTaps;
    float WorkTempo = 120;
    float WorkReferencePitch = 440;
    std::string CurrentAudioFile;
    std::string CurrentMidiFile;
    std::vector<std::string> AudioList{""};  // 1-based: element 0 unused
    std::vector<std::string> MidiList{""};
    float WorkStart = 0;
    int32_t WorkKeyMax = 85;
    int32_t WorkKeyMin = 28;
    int32_t CurrentAudioIndex = 0;
    int32_t VirtualSampleRate = 44100;
    std::array<int32_t, 15> TonicNotes{};
    bool Loading = false;
    int32_t TopNote = 127;
    int32_t LastChannel = 0;      // the single-instrument channel at the last list switch
    int32_t TapStatus = 0;        // outcome of the last Stop of tapping; 2 or more: kept
    bool PlayFromWizard = false;  // set by the wizard around its instrument test tone
    int32_t BeatCount = 0;        // taps counted so far (beat counter)
    // Tempo tapping: 0 after Play, k taps so far, -1 a gap too long, -2 cancelled; ExtendTaps
    // reuses it for the beats it adds.
    int32_t TapCount = 0;
    std::string TapBuffer;       // the gaps of the take under way, two characters each
    int64_t LastTapTime = 0;     // timeGetTime of the previous tap (of Play before the first)
    int64_t FirstTapTime = 0;    // timeGetTime of the first tap
    float FirstTapOffset = 0;    // seconds from the start of playback to the first tap
    bool ExtendToStart = false;  // the Tap Extender's choices
    bool ExtendToEnd = false;

    // Decodes a compressed file through its decoding window (tests script it).
    AudioDecoder DecodeAudio = DecodeWithWindow;
    std::function<SystemVersion()> VersionProvider = [] { return SystemVersion{}; };

    // Dialog-wide (properties_dialog.cpp): the buttons below the tabs, the hiding by user level
    // and mode, the unloading.
    void cmdApply_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();
    void tabProperties_Click(int PreviousTab);
    void HideControls();
    void Form_Unload(int& Cancel) override;

    // Note names (desk/core/shared/note_names.h), spelled for the key signature the key list
    // shows: the one being edited, which reaches the project only on Apply (note_names.cpp).
    int32_t KeyToVal(const std::string& name) const;
    std::string ValToKey(int32_t note) const;
    int32_t ListedKeySignature() const;  // 8 - the key list's row

    // Test tones (desk/core/shared/test_tones.h) on the channel in the box and the patch chosen
    // (note_names.cpp): the key's tonic chord, and the patch (on channel 10, or with "Drums
    // only", the drum it names).
    ToneVoice TestToneVoice() const;
    void PlayKeyChord();
    void PlayPatch();

    // Audio tab (audio_tab.cpp; the inspection of the audio file in wave_info.cpp).
    void GetWaveInfo(const std::string& audioPath);
    void CheckWmaSupport();
    void SetWaveParms();
    void AddToFileList();
    void cboAudioFile_Click();
    void cboAudioFile_Change();
    void cboAudioFile_KeyPress(int& KeyAscii);
    void cmdWaveBrowse_Click();
    void cmdWaveEdit_Click();
    void cmdCD_Click();
    void cmdRecord_Click();
    void CheckEntireRange();
    void chkEntireRange_Click();
    void txtStartPoint_Change();
    void txtStartPoint_GotFocus();
    void txtStartPoint_LostFocus();
    void txtEndPoint_Change();
    void txtEndPoint_GotFocus();
    void txtEndPoint_LostFocus();
    void spnStartPoint_DownClick();
    void spnStartPoint_UpClick();
    void spnEndPoint_DownClick();
    void spnEndPoint_UpClick();
    void sldTimeRange_Scroll();
    void sldTimeRange_MouseDown(int Button, int Shift, double x, double y);
    void sldTimeRange_MouseUp(int Button, int Shift, double x, double y);
    void optStereo_Click(int Index);
    void sldStereoPan_Scroll();
    void cmdStereoPanZero_Click();
    void txtReferencePitch_Change();
    void txtReferencePitch_GotFocus();
    void txtReferencePitch_KeyPress(int& KeyAscii);
    void txtReferencePitch_LostFocus();

    // Pitch tab (pitch_tab.cpp).
    void txtPitchMode_Change();
    void txtPitchMode_GotFocus();
    void txtPitchMode_KeyPress(int& KeyAscii);
    void txtPitchMode_LostFocus();
    void applyPolyphony();  // the brightness, gain and Auto Detect rules of the polyphony
    void optBeatDetect_Click(int Index);
    void chkPitchBend_Click();
    void VirtualSRChange();
    void txtKeyMax_Change();
    void txtKeyMax_GotFocus();
    void txtKeyMax_LostFocus();
    void txtKeyMin_Change();
    void txtKeyMin_GotFocus();
    void txtKeyMin_LostFocus();
    void spnKeyMin_DownClick();
    void spnKeyMin_UpClick();
    void spnKeyMax_DownClick();
    void spnKeyMax_UpClick();
    void sldNoteRange_Scroll();
    void sldNoteRange_MouseDown(int Button, int Shift, double x, double y);
    void sldNoteRange_MouseUp(int Button, int Shift, double x, double y);
    void cmdsndKeyMax_Click();
    void cmdsndKeyMin_Click();
    void chkAutoDetectNote_Click();
    void txtOctaves_Change();
    void txtOctaves_GotFocus();
    void txtOctaves_KeyPress(int& KeyAscii);
    void txtOctaves_LostFocus();
    void txtHalfSteps_Change();
    void txtHalfSteps_GotFocus();
    void txtHalfSteps_KeyPress(int& KeyAscii);
    void txtHalfSteps_LostFocus();
    void cboKey_Click();
    void cmdsndKey_Click();
    void chkConstrain_Click();
    void optMajorMinor_Click(int Index);
    void cboCCBright_Click();

    // Timing tab (timing_tab.cpp; the tempo tapping in tempo_tapping.cpp).
    void txtTempo_Change();
    void txtTempo_GotFocus();
    void txtTempo_KeyPress(int& KeyAscii);
    void txtTempo_LostFocus();
    void SetTempoGauge();
    void chkTempoDetect_Click();
    void CheckTempoStatus();
    void cmdPlay_Click();
    void cmdTempoTapper_Click();
    void cmdStop_Click();
    void MMControl_Done(int NotifyCode);
    void ExtendTaps();
    void txtTimeNum_Change();
    void txtTimeNum_GotFocus();
    void txtTimeNum_KeyPress(int& KeyAscii);
    void txtTimeNum_LostFocus();
    void spnTimeNum_Change();
    void cboTimeDenom_Click();
    void LoadChordRes(const int32_t& beats);
    void cboChordRes_Click();
    void txtSpeed_Change();
    void txtSpeed_GotFocus();
    void txtSpeed_KeyPress(int& KeyAscii);
    void txtSpeed_LostFocus();
    void spnSpeed_DownClick();
    void spnSpeed_UpClick();
    void cmdSpeedZero_Click();
    void SetSpeedGauge();
    void cboRes_Click();
    void chkTrackTempo_Click();
    void chkAutoTiming_Click();

    // Dynamics tab (dynamics_tab.cpp).
    void sldInputThreshold_Scroll();
    void sldOutputThreshold_Scroll();
    void chkVelocityOn_Click();
    void chkVelocityOff_Click();
    void cboCCVolume_Click();
    void chkAGC_Click();
    void sldGain_Scroll();
    void cmdGainZero_Click();
    void ResetGainSlider();

    // MIDI tab (midi_tab.cpp).
    std::string MidiFile(int32_t index) const;
    void cboMidiFile_Click();
    void cboMidiFile_Change();
    void cboMidiFile_KeyPress(int& KeyAscii);
    void RenumberMidiFileList();
    void cmdMidiBrowse_Click();
    void cmdMidiEdit_Click();
    void optFilter_Click(int Index);
    void cboMidiPatch_Click();
    void cmdsndFilter_Click();
    void txtChannel_Change();
    void txtChannel_GotFocus();
    void txtChannel_KeyPress(int& KeyAscii);
    void txtChannel_LostFocus();
    void spnChannel_DownClick();
    void spnChannel_UpClick();
    // The channel of the single-instrument box as Apply and the test notes use it: 1..16; a box
    // that holds no number gives the project's channel.
    int32_t ChannelInBox() const;
    void AssignChannels();
    void LoadEnsembleFile(const std::string& file);
    void cmdPatchMapBrowse_Click();
    void cmdPatchMapEdit_Click();
    void cmdDrumKitEdit_Click();

  protected:
    void design() override;
    void Form_Load() override;

  private:
    // Dialog-wide (frm_properties.cpp, properties_dialog.cpp).
    void wire();
    void edited() { cmdApply.setEnabled(true); }
    void repaintLists();
    void rememberFocus(ui::TextBox& box);
    const std::string* remembered(const ui::TextBox& box) const { return boxMemory_.textOf(box); }
    // True when a numeric box holds the text it had when it took the focus: the user left it
    // without changing it.
    bool leftAsFound(const ui::TextBox& box) const {
        const std::string* before = remembered(box);
        return before != nullptr && *before == box.Text();
    }
    // The keys a numeric box takes: backspace, digits and the characters of `extra`.
    static bool boxTakes(int key, const std::string& extra);

    // Each tab wires its controls, fills them in its part of Form_Load and commits them in its
    // part of Apply; Form_Load calls the parts in the order the controls' events need.
    void wireAudioTab();
    void loadAudioTab();
    void applyAudioTab();
    void DefaultWaveInfo();
    void refusedFile(const std::string& text, long help);
    // Showing what GetWaveInfo's inspection found (wave_info.cpp); false: a failed or cancelled
    // decode, which leaves the time range as it is.
    void ShowRealTimeMode();
    bool ShowInspection(const AudioInspection& found);
    void ShowWave(const AudioInspection& found);
    void ShowRecordingLevel(const RecordingLevel& level);
    void FitControlsToAudio(bool realTime);
    void mirrorIntoWizard();

    void wirePitchTab();
    void loadPitchTab();
    void loadPolyphonyOption();
    void applyPitchTab();

    void wireTimingTab();
    void loadMeter();
    void loadTimingSwitches();
    void loadTimingTab();
    void applyTimingTab();
    std::string beatCounterText() const;  // the tapping counter for BeatCount

    void wireDynamicsTab();
    void loadDynamicsTab();
    void applyDynamicsTab();

    void wireMidiTab();
    void loadMidiTab(const std::vector<std::string>& instrumentLines);
    void loadEnsemble(const std::vector<std::string>& instrumentLines);
    void applyMidiTab();
    void switchPatchList(int32_t channel);
    void ReadEnsembleRows(const std::string& file);

    bool undoingRemoval_ = false;  // cboAudioFile_Change's own rewrite of the combo text
    BoxMemory boxMemory_;          // the text of each numeric box at its last focus
    bool cdShowing_ = false;       // the CD window is open; its hand-over may add the track
};

}  // namespace velt::desk
