// The page controls: each forwards to the same-named control or handler of the hidden window
// behind it (the settings dialog, the recorder, the CD window) and copies back what changed.
#include <algorithm>
#include <cmath>

#include "desk/core/global.h"
#include "desk/core/shared/data_lists.h"
#include "desk/core/shared/key_names.h"
#include "desk/core/shared/numeric_box.h"
#include "desk/core/shared/tempo_range.h"
#include "desk/core/shared/test_tones.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/wizard/frm_wizard.h"
#include "desk/wizard/hidden_windows.h"

namespace velt::desk {

using wizard_windows::cdWindow;
using wizard_windows::editor;
using wizard_windows::recorder;

void DrawTempoNeedle(const ui::PictureBox& dial, ui::Line& needle, const std::string& tempoText) {
    // A number still being typed ("1" on the way to 120) is drawn at the dial's low end.
    const double value = Val(tempoText);
    const int t = value > kFastestGaugeTempo ? kFastestGaugeTempo
                  : value < kSlowestTempo    ? kSlowestTempo
                                             : static_cast<int>(std::lround(value));
    const auto cx = static_cast<int16_t>(std::lround(dial.Left() + std::round(dial.Width()) / 2));
    const auto cy = static_cast<int16_t>(std::lround(dial.Top() + std::round(dial.Height()) / 2));
    const auto tip = static_cast<int16_t>(std::clamp(t, -32768, 32767));
    needle.setX1(ArcX(cx, kFastestGaugeTempo, kSlowestTempo, tip));
    needle.setY1(ArcY(cy, kFastestGaugeTempo, kSlowestTempo, tip));
}

// ---- audio file and MIDI name pages (the settings dialog's lists)

void frmWizard::cboAudioFile_Click() {
    if (Mirroring) return;
    editor().cboAudioFile.setListIndex(cboAudioFile.ListIndex());
}

void frmWizard::cboAudioFile_KeyPress(int& KeyAscii) {
    if (KeyAscii != 46 && KeyAscii != 8) KeyAscii = 0;
}

void frmWizard::cboAudioFile_Change() {
    if (Mirroring) return;
    const SettingsDialogParts p = editor();
    Mirroring = true;
    if (cboAudioFile.ListCount() == 1) {
        // The last file can't be removed here.
        cboAudioFile.setText(p.cboAudioFile.Text());
        Mirroring = false;
        return;
    }
    p.cboAudioFile.setText(cboAudioFile.Text());
    cboAudioFile.setText(p.cboAudioFile.Text());
    cboAudioFile.Clear();
    cboMidiFile.Clear();
    for (int i = 0; i < p.cboAudioFile.ListCount(); ++i) {
        cboAudioFile.AddItem(p.cboAudioFile.List(i));
        cboMidiFile.AddItem(p.cboMidiFile.List(i));
    }
    if (p.cboAudioFile.ListIndex() >= 0) cboAudioFile.setListIndex(p.cboAudioFile.ListIndex());
    if (p.cboMidiFile.ListIndex() >= 0) cboMidiFile.setListIndex(p.cboMidiFile.ListIndex());
    Mirroring = false;
    Refresh();
}

void frmWizard::cmdWaveBrowse_Click() {
    editor().cmdWaveBrowse_Click();
}
void frmWizard::cmdWaveEdit_Click() {
    editor().cmdWaveEdit_Click();
}

void frmWizard::cboMidiFile_Click() {
    if (Mirroring) return;
    const SettingsDialogParts p = editor();
    p.cboMidiFile.setListIndex(cboMidiFile.ListIndex());
    Mirroring = true;
    if (p.cboAudioFile.ListIndex() >= 0) cboAudioFile.setListIndex(p.cboAudioFile.ListIndex());
    Mirroring = false;
}

void frmWizard::cboMidiFile_KeyPress(int& KeyAscii) {
    KeyAscii = 0;
}
void frmWizard::cboMidiFile_Change() {
    Refresh();
}
void frmWizard::cboMidiFile_DblClick() {
    cmdMidiBrowse_Click();
}

void frmWizard::cmdMidiBrowse_Click() {
    const SettingsDialogParts p = editor();
    p.cmdMidiBrowse_Click();
    Mirroring = true;
    const int row = p.cboMidiFile.ListIndex();
    if (p.cboAudioFile.ListIndex() >= 0) cboAudioFile.setListIndex(p.cboAudioFile.ListIndex());
    if (row >= 0 && row < cboMidiFile.ListCount()) {
        cboMidiFile.setList(row, p.cboMidiFile.List(row));
        cboMidiFile.setListIndex(row);
    }
    Mirroring = false;
}

void frmWizard::cmdProp_Click() {
    editor().form.Show(ui::Modal);
}

// ---- instrument pages

void frmWizard::optFilter_Click(int Index) {
    const SettingsDialogParts p = editor();
    switch (Index) {
        case 0:
        case 1:
            p.optFilter(1).setValue(optFilter(1).Value());
            p.optFilter(0).setValue(optFilter(0).Value());
            p.optFilter_Click(Index);
            p.optBeatDetect(0).setValue(true);
            break;
        case 2:
            p.optFilter(0).setValue(true);
            p.optFilter_Click(0);
            p.optBeatDetect(1).setValue(true);
            break;
        case 3:
            p.optFilter(1).setValue(true);
            p.optFilter_Click(1);
            p.optBeatDetect(1).setValue(true);
            optFilter1(0).setValue(true);
            break;
        default:
            break;
    }
}

void frmWizard::optStereo_Click(int Index) {
    editor().optStereo(Index).setValue(true);
}

void frmWizard::cboFilter_Click() {
    Global& g = G();
    const SettingsDialogParts p = editor();
    g.EnsPatch[0] = LeadingNumber(cboFilter.Text());
    p.cboMidiPatch.setListIndex(cboFilter.ListIndex());
    txtPitchMode.setText(p.txtPitchMode.Text());
    Mirroring = true;
    if (p.cboMidiPatch.ListIndex() >= 0) cboMidiPatch1.setListIndex(p.cboMidiPatch.ListIndex());
    Mirroring = false;
}

void frmWizard::cboMidiPatch_Click() {
    if (Mirroring) return;
    const SettingsDialogParts p = editor();
    p.cboMidiPatch.setListIndex(cboMidiPatch.ListIndex());
    txtPitchMode.setText(p.txtPitchMode.Text());
}

void frmWizard::cboMidiPatch1_Click() {
    if (Mirroring) return;
    const SettingsDialogParts p = editor();
    p.cboMidiPatch.setListIndex(cboMidiPatch1.ListIndex());
    txtPitchMode.setText(p.txtPitchMode.Text());
}

void frmWizard::cmdsndFilter_Click() {
    const SettingsDialogParts p = editor();
    p.PlayFromWizard = true;
    // Middle C on the instrument's program (the number its row starts with), on the channel the
    // settings dialog holds.
    PlayTestNote({p.TestToneVoice().channel, LeadingNumber(cboFilter.Text())}, kMiddleC);
    p.PlayFromWizard = false;
}

void frmWizard::cmdsndPatch_Click() {
    editor().cmdsndFilter_Click();
}
void frmWizard::cmdsndPatch1_Click() {
    editor().cmdsndFilter_Click();
}

void frmWizard::cmdPatchMapBrowse_Click() {
    const SettingsDialogParts p = editor();
    p.cmdPatchMapBrowse_Click();
    txtPatchMap.setText(p.txtPatchMap.Text());
}

void frmWizard::cmdPatchMapEdit_Click() {
    const SettingsDialogParts p = editor();
    p.cmdPatchMapEdit_Click();
    txtPatchMap.setText(p.txtPatchMap.Text());
}

void frmWizard::cmdDrumKitEdit_Click() {
    const SettingsDialogParts p = editor();
    p.cmdDrumKitEdit_Click();
    txtPatchMap.setText(p.txtPatchMap.Text());
}

void frmWizard::txtPitchMode_LostFocus() {
    const SettingsDialogParts p = editor();
    p.txtPitchMode.setText(txtPitchMode.Text());
    p.txtPitchMode_LostFocus();
    txtPitchMode.setText(p.txtPitchMode.Text());
}

void frmWizard::txtPitchMode_Change() {
    txtPitchMode_LostFocus();
    G().EnsPoly[0] = LeadingNumber(txtPitchMode.Text());
}

void frmWizard::txtPitchMode_KeyPress(int& KeyAscii) {
    editor().txtPitchMode_KeyPress(KeyAscii);
}

// ---- timing pages

void frmWizard::optSync_Click(int Index) {
    const SettingsDialogParts p = editor();
    if (Index == 0) {
        p.chkTempoDetect.setValue(1);
        p.chkTempoDetect.setEnabled(false);
    } else {
        p.chkTempoDetect.setValue(0);
    }
    chkTempoDetect.setEnabled(p.chkTempoDetect.Enabled());
}

void frmWizard::chkTempoDetect_Click() {
    editor().chkTempoDetect.setValue(chkTempoDetect.Value());
}

void frmWizard::cboRes_Click() {
    if (Mirroring) return;
    editor().cboRes.setListIndex(cboRes.ListIndex());
}

void frmWizard::cmdPlay_Click() {
    const SettingsDialogParts p = editor();
    p.cmdPlay_Click();
    cmdPlay.setEnabled(p.cmdPlay.Enabled());
    cmdStop.setEnabled(p.cmdStop.Enabled());
    cmdTempoTapper.setEnabled(p.cmdTempoTapper.Enabled());
    cmdTempoTapper.SetFocus();
}

void frmWizard::cmdTempoTapper_Click() {
    const SettingsDialogParts p = editor();
    p.cmdTempoTapper_Click();
    // A tap that ended the take (a gap too long) leaves a negative count: no beats to show.
    lblBeatCountVal.setCaption(p.TapCount > 0 ? std::to_string(p.TapCount) : "");
    txtTempo1.setText(p.txtTempo.Text());
    SetTempoGauge();
    cmdPlay.setEnabled(p.cmdPlay.Enabled());
    cmdStop.setEnabled(p.cmdStop.Enabled());
    cmdTempoTapper.setEnabled(p.cmdTempoTapper.Enabled());
}

void frmWizard::cmdStop_Click() {
    const SettingsDialogParts p = editor();
    // A Stop that finds the dialog not playing (the end-of-playback notice after a user Stop)
    // leaves its tap status from the earlier take: reading it again would reopen the Tap
    // Extender and pad the kept taps a second time.
    const bool playing = p.cmdStop.Enabled();
    p.cmdStop_Click();
    const int s = p.TapStatus;
    if (playing && s > 1) {
        // The Tap Extender asks how far to extend the taps; one already on screen is left alone.
        p.ExtendTapsAsked();
    }
    txtTempo1.setText(p.txtTempo.Text());
    SetTempoGauge();
    chkTempoDetect.setValue(p.chkTempoDetect.Value());
    chkTempoDetect.setEnabled(p.chkTempoDetect.Enabled());
    // A refused or cancelled take (-1, -2) and no tap at all leave the counter empty.
    if (playing) lblBeatCountVal.setCaption(s > 0 ? std::to_string(s) : "");
    cmdPlay.setEnabled(p.cmdPlay.Enabled());
    cmdStop.setEnabled(p.cmdStop.Enabled());
    cmdTempoTapper.setEnabled(p.cmdTempoTapper.Enabled());
}

// The tapping page's tempo box is checked by the editor when it is left (or with Enter); while
// the user types only the needle follows. What code writes into it is checked at once.
void frmWizard::txtTempo1_Change() {
    if (txtTempo1.UserEdit()) {
        SetTempoGauge();
        return;
    }
    txtTempo1_LostFocus();
}

void frmWizard::txtTempo1_KeyPress(int& KeyAscii) {
    if (KeyAscii == 13) {
        KeyAscii = 0;
        txtTempo1_LostFocus();
        return;
    }
    editor().txtTempo_KeyPress(KeyAscii);
}

void frmWizard::txtTempo1_LostFocus() {
    const SettingsDialogParts p = editor();
    // Text that holds no number (the box erased) gets back the tempo it had on focus.
    double typed = 0;
    if (!ReadBoxNumber(txtTempo1.Text(), typed) && tempo1AtFocus_) {
        txtTempo1.setText(*tempo1AtFocus_);
    }
    p.txtTempo.setText(txtTempo1.Text());
    p.txtTempo_LostFocus();
    txtTempo1.setText(p.txtTempo.Text());
    SetTempoGauge();
}

void frmWizard::SetTempoGauge() {
    DrawTempoNeedle(gauTempo1, gauTempoLine1, txtTempo1.Text());
}

// ---- record, master file and CD pages: the recorder and the CD window do the work

namespace {
void selectAll(ui::TextBox& box) {
    box.setSelStart(0);
    box.setSelLength(static_cast<int>(box.Text().size()));
}
}  // namespace

void frmWizard::txtTempo_GotFocus() {
    selectAll(txtTempo);
    recorder().FocusedBox = &txtTempo;
}

void frmWizard::txtTimeNum_GotFocus() {
    selectAll(txtTimeNum);
    recorder().FocusedBox = &txtTimeNum;
}

void frmWizard::spnTimeNum_Change() {
    if (Val(txtTimeNum.Text()) == 0) txtTimeNum.setText("Auto");
}

void frmWizard::txtMasterFile_GotFocus() {
    selectAll(txtMasterFile);
    FocusedBox = &txtMasterFile;
}

void frmWizard::txtMasterFile_KeyPress(int& KeyAscii) {
    if (KeyAscii != 46 && KeyAscii != 8) KeyAscii = 0;
}

void frmWizard::txtTempo1_GotFocus() {
    tempo1AtFocus_ = txtTempo1.Text();
    selectAll(txtTempo1);
    editor().FocusedBox = &txtTempo1;
}

void frmWizard::txtPitchMode_GotFocus() {
    selectAll(txtPitchMode);
    editor().FocusedBox = &txtPitchMode;
}

void frmWizard::cmdRip_Click() {
    cdWindow().cmdRip_Click();
}
void frmWizard::cmdMixerCD_Click() {
    cdWindow().cmdMixer_Click();
}

void frmWizard::cboDrives_Click() {
    if (Mirroring) return;
    cdWindow().cboDrives.setListIndex(cboDrives.ListIndex());
}

void frmWizard::lstTracks_Click() {
    if (Mirroring) return;
    cdWindow().lstTracks.setListIndex(lstTracks.ListIndex());
}

}  // namespace velt::desk
