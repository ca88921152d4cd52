// The metronome, record and master file pages: the recorder, loaded hidden, does the work; its
// handlers run with Cancel set on the page's own button bar, and the page copies its state back.
#include "desk/core/global.h"
#include "desk/wizard/frm_wizard.h"
#include "desk/wizard/hidden_windows.h"

namespace velt::desk {

// A forward to a recorder that is not loaded loads it.
using wizard_windows::editor;
using wizard_windows::recorder;

void frmWizard::copyRecorderButtons() {
    const RecorderParts rec = recorder();
    MMControl.setPlayEnabled(rec.MMControl.PlayEnabled());
    MMControl.setStopEnabled(rec.MMControl.StopEnabled());
    MMControl.setRecordEnabled(rec.MMControl.RecordEnabled());
    cmdSave.setEnabled(rec.cmdSave.Enabled());
}

void frmWizard::SyncRecordMeter() {
    const SettingsDialogParts p = editor();
    SavedStartPoint = p.txtStartPoint.Text();
    SavedEndPoint = p.txtEndPoint.Text();
    const RecorderParts rec = recorder();
    rec.MirrorsWizard = true;
    copyRecorderButtons();
    fraLevel.setVisible(rec.fraLevel.Enabled());
    shpForeground.setTop(rec.shpForeground.Top());
    shpForeground.setHeight(rec.shpForeground.Height());
    line50.setEnds(line50.X1(), rec.line50.Y1(), line50.X2(), rec.line50.Y2());
    lineThres.setEnds(lineThres.X1(), rec.lineThres.Y1(), lineThres.X2(), rec.lineThres.Y2());
    line50.setVisible(rec.line50.Visible());
    shpBackground.ZOrder();
    shpForeground.ZOrder();
}

void frmWizard::AcceptRecordedFile() {
    Global& g = G();
    wizard_windows::UnloadRecorder();
    fraLevel.setVisible(false);
    const SettingsDialogParts p = editor();
    // With no take and no audio file yet there is nothing to hand over: reading the empty name
    // would switch the dialog to real time and mark a file project as having its audio.
    if (!p.CurrentAudioFile.empty()) {
        g.WaveReady = false;
        p.GetWaveInfo(p.CurrentAudioFile);
        p.AddToFileList();
    }
    if (g.RecordMark == "-") {
        // Nothing was recorded: the time range set before the record pages comes back.
        p.txtStartPoint.setText("00:00:00");
        p.txtStartPoint_LostFocus();
        p.txtEndPoint.setText(SavedEndPoint);
        p.txtEndPoint_LostFocus();
        p.txtStartPoint.setText(SavedStartPoint);
        p.txtStartPoint_LostFocus();
        return;
    }
    p.chkEntireRange.setValue(1);
    p.WorkTaps.clear();
    p.CheckTempoStatus();
}

void frmWizard::commitMetronome() {
    const RecorderParts rec = recorder();
    rec.RecordTempo = WizardTempo;
    rec.txtTempo_LostFocus();
    rec.cmdKeep_Click();
}

// ---- metronome page

// The metronome page's boxes are checked by the recorder when they are left (or with Enter);
// while the user types only the needle follows.
void frmWizard::txtTempo_Change() {
    if (Mirroring) return;
    if (txtTempo.UserEdit()) {
        DrawTempoNeedle(gauTempo, gauTempoLine, txtTempo.Text());
        return;
    }
    const RecorderParts rec = recorder();
    rec.txtTempo.setText(txtTempo.Text());
    rec.RecordTempo = WizardTempo;
    rec.txtTempo_Change();
    txtTempo_LostFocus();
}

void frmWizard::txtTempo_LostFocus() {
    const RecorderParts rec = recorder();
    rec.txtTempo.setText(txtTempo.Text());
    rec.RecordTempo = WizardTempo;
    rec.txtTempo_LostFocus();
    txtTempo.setText(rec.txtTempo.Text());
    WizardTempo = rec.RecordTempo;
    DrawTempoNeedle(gauTempo, gauTempoLine, txtTempo.Text());
}

void frmWizard::txtTempo_KeyPress(int& KeyAscii) {
    if (KeyAscii == 13) {
        KeyAscii = 0;
        txtTempo_LostFocus();
        return;
    }
    recorder().txtTempo_KeyPress(KeyAscii);
}

void frmWizard::spnTempo_DownClick() {
    recorder().spnTempo_DownClick();
    txtTempo.setText(recorder().txtTempo.Text());
}

void frmWizard::spnTempo_UpClick() {
    recorder().spnTempo_UpClick();
    txtTempo.setText(recorder().txtTempo.Text());
}

void frmWizard::txtTimeNum_Change() {
    if (Mirroring) return;
    const RecorderParts rec = recorder();
    rec.txtTimeNum.setText(txtTimeNum.Text());
    rec.txtTimeNum_Change();
    txtTimeNum.setText(rec.txtTimeNum.Text());
}

void frmWizard::txtTimeNum_LostFocus() {
    const RecorderParts rec = recorder();
    rec.txtTimeNum.setText(txtTimeNum.Text());
    rec.txtTimeNum_LostFocus();
    txtTimeNum.setText(rec.txtTimeNum.Text());
}

void frmWizard::txtTimeNum_KeyPress(int& KeyAscii) {
    if (KeyAscii == 13) {
        KeyAscii = 0;
        txtTimeNum_LostFocus();
        return;
    }
    recorder().txtTimeNum_KeyPress(KeyAscii);
}

void frmWizard::cmdTest_Click() {
    recorder().cmdTest_Click();
    cmdTest.setCaption(recorder().cmdTest.Caption());
}

// ---- record page

void frmWizard::MMControl_PlayClick(int& Cancel) {
    Cancel = 1;
    const RecorderParts rec = recorder();
    int cancel = 1;
    rec.MMControl_PlayClick(cancel);
    StatusBar.setText(rec.StatusBar.Text());
    copyRecorderButtons();
    fraLevel.setVisible(rec.fraLevel.Enabled());
}

void frmWizard::MMControl_RecordClick(int& Cancel) {
    Cancel = 1;
    const RecorderParts rec = recorder();
    rec.cmdMetronome.setCaption(optWave(0).Value() ? "<<&Metronome" : "&Metronome>>");
    int cancel = 1;
    rec.MMControl_RecordClick(cancel);
    cmdTest.setCaption(rec.cmdTest.Caption());
    StatusBar.setText(rec.StatusBar.Text());
    lblCounter.setForeColor(rec.lblCounter.ForeColor());
    copyRecorderButtons();
    fraLevel.setVisible(rec.fraLevel.Enabled());
}

void frmWizard::MMControl_StopClick(int& Cancel) {
    Cancel = 1;
    const RecorderParts rec = recorder();
    int cancel = 1;
    rec.MMControl_StopClick(cancel);
    cmdTest.setCaption(rec.cmdTest.Caption());
    StatusBar.setText(rec.StatusBar.Text());
    copyRecorderButtons();
    fraLevel.setVisible(rec.fraLevel.Enabled());
}

void frmWizard::cmdSave_Click() {
    const RecorderParts rec = recorder();
    rec.cmdSave_Click();
    lblFileName.setCaption(rec.lblFileName.Caption());
    cmdTest.setCaption(rec.cmdTest.Caption());
}

void frmWizard::cmdDevice_Click() {
    recorder().cmdDevice_Click();
}
void frmWizard::cmdMixer_Click() {
    recorder().cmdMixer_Click();
}
void frmWizard::cmdCDPlayer_Click() {
    recorder().cmdCDPlayer_Click();
}

// ---- master file page

void frmWizard::cmdMasterBrowse_Click() {
    const RecorderParts rec = recorder();
    rec.cmdMasterBrowse_Click();
    Mirroring = true;
    txtMasterFile.setText(rec.txtMasterFile.Text());
    Mirroring = false;
    lblKey.setVisible(rec.lblKey.Visible());
    lblKey1.setVisible(rec.lblKey1.Visible());
    lblKey1.setCaption(rec.lblKey1.Caption());
    lstChannels.Clear();
    for (int i = 0; i < rec.lstChannels.ListCount(); ++i)
        lstChannels.AddItem(rec.lstChannels.List(i));
}

void frmWizard::cmdMasterEdit_Click() {
    recorder().cmdMasterEdit_Click();
}

void frmWizard::txtMasterFile_Change() {
    if (Mirroring) return;
    const RecorderParts rec = recorder();
    if (txtMasterFile.Text().empty()) {
        // Emptying the box removes the master file.
        lstChannels.Clear();
        rec.txtMasterFile.setText("");
    }
    // Every other edit is undone: the recorder's name stands.
    txtMasterFile.setText(rec.txtMasterFile.Text());
    lblKey.setVisible(rec.lblKey.Visible());
    lblKey1.setVisible(rec.lblKey1.Visible());
}

}  // namespace velt::desk
