#include "desk/core/placeholders/frm_media.h"

#include "desk/core/global.h"
#include "desk/settings/frm_properties.h"
#include "desk/core/shared/text_pieces.h"

namespace velt::desk {

namespace {

// A new track arrived: the settings dialog gets it, and while the wizard runs, its list too.
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

frmPlayer::frmPlayer()
    : PlaceholderForm("frmPlayer", "ZeruZirado",
                      "Playing the audio and MIDI files is not available in this build.") {}

frmCD::frmCD()
    : PlaceholderForm("frmCD", "CD Transfer",
                      "Transferring CD tracks is not available in this build. An existing WAV "
                      "file can be used as the track.") {
    cmdTransfer.Click = [this] { cmdTransfer_Click(); };
}

void frmCD::design() {
    PlaceholderForm::design();
    cmdTransfer.Move(240, buttonRowTop(), 1800, 375);
    cmdTransfer.setCaption("&Use WAV File...");
    setUpWaveDialog(cdlTrack, "Use WAV File");
}

void frmCD::cmdTransfer_Click() {
    cdlTrack.setInitDir(G().AudioFolder);
    if (cdlTrack.ShowOpen() == ui::DialogResult::Cancelled) return;
    G().CDTransferDone = true;
    handOver(cdlTrack.FileName());
}

}  // namespace velt::desk
