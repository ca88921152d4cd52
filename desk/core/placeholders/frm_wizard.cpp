#include "desk/core/placeholders/frm_wizard.h"

#include "desk/core/global.h"
#include "desk/core/main_window/frm_main.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/settings/frm_properties.h"

namespace velt::desk {

namespace {
void enableEditProject(bool on) {
    if (frmMain* main = LoadedMainForm()) {
        main->Toolbar.Buttons("Edit Project").setEnabled(on);
        main->mnuProject.setEnabled(on);
    }
}
}  // namespace

frmWizard::frmWizard()
    : PlaceholderForm("frmWizard", "New Project Wizard",
                      "The step-by-step wizard is not available in this build. Choose the WAV "
                      "file to convert and press Finish.") {
    cmdBrowse.Click = [this] { cmdBrowse_Click(); };
    cmdFinish.Click = [this] { cmdFinish_Click(); };
}

void frmWizard::design() {
    PlaceholderForm::design();
    lblAudio.Move(240, ContentTop, 1200, 255);
    lblAudio.setCaption("Audio file:");
    txtAudioFile.Move(1440, ContentTop - 30, 3240, 315);
    txtAudioFile.setLocked(true);
    cmdBrowse.Move(4800, ContentTop - 60, 960, 375);
    cmdBrowse.setCaption("&Browse...");
    cmdFinish.Move(Width() - 2 * 1215 - 360, buttonRowTop(), 1215, 375);
    cmdFinish.setCaption("&Finish");
    cmdFinish.setDefault(true);
    cmdFinish.setEnabled(false);
    cmdClose.setCaption("Cancel");
    cdlAudio.setDialogTitle("Select Audio File");
    cdlAudio.setFilter("Wave Files (*.wav)|*.wav|All Files (*.*)|*.*");
    cdlAudio.setFlags(0x1004);
}

void frmWizard::Form_Load() {
    G().SettingsApplied = false;
    enableEditProject(false);
}

void frmWizard::cmdBrowse_Click() {
    cdlAudio.setInitDir(G().AudioFolder);
    if (cdlAudio.ShowOpen() == ui::DialogResult::Cancelled) return;
    txtAudioFile.setText(cdlAudio.FileName());
    cmdFinish.setEnabled(true);
}

void frmWizard::cmdFinish_Click() {
    Global& g = G();
    // As the wizard does: the hidden settings dialog takes the file and commits on OK (it only
    // hides while the wizard runs), then the wizard closes it.
    g.WizardRunning = true;
    auto& props = ui::Load<frmProperties>();
    props.CurrentAudioFile = txtAudioFile.Text();
    g.AudioFolder = FolderOf(props.CurrentAudioFile);
    props.AddToFileList();
    props.cmdOK_Click();
    g.WizardRunning = false;
    g.WizardClosing = true;
    ui::Unload<frmProperties>();
    ui::Release<frmProperties>();
    g.WizardClosing = false;
    enableEditProject(true);
    unload();
}

void frmWizard::cmdClose_Click() {
    G().AudioFileValid = false;
    unload();
}

void frmWizard::Form_Unload(int& Cancel) {
    (void)Cancel;
    G().WizardRunning = false;
}

}  // namespace velt::desk
