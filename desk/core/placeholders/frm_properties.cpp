#include "desk/core/placeholders/frm_properties.h"

#include <fstream>

#include "desk/core/global.h"
#include "desk/core/shared/text_pieces.h"

namespace velt::desk {

bool LooksLikeWave(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[12] = {};
    if (!in.read(head, sizeof head)) return false;
    return std::string(head, 4) == "RIFF" && std::string(head + 8, 4) == "WAVE";
}

void UseSingleAudioFile(const std::string& path) {
    Global& g = G();
    g.AudioFileCount = 1;
    g.AudioFiles.redim(1);
    g.MidiFiles.redim(1);
    g.AudioFiles(1) = path;
    g.MidiFiles(1) = FolderOf(path) + BaseNameOf(path) + ".mid";
    g.AudioFolder = FolderOf(path);
    g.SourceAudioFile.clear();
    g.WaveReady = false;
    g.AudioFileValid = LooksLikeWave(path);
}

frmProperties::frmProperties()
    : PlaceholderForm("frmProperties", "Edit Project",
                      "The full project settings are not available in this build. The project's "
                      "audio file can be changed here.") {
    cmdBrowse.Click = [this] { cmdBrowse_Click(); };
    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdApply.Click = [this] { cmdApply_Click(); };
}

void frmProperties::design() {
    PlaceholderForm::design();
    lblAudio.Move(240, ContentTop, 1200, 255);
    lblAudio.setCaption("Audio file:");
    txtAudioFile.Move(1440, ContentTop - 30, 3240, 315);
    txtAudioFile.setLocked(true);
    cmdBrowse.Move(4800, ContentTop - 60, 960, 375);
    cmdBrowse.setCaption("&Browse...");
    cmdOK.Move(Width() - 3 * 1215 - 480, buttonRowTop(), 1215, 375);
    cmdOK.setCaption("OK");
    cmdOK.setDefault(true);
    cmdApply.Move(Width() - 2 * 1215 - 360, buttonRowTop(), 1215, 375);
    cmdApply.setCaption("&Apply");
    cmdClose.setCaption("Cancel");
    cdlAudio.setDialogTitle("Select Audio File");
    cdlAudio.setFilter("Wave Files (*.wav)|*.wav|All Files (*.*)|*.*");
    cdlAudio.setFlags(0x1004);
}

void frmProperties::Form_Load() {
    Global& g = G();
    setCaption(g.ProjectFile.empty() ? "Edit Project"
                                     : "Edit Project - " + BaseNameOf(g.ProjectFile));
    G().SettingsApplied = false;
    CurrentAudioFile = g.AudioFileCount > 0 ? g.AudioFiles(1) : "";
    txtAudioFile.setText(CurrentAudioFile);
    // The audio inspection at load: a project converts when its file is a WAV file (or it has
    // none: live input).
    g.AudioFileValid =
        CurrentAudioFile.empty() ? g.AudioFileCount == 0 : LooksLikeWave(CurrentAudioFile);
    cmdApply.setEnabled(false);
}

void frmProperties::cmdBrowse_Click() {
    cdlAudio.setInitDir(G().AudioFolder);
    if (cdlAudio.ShowOpen() == ui::DialogResult::Cancelled) return;
    CurrentAudioFile = cdlAudio.FileName();
    txtAudioFile.setText(CurrentAudioFile);
    cmdApply.setEnabled(true);
}

void frmProperties::AddToFileList() {
    txtAudioFile.setText(CurrentAudioFile);
    cmdApply.setEnabled(true);
}

void frmProperties::cmdApply_Click() {
    Global& g = G();
    if (!CurrentAudioFile.empty()) UseSingleAudioFile(CurrentAudioFile);
    g.ProjectChanged = true;
    g.SettingsApplied = true;
    if (MainWindow().enableSave) MainWindow().enableSave(true);
    cmdApply.setEnabled(false);
}

void frmProperties::cmdOK_Click() {
    if (cmdApply.Enabled()) cmdApply_Click();
    unload();
}

void frmProperties::Form_Unload(int& Cancel) {
    if (G().WizardRunning) {
        Cancel = 1;
        Hide();
    }
}

}  // namespace velt::desk
