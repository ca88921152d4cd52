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

std::string WizardMirror::instrumentRow() {
    frmWizard* w = loadedWizard();
    return w ? w->cboFilter.Text() : "";
}

void WizardMirror::stopPlayback() {
    if (frmWizard* w = loadedWizard()) w->cmdStop_Click();
}

}  // namespace velt::desk
