#include "desk/core/placeholders/frm_media.h"

#include "desk/core/global.h"
#include "desk/settings/frm_properties.h"
#include "desk/core/shared/text_pieces.h"

namespace velt::desk {

namespace {

// A new take arrived: the settings dialog gets it, and while the wizard runs, its list too.
void handOver(const std::string& path) {
    Global& g = G();
    auto& props = ui::forms::get<frmProperties>();
    props.CurrentAudioFile = path;
    g.AudioFolder = FolderOf(path);
    if (g.WizardRunning) props.AddToFileList();
}

void setUpWaveDialog(ui::CommonDialog& d, const std::string& title) {
    d.setDialogTitle(title);
    d.setFilter("Wave Files (*.wav)|*.wav");
    d.setFlags(0x1004);
}

}  // namespace

frmRecord::frmRecord()
    : PlaceholderForm("frmRecord", "Record",
                      "Recording is not available in this build. An existing WAV file can be "
                      "used as the take.") {
    cmdSave.Click = [this] { cmdSave_Click(); };
}

void frmRecord::design() {
    PlaceholderForm::design();
    cmdSave.Move(240, buttonRowTop(), 1800, 375);
    cmdSave.setCaption("&Use WAV File...");
    setUpWaveDialog(cdlTake, "Use WAV File");
}

void frmRecord::Form_Load() {
    G().RecordMark.assign(1, '-');
}

void frmRecord::cmdSave_Click() {
    Global& g = G();
    cdlTake.setInitDir(g.AudioFolder);
    if (cdlTake.ShowOpen() == ui::DialogResult::Cancelled) return;
    g.RecordingSaved = true;
    g.RecordMark.assign(1, 'N');
    g.RecMasterFile.clear();
    g.CDTransferDone = false;
    handOver(cdlTake.FileName());
}

}  // namespace velt::desk
