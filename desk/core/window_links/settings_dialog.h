// The settings dialog (desk/settings, frmProperties) as the other windows drive it: the New
// Project Wizard keeps it loaded and hidden and forwards its pages to the dialog's controls and
// procedures, the CD window hands a transferred track to its file list, and the instrument
// editors sound their test tones on its channel and patch and write back the ranges and the
// ensemble. The settings folder
// fills the shared module's window hooks with these parts of the registry's one dialog
// (Windows().settingsDialog); the parts name the dialog's own members, so a forward reads as a
// call on the dialog itself. They refer to one instance: a part kept past the dialog's release
// refers to nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "desk/core/shared/test_tones.h"
#include "desk/ui/ui.h"

namespace velt::desk {

struct SettingsDialogParts {
    ui::Form& form;

    // Controls.
    ui::ComboBox& cboAudioFile;
    ui::ComboBox& cboMidiFile;
    ui::ComboBox& cboMidiPatch;
    ui::ComboBox& cboRes;
    ui::ControlArray<ui::OptionButton>& optFilter;
    ui::ControlArray<ui::OptionButton>& optBeatDetect;
    ui::ControlArray<ui::OptionButton>& optStereo;
    ui::TextBox& txtPitchMode;
    ui::TextBox& txtPatchMap;
    ui::TextBox& txtTempo;
    ui::TextBox& txtKeyMin;
    ui::TextBox& txtKeyMax;
    ui::MaskedBox& txtStartPoint;
    ui::MaskedBox& txtEndPoint;
    ui::CheckBox& chkTempoDetect;
    ui::CheckBox& chkEntireRange;
    ui::CheckBox& chkAutoName;
    ui::CommandButton& cmdPlay;
    ui::CommandButton& cmdStop;
    ui::CommandButton& cmdTempoTapper;
    ui::CommandButton& cmdApply;
    ui::CommandButton& cmdPatchMapBrowse;
    ui::Label& lblMidiPatch;
    ui::Label& lblPatchMap;
    ui::Label& lblRes;
    ui::Frame& fraStereo;
    ui::Slider& sldOutputThreshold;

    // Working state.
    ui::TextBox*& FocusedBox;  // the wizard's boxes hand themselves over too
    bool& PlayFromWizard;      // set around the wizard's instrument test tone
    int32_t& TapCount;
    int32_t& TapStatus;
    std::string& CurrentAudioFile;
    std::string& CurrentMidiFile;
    std::string& WorkTaps;
    std::vector<std::string>& AudioList;  // 1-based: element 0 unused
    std::vector<std::string>& MidiList;

    // Procedures.
    std::function<void()> cboAudioFile_Click;
    std::function<void()> cmdWaveBrowse_Click;
    std::function<void()> cmdWaveEdit_Click;
    std::function<void()> cmdMidiBrowse_Click;
    std::function<void(int)> optFilter_Click;
    std::function<void()> cmdsndFilter_Click;
    std::function<void()> cmdPatchMapBrowse_Click;
    std::function<void()> cmdPatchMapEdit_Click;
    std::function<void()> cmdDrumKitEdit_Click;
    std::function<void(int&)> txtPitchMode_KeyPress;
    std::function<void()> txtPitchMode_LostFocus;
    std::function<void(int&)> txtTempo_KeyPress;
    std::function<void()> txtTempo_LostFocus;
    std::function<void()> txtKeyMin_LostFocus;
    std::function<void()> txtKeyMax_LostFocus;
    std::function<void()> txtStartPoint_LostFocus;
    std::function<void()> txtEndPoint_LostFocus;
    std::function<void()> cmdPlay_Click;
    std::function<void()> cmdStop_Click;
    std::function<void()> cmdTempoTapper_Click;
    std::function<void()> cmdOK_Click;
    std::function<ToneVoice()> TestToneVoice;     // the channel box's channel, the patch chosen
    std::function<int32_t()> ListedKeySignature;  // 8 - the key list's row
    std::function<void(const std::string&)> GetWaveInfo;
    std::function<void()> AddToFileList;
    std::function<std::string(int32_t)> MidiFile;
    std::function<void()> SetWaveParms;
    std::function<void()> CheckTempoStatus;
    // The Tap Extender asks how far to extend the kept taps (one already on screen is left
    // alone), then the taps are extended.
    std::function<void()> ExtendTapsAsked;
};

}  // namespace velt::desk
