// The master MIDI file of the recording window: chosen in its frame, listed with the channels it
// uses and the instrument on each, and scanned for its first tempo, time signature and key
// signature, which become the metronome's settings. Damaged values are left out.
#include <cmath>

#include "desk/core/global.h"
#include "desk/core/shared/data_lists.h"
#include "desk/core/shared/key_names.h"
#include "desk/core/shared/master_file.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/core/shared/tools.h"
#include "desk/media/frm_record.h"
#include "platform/midi_file/smf_reader.h"

namespace velt::desk {

namespace {

constexpr uint8_t kMeta = 0xFF, kTempo = 0x51, kTimeSignature = 0x58, kKeySignature = 0x59;

// The instrument name of a program: the list entry of "filter.txt" after its " - ".
std::string instrumentName(int32_t program) {
    auto line = FindInstrumentLine(G().InstallFolder + "filter.txt", program);
    if (!line) return "<USED> (instrument unknown)";
    const size_t dash = line->entry.find(" - ");
    return dash == std::string::npos ? line->entry : line->entry.substr(dash + 3);
}

}  // namespace

void frmRecord::cmdMasterBrowse_Click() {
    Global& g = G();
    cdlFile.setDialogTitle("Select Master MIDI File");
    cdlFile.setFilter("MIDI File (*.mid)|*.mid|All Files (*.*)|*.*");
    cdlFile.setDefaultExt(".mid");
    cdlFile.setFlags(4);
    if (txtMasterFile.Text() == "<NONE>") {
        cdlFile.setFileName("");
        cdlFile.setInitDir(g.MidiFolder);
    } else {
        const std::string folder = FolderOf(RecordFile);
        cdlFile.setFileName(RecordFile.substr(folder.size()));
        cdlFile.setInitDir(folder);
    }
    if (cdlFile.ShowOpen() != ui::DialogResult::Ok) return;
    RecordFile = cdlFile.FileName();
    const std::string name = BaseNameOf(RecordFile);
    if (txtMasterFile.Text() == name) {
        txtMasterFile_Change();  // another file of the same name: read it all the same
    } else {
        txtMasterFile.setText(name);
    }
    g.MidiFolder = FolderOf(RecordFile);
}

void frmRecord::cmdMasterEdit_Click() {
    G().MidiFileToEdit = RecordFile;
    OpenMidiInEditor();
}

void frmRecord::txtMasterFile_GotFocus() {
    FocusedBox = &txtMasterFile;
    txtMasterFile.setSelStart(0);
    txtMasterFile.setSelLength(static_cast<int>(txtMasterFile.Text().size()));
}

void frmRecord::txtMasterFile_KeyPress(int& KeyAscii) {
    if (KeyAscii != 8 && KeyAscii != 46) KeyAscii = 0;  // the name can be erased, not typed
}

void frmRecord::txtMasterFile_Change() {
    const Global& g = G();
    if (txtMasterFile.Text().empty()) {
        RecordFile.clear();
        txtMasterFile.setText("<NONE>");  // its own Change hides the lists
        return;
    }
    lblKey.setVisible(false);
    lblKey1.setVisible(false);
    lblChannels.setVisible(false);
    lstChannels.setVisible(false);
    lstChannels.Clear();
    if (!CheckMasterFile(RecordFile)) return;

    lblChannels.setVisible(true);
    lstChannels.setVisible(true);
    for (int n = 1; n <= 16; ++n) {
        std::string text;
        if (!g.ChannelUsed[n]) {
            text = "<available>";
        } else if (g.ChannelProgram[n] == -1) {
            text = "<USED - instrument unknown>";
        } else if (n == 10) {
            text = "PERCUSSION";
        } else {
            text = instrumentName(g.ChannelProgram[n]);
        }
        lstChannels.AddItem(std::to_string(n) + ": " + text);
    }

    platform::smf::File file;
    if (platform::smf::readFile(RecordFile, file) != platform::smf::Refusal::None) return;
    bool tempoSeen = false, metreSeen = false, keySeen = false;
    for (const auto& track : file.tracks) {
        for (const auto& event : track) {
            if (event.status != kMeta) continue;
            const auto& d = event.data;
            if (event.meta == kTempo && !tempoSeen) {
                tempoSeen = true;
                const uint32_t perQuarter = platform::smf::tempoOf(event);
                if (perQuarter == 0) continue;  // a damaged tempo: keep ours
                RecordTempo = static_cast<float>(60000000.0 / perQuarter);
                // Disabled, the box takes the rounded tempo without replacing the exact one.
                txtTempo.setEnabled(false);
                txtTempo.setText(std::to_string(std::lround(RecordTempo)));
                txtTempo.setEnabled(true);
                setTempoNeedle();
            } else if (event.meta == kTimeSignature && !metreSeen) {
                metreSeen = true;
                if (d.size() < 2) continue;
                const int numerator = d[0];
                txtTimeNum.setText(numerator == 0   ? "Auto"
                                   : numerator > 99 ? "99"
                                                    : std::to_string(numerator));
                if (d[1] <= 5) denominatorIndex_ = d[1];
            } else if (event.meta == kKeySignature && !keySeen) {
                keySeen = true;
                if (d.size() < 2) continue;
                const int key = static_cast<int8_t>(d[0]);
                const int mode = d[1];
                if (key < -7 || key > 7 || (mode != 0 && mode != 1)) continue;
                keySignature_ = key;
                minorFlag_ = mode;
                lblKey.setVisible(true);
                lblKey1.setVisible(true);
                lblKey1.setCaption(KeyName(key, mode));
            }
        }
    }
}

}  // namespace velt::desk
