#include "desk/wizard/wizard_mirror.h"

#include "desk/wizard/frm_wizard.h"

namespace velt::desk {

namespace {

frmWizard* loadedWizard() {
    frmWizard* w = ui::forms::existing<frmWizard>();
    return w && w->loaded() ? w : nullptr;
}

void fill(ui::ComboBox& list, const std::vector<std::string>& rows) {
    list.Clear();
    for (const std::string& row : rows) list.AddItem(row);
}

}  // namespace

void WizardMirror::copyFileLists(const std::vector<std::string>& audioRows,
                                 const std::vector<std::string>& midiRows, int audioRow,
                                 int midiRow) {
    frmWizard* w = loadedWizard();
    if (!w) return;
    fill(w->cboAudioFile, audioRows);
    fill(w->cboMidiFile, midiRows);
    selectFileRows(audioRow, midiRow);
}

void WizardMirror::selectFileRows(int audioRow, int midiRow) {
    frmWizard* w = loadedWizard();
    if (!w) return;
    // The dialog already holds these rows: the wizard only shows them.
    w->Mirroring = true;
    w->cboAudioFile.setListIndex(audioRow);
    w->cboMidiFile.setListIndex(midiRow);
    w->Mirroring = false;
}

void WizardMirror::stopPlayback() {
    if (frmWizard* w = loadedWizard()) w->cmdStop_Click();
}

void WizardRecorderMirror::counter(const std::string& caption, long colour) {
    if (frmWizard* w = loadedWizard()) {
        w->lblCounter.setCaption(caption);
        w->lblCounter.setForeColor(colour);
    }
}

void WizardRecorderMirror::saveEnabled(bool enabled) {
    if (frmWizard* w = loadedWizard()) w->cmdSave.setEnabled(enabled);
}

void WizardRecorderMirror::light(const ui::Picture& picture) {
    if (frmWizard* w = loadedWizard()) w->picMetronome.setPicture(picture);
}

void WizardRecorderMirror::levelBar(long colour, double top, double height) {
    if (frmWizard* w = loadedWizard()) {
        w->shpForeground.setBackColor(colour);
        w->shpForeground.setFillColor(colour);
        w->shpForeground.setTop(top);
        w->shpForeground.setHeight(height);
    }
}

void WizardRecorderMirror::thresholdMark(double y1, double y2, bool line50Visible) {
    if (frmWizard* w = loadedWizard()) {
        w->lineThres.setY1(y1);
        w->lineThres.setY2(y2);
        w->line50.setVisible(line50Visible);
    }
}

void WizardRecorderMirror::stopPlayback() {
    if (frmWizard* w = loadedWizard()) {
        int cancel = 0;
        w->MMControl_StopClick(cancel);
    }
}

void WizardCdMirror::setFileName(const std::string& text) {
    if (frmWizard* w = loadedWizard()) w->lblFileNameCD.setCaption(text);
}

void WizardCdMirror::setStatus(const std::string& text) {
    if (frmWizard* w = loadedWizard()) w->StatusBarCD.setText(text);
}

void WizardCdMirror::clearDrives() {
    if (frmWizard* w = loadedWizard()) w->cboDrives.Clear();
}

void WizardCdMirror::addDrive(const std::string& name) {
    if (frmWizard* w = loadedWizard()) w->cboDrives.AddItem(name);
}

void WizardCdMirror::selectDrive(int index) {
    frmWizard* w = loadedWizard();
    if (!w) return;
    w->Mirroring = true;
    w->cboDrives.setListIndex(index);
    w->Mirroring = false;
}

void WizardCdMirror::copyTrackList(const std::vector<std::string>& rows, bool enabled) {
    frmWizard* w = loadedWizard();
    if (!w) return;
    w->lstTracks.Clear();
    for (const std::string& row : rows) w->lstTracks.AddItem(row);
    w->lstTracks.setEnabled(enabled);
}

void WizardCdMirror::selectTrack(int index) {
    frmWizard* w = loadedWizard();
    if (!w) return;
    w->Mirroring = true;
    w->lstTracks.setListIndex(index);
    w->Mirroring = false;
}

void WizardCdMirror::setButtonBarEnabled(bool enabled) {
    if (frmWizard* w = loadedWizard()) w->mmCD.setEnabled(enabled);
}

void WizardCdMirror::clearPosition() {
    if (frmWizard* w = loadedWizard()) {
        w->lblPositionCD.setCaption("");
        w->pbPlayCD.setVisible(false);
    }
}

void WizardCdMirror::hidePlayProgress() {
    if (frmWizard* w = loadedWizard()) w->pbPlayCD.setVisible(false);
}

void WizardCdMirror::setPlayProgress(int percent) {
    if (frmWizard* w = loadedWizard()) {
        w->pbPlayCD.setVisible(true);
        w->pbPlayCD.setValue(percent);
    }
}

void WizardCdMirror::mirror(const CdPageMirror& state) {
    frmWizard* w = loadedWizard();
    if (!w) return;
    w->lblPositionCD.setCaption(state.position);
    w->pbPlayCD.setVisible(!state.position.empty());
    w->cmdRip.setEnabled(state.ripEnabled);
    w->cmdRip.setCaption(state.ripCaption);
    w->StatusBarCD.setText(state.status);
    w->ProgressBarCD.setVisible(state.transferVisible);
    w->ProgressBarCD.setValue(state.transferPercent);
    w->lblFileNameCD.setCaption(state.fileName);
    w->mmCD.setPlayEnabled(state.playEnabled);
    w->mmCD.setStopEnabled(state.stopEnabled);
    w->mmCD.setPrevEnabled(state.prevEnabled);
    w->mmCD.setNextEnabled(state.nextEnabled);
}

}  // namespace velt::desk
