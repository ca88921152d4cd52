// The audio and MIDI file lists: the two combos show the entries side by side, AudioList and
// MidiList hold the full paths (1-based), and every audio file gets its MIDI file beside it.
#include "desk/core/shared/file_lists.h"

#include "desk/core/global.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/core/shared/tools.h"
#include "desk/core/window_links/wizard_pages.h"
#include "desk/settings/frm_properties.h"

namespace velt::desk {

namespace {

std::string identity(const std::string& path) {
    return FolderOf(path) + BaseNameOf(path);
}

std::vector<std::string> rowsOf(const ui::ComboBox& list) {
    std::vector<std::string> rows;
    for (int i = 0; i < list.ListCount(); ++i) rows.push_back(list.List(i));
    return rows;
}

}  // namespace

void frmProperties::mirrorIntoWizard() {
    WizardFiles().copyFileLists(rowsOf(cboAudioFile), rowsOf(cboMidiFile), cboAudioFile.ListIndex(),
                                cboMidiFile.ListIndex());
}

void frmProperties::AddToFileList() {
    Global& g = G();
    const std::string key = identity(CurrentAudioFile);
    for (size_t i = 1; i < AudioList.size(); ++i) {
        if (identity(AudioList[i]) != key) continue;
        int row = static_cast<int>(i) - 1;
        cboAudioFile.setListIndex(row);
        cboMidiFile.setListIndex(row);
        CurrentMidiFile = i < MidiList.size() ? MidiList[i] : "";
        if (g.WizardRunning) WizardFiles().selectFileRows(row, row);
        return;
    }
    CurrentMidiFile = MidiFileBeside(CurrentAudioFile);
    AudioList.push_back(CurrentAudioFile);
    cboAudioFile.AddItem(FileListRow(static_cast<int>(AudioList.size()) - 1, CurrentAudioFile));
    MidiList.resize(AudioList.size());
    MidiList.back() = CurrentMidiFile;
    cboMidiFile.AddItem(FileListRow(static_cast<int>(MidiList.size()) - 1, CurrentMidiFile));

    cboAudioFile.setListIndex(cboAudioFile.ListCount() - 1);
    cboMidiFile.setListIndex(cboMidiFile.ListCount() - 1);
    // A compressed file whose decoding did not finish leaves the list again.
    if (!g.WaveReady) cboAudioFile_Change();
    if (g.WizardRunning) mirrorIntoWizard();
    edited();
}

std::string frmProperties::MidiFile(int32_t index) const {
    return index >= 1 && index < static_cast<int32_t>(MidiList.size())
               ? MidiList[static_cast<size_t>(index)]
               : "";
}

void frmProperties::cboAudioFile_Click() {
    Global& g = G();
    const int row = cboAudioFile.ListIndex();
    if (row < 0) return;
    CurrentAudioFile = static_cast<size_t>(row) + 1 < AudioList.size()
                           ? AudioList[static_cast<size_t>(row) + 1]
                           : "";
    // The index follows every click, also of the row already current: after a recording the
    // removal question must name and remove the same row.
    CurrentAudioIndex = row;
    if (CurrentAudioFile == PreviousAudioFile) return;
    if (!cdShowing_) g.CDTransferDone = false;  // a track the CD window hands over keeps it
    edited();
    g.WaveReady = false;
    GetWaveInfo(CurrentAudioFile);
    chkTempoDetect.setValue(1);
    WorkTaps.clear();
    SetWaveParms();
    PreviousAudioFile = CurrentAudioFile;
    CurrentAudioIndex = row;
    CurrentMidiFile = MidiFile(cboMidiFile.ListIndex() + 1);
    cboMidiFile.setListIndex(row);
}

void frmProperties::cboAudioFile_KeyPress(int& KeyAscii) {
    if (KeyAscii != 46 && KeyAscii != 8) KeyAscii = 0;
}

void frmProperties::cboAudioFile_Change() {
    Global& g = G();
    if (undoingRemoval_) return;
    const std::string text = cboAudioFile.Text();
    // An empty list has no entry to remove: a typed "." is taken back and nothing else happens.
    if (cboAudioFile.ListCount() == 0) {
        undoingRemoval_ = true;
        cboAudioFile.setText("");
        undoingRemoval_ = false;
        return;
    }
    if (!text.empty() && g.WaveReady) {
        undoingRemoval_ = true;
        cboAudioFile.setText(cboAudioFile.List(CurrentAudioIndex));
        undoingRemoval_ = false;
        repaintLists();
        return;
    }
    if (text.empty()) {
        int answer = ui::MessageBox(
            "Are you sure you want to remove '" + CurrentAudioFile + "' from the list?",
            ui::YesNo + ui::Question + ui::DefaultButton2, "Project Editor");
        if (answer != ui::Answer::Yes) {
            undoingRemoval_ = true;
            cboAudioFile.setText(CurrentAudioFile);
            undoingRemoval_ = false;
            return;
        }
    }
    const int n = cboAudioFile.ListCount();
    if (n > 1 && CurrentAudioIndex < n - 1) {
        for (int i = CurrentAudioIndex + 1; i <= n - 1; ++i) {
            AudioList[static_cast<size_t>(i)] = AudioList[static_cast<size_t>(i) + 1];
            MidiList[static_cast<size_t>(i)] = MidiList[static_cast<size_t>(i) + 1];
            cboAudioFile.setList(i - 1, FileListRow(i, AudioList[static_cast<size_t>(i)]));
            cboMidiFile.setList(i - 1, FileListRow(i, MidiList[static_cast<size_t>(i)]));
        }
    }
    if (n > 0) {
        cboAudioFile.RemoveItem(n - 1);
        cboMidiFile.RemoveItem(n - 1);
        AudioList.resize(static_cast<size_t>(n));
        MidiList.resize(static_cast<size_t>(n));
    }
    if (cboAudioFile.ListCount() > 0) {
        cboAudioFile.setListIndex(0);
        cboMidiFile.setListIndex(0);
    } else {
        CurrentAudioFile.clear();
        PreviousAudioFile.clear();
        GetWaveInfo("");
    }
    edited();
    repaintLists();
}

void frmProperties::repaintLists() {
    Refresh();
    tabProperties.setTab(1);
    tabProperties.setTab(0);
}

void frmProperties::cboMidiFile_Click() {
    const int row = cboMidiFile.ListIndex();
    if (row < 0) return;
    CurrentMidiFile = MidiFile(row + 1);
    cboAudioFile.setListIndex(row);
}

void frmProperties::cboMidiFile_Change() {
    repaintLists();
}

void frmProperties::cboMidiFile_KeyPress(int& KeyAscii) {
    KeyAscii = 0;
}

void frmProperties::RenumberMidiFileList() {
    for (size_t i = 1; i < MidiList.size(); ++i) {
        if (MidiList[i] != CurrentMidiFile) continue;
        cboMidiFile.setListIndex(static_cast<int>(i) - 1);
        cboAudioFile.setListIndex(static_cast<int>(i) - 1);
        return;
    }
    const int row = cboMidiFile.ListIndex();
    if (row < 0 || static_cast<size_t>(row) + 1 >= MidiList.size()) return;
    MidiList[static_cast<size_t>(row) + 1] = CurrentMidiFile;
    cboMidiFile.setList(row, FileListRow(row + 1, CurrentMidiFile));
    cboAudioFile.setListIndex(row);
    edited();
}

void frmProperties::cmdWaveBrowse_Click() {
    Global& g = G();
    cdlFile.setDialogTitle("Select Audio File");
    cdlFile.setFilter(
        "All supported files (*.wav;*.mp3;*.wma;*.aac;*.aiff;*.aif)|*.wav;*.mp3;*.wma;*.aac;*.aiff;"
        "*.aif|Wave Files (*.wav)|*.wav|MP3 Files (*.mp3)|*.mp3|Windows Media Audio (*.wma)|*.wma|"
        "Advanced Audio Coding (*.aac)|*.aac|Audio AIFF (*.aiff;*.aif)|*.aiff;*.aif|All Files "
        "(*.*)|*.*");
    cdlFile.setDefaultExt("*.wav;*.mp3;*.wma;*.aac;*.aiff;*.aif");
    if (!CurrentAudioFile.empty()) {
        cdlFile.setFileName(CurrentAudioFile.substr(FolderOf(CurrentAudioFile).size()));
        cdlFile.setInitDir(FolderOf(CurrentAudioFile));
    } else {
        cdlFile.setFileName("");
        cdlFile.setInitDir(g.AudioFolder);
    }
    cdlFile.setFlags(4);
    if (cdlFile.ShowOpen() != ui::DialogResult::Ok) return;
    CurrentAudioFile = cdlFile.FileName();
    g.AudioFolder = FolderOf(CurrentAudioFile);
    AddToFileList();
}

void frmProperties::cmdMidiBrowse_Click() {
    Global& g = G();
    cdlFile.setDialogTitle("Select Location for MIDI File");
    cdlFile.setFilter("MIDI File (*.mid)|*.mid|All Files (*.*)|*.*");
    cdlFile.setDefaultExt(".mid");
    bool haveFile = !CurrentMidiFile.empty() && CurrentMidiFile != "[Real Time Mode]";
    if (haveFile) {
        cdlFile.setFileName(CurrentMidiFile.substr(FolderOf(CurrentMidiFile).size()));
        cdlFile.setInitDir(FolderOf(CurrentMidiFile));
    } else {
        cdlFile.setFileName("");
        cdlFile.setInitDir(g.MidiFolder);
    }
    cdlFile.setFlags(4);
    if (cdlFile.ShowOpen() != ui::DialogResult::Ok) return;
    CurrentMidiFile = cdlFile.FileName();
    g.MidiFolder = FolderOf(CurrentMidiFile);
    RenumberMidiFileList();
}

void frmProperties::cmdWaveEdit_Click() {
    G().AudioFileToEdit = CurrentAudioFile;
    OpenAudioInEditor();
}

void frmProperties::cmdMidiEdit_Click() {
    G().MidiFileToEdit = CurrentMidiFile == "[Real Time Mode]" ? "" : CurrentMidiFile;
    OpenMidiInEditor();
}

}  // namespace velt::desk
