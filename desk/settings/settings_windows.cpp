#include "desk/settings/settings_windows.h"

#include <cmath>

#include "desk/core/global.h"
#include "desk/core/window_links/offered_form.h"
#include "desk/core/window_links/recorder_editor.h"
#include "desk/core/window_links/settings_dialog.h"
#include "desk/settings/frm_properties.h"
#include "desk/settings/frm_tapper.h"
#include "desk/ui/ui.h"

namespace velt::desk {

namespace {

// After a kept tapping take: the Tap Extender asks how far to extend the taps, unless one is
// already on screen; then the taps are extended.
void extendTapsAsked(frmProperties& d) {
    frmTapper* open = ui::forms::existing<frmTapper>();
    if (!open || !open->Visible()) {
        auto& tapper = ui::Load<frmTapper>();
        tapper.Show(ui::Modal);
        d.ExtendToStart = tapper.ExtendToStart;
        d.ExtendToEnd = tapper.ExtendToEnd;
        ui::Release<frmTapper>();
    }
    d.ExtendTaps();
}

SettingsDialogParts partsOf(frmProperties& d) {
    return {
        .form = d,
        .cboAudioFile = d.cboAudioFile,
        .cboMidiFile = d.cboMidiFile,
        .cboMidiPatch = d.cboMidiPatch,
        .cboRes = d.cboRes,
        .optFilter = d.optFilter,
        .optBeatDetect = d.optBeatDetect,
        .optStereo = d.optStereo,
        .txtPitchMode = d.txtPitchMode,
        .txtPatchMap = d.txtPatchMap,
        .txtTempo = d.txtTempo,
        .txtKeyMin = d.txtKeyMin,
        .txtKeyMax = d.txtKeyMax,
        .txtStartPoint = d.txtStartPoint,
        .txtEndPoint = d.txtEndPoint,
        .chkTempoDetect = d.chkTempoDetect,
        .chkEntireRange = d.chkEntireRange,
        .chkAutoName = d.chkAutoName,
        .cmdPlay = d.cmdPlay,
        .cmdStop = d.cmdStop,
        .cmdTempoTapper = d.cmdTempoTapper,
        .cmdApply = d.cmdApply,
        .cmdPatchMapBrowse = d.cmdPatchMapBrowse,
        .lblMidiPatch = d.lblMidiPatch,
        .lblPatchMap = d.lblPatchMap,
        .lblRes = d.lblRes,
        .fraStereo = d.fraStereo,
        .sldOutputThreshold = d.sldOutputThreshold,
        .FocusedBox = d.FocusedBox,
        .PlayFromWizard = d.PlayFromWizard,
        .TapCount = d.TapCount,
        .TapStatus = d.TapStatus,
        .CurrentAudioFile = d.CurrentAudioFile,
        .CurrentMidiFile = d.CurrentMidiFile,
        .WorkTaps = d.WorkTaps,
        .AudioList = d.AudioList,
        .MidiList = d.MidiList,
        .cboAudioFile_Click = [&d] { d.cboAudioFile_Click(); },
        .cmdWaveBrowse_Click = [&d] { d.cmdWaveBrowse_Click(); },
        .cmdWaveEdit_Click = [&d] { d.cmdWaveEdit_Click(); },
        .cmdMidiBrowse_Click = [&d] { d.cmdMidiBrowse_Click(); },
        .optFilter_Click = [&d](int index) { d.optFilter_Click(index); },
        .cmdsndFilter_Click = [&d] { d.cmdsndFilter_Click(); },
        .cmdPatchMapBrowse_Click = [&d] { d.cmdPatchMapBrowse_Click(); },
        .cmdPatchMapEdit_Click = [&d] { d.cmdPatchMapEdit_Click(); },
        .cmdDrumKitEdit_Click = [&d] { d.cmdDrumKitEdit_Click(); },
        .txtPitchMode_KeyPress = [&d](int& key) { d.txtPitchMode_KeyPress(key); },
        .txtPitchMode_LostFocus = [&d] { d.txtPitchMode_LostFocus(); },
        .txtTempo_KeyPress = [&d](int& key) { d.txtTempo_KeyPress(key); },
        .txtTempo_LostFocus = [&d] { d.txtTempo_LostFocus(); },
        .txtKeyMin_LostFocus = [&d] { d.txtKeyMin_LostFocus(); },
        .txtKeyMax_LostFocus = [&d] { d.txtKeyMax_LostFocus(); },
        .txtStartPoint_LostFocus = [&d] { d.txtStartPoint_LostFocus(); },
        .txtEndPoint_LostFocus = [&d] { d.txtEndPoint_LostFocus(); },
        .cmdPlay_Click = [&d] { d.cmdPlay_Click(); },
        .cmdStop_Click = [&d] { d.cmdStop_Click(); },
        .cmdTempoTapper_Click = [&d] { d.cmdTempoTapper_Click(); },
        .cmdOK_Click = [&d] { d.cmdOK_Click(); },
        .TestToneVoice = [&d] { return d.TestToneVoice(); },
        .ListedKeySignature = [&d] { return d.ListedKeySignature(); },
        .GetWaveInfo = [&d](const std::string& path) { d.GetWaveInfo(path); },
        .AddToFileList = [&d] { d.AddToFileList(); },
        .MidiFile = [&d](int32_t index) { return d.MidiFile(index); },
        .SetWaveParms = [&d] { d.SetWaveParms(); },
        .CheckTempoStatus = [&d] { d.CheckTempoStatus(); },
        .ExtendTapsAsked = [&d] { extendTapsAsked(d); },
    };
}

// The recorder's link: the dialog's working tempo, its metre, key and threshold controls, its
// audio and MIDI file and its file list.
class PropertiesLink : public RecorderEditor {
  public:
    float tempo() override { return dialog().WorkTempo; }
    std::string timeNumText() override { return dialog().txtTimeNum.Text(); }
    int32_t timeDenomIndex() override { return dialog().cboTimeDenom.ListIndex(); }
    int32_t keyIndex() override { return dialog().cboKey.ListIndex(); }
    int32_t minorFlag() override { return dialog().optMajorMinor(0).Value() ? 0 : 1; }
    int32_t inputThresholdValue() override { return dialog().sldInputThreshold.Value(); }
    void setInputThresholdValue(int32_t value) override {
        dialog().sldInputThreshold.setValue(value);
    }
    std::string selectedAudioFile() override { return dialog().CurrentAudioFile; }
    int32_t audioFileCount() override { return dialog().cboAudioFile.ListCount(); }
    std::string selectedMidiFile() override { return dialog().CurrentMidiFile; }
    bool autoName() override { return dialog().chkAutoName.Value() == 1; }
    void setSelectedFiles(const std::string& audio, const std::string& midi) override {
        dialog().CurrentAudioFile = audio;
        dialog().CurrentMidiFile = midi;
    }
    // The file last inspected is forgotten, so the new take under an old name is read again.
    void clearRecordedAudioFile() override { dialog().PreviousAudioFile.clear(); }
    void getWaveInfo(const std::string& path) override { dialog().GetWaveInfo(path); }
    void addToFileList() override { dialog().AddToFileList(); }
    void takeOver(const RecordedSettings& s) override {
        frmProperties& d = dialog();
        keep(s.tempo, s.timeNum);
        d.cboTimeDenom.setListIndex(s.timeDenomIndex);
        d.cboKey.setListIndex(s.keyIndex);
        d.optMajorMinor(s.minor).setValue(true);
    }
    void keep(float tempo, const std::string& timeNum) override {
        frmProperties& d = dialog();
        d.txtTempo.setText(std::to_string(std::lround(tempo)));
        d.WorkTempo = tempo;  // after the box, whose check takes its whole number
        d.txtTimeNum.setText(timeNum);
    }
    void setTempoDetect(bool ticked) override { dialog().chkTempoDetect.setValue(ticked ? 1 : 0); }

  private:
    static frmProperties& dialog() { return ui::forms::get<frmProperties>(); }
};

}  // namespace

void RegisterSettingsWindows() {
    WindowHooks& windows = Windows();
    windows.showProperties = [] {
        ui::forms::get<frmProperties>().Show(ui::Modal);
        ui::Release<frmProperties>();
    };
    windows.settingsDialog = OfferedForm(&partsOf);
    windows.recorderEditor = [] { return std::make_shared<PropertiesLink>(); };
}

}  // namespace velt::desk
