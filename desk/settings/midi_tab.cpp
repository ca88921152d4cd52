// The settings dialog's MIDI tab: the MIDI file beside each audio file, the single instrument's
// patch and channel, and the ensemble or drum kit of the instruments in the original audio; its
// part of loading and of Apply.
#include <algorithm>

#include "desk/core/global.h"
#include "desk/core/shared/channel_allocation.h"
#include "desk/core/shared/data_lists.h"
#include "desk/core/shared/drum_kit_file.h"
#include "desk/core/shared/ensemble_file.h"
#include "desk/core/shared/file_lists.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/core/shared/tools.h"
#include "desk/core/shared/working_parts.h"
#include "desk/settings/data_files.h"
#include "desk/settings/frm_properties.h"
#include "desk/settings/numbers.h"

namespace velt::desk {

namespace {

constexpr int32_t kDrumChannel = 10;

// A box text that reads as a channel, 1..16.
bool ReadsChannel(const std::string& text) {
    double v = 0;
    return ReadBoxNumber(text, v) && v >= 1 && v <= 16;
}

}  // namespace

void frmProperties::wireMidiTab() {
    cboMidiFile.Click = [this] { cboMidiFile_Click(); };
    cboMidiFile.Change = [this] { cboMidiFile_Change(); };
    cboMidiFile.KeyPress = [this](int& k) { cboMidiFile_KeyPress(k); };
    cmdMidiBrowse.Click = [this] { cmdMidiBrowse_Click(); };
    cmdMidiEdit.Click = [this] { cmdMidiEdit_Click(); };
    optFilter.on(&ui::OptionButton::Click, [this](int i) { optFilter_Click(i); });
    cboMidiPatch.Click = [this] { cboMidiPatch_Click(); };
    cmdsndFilter.Click = [this] { cmdsndFilter_Click(); };
    txtChannel.Change = [this] { txtChannel_Change(); };
    txtChannel.GotFocus = [this] { txtChannel_GotFocus(); };
    txtChannel.KeyPress = [this](int& k) { txtChannel_KeyPress(k); };
    txtChannel.LostFocus = [this] { txtChannel_LostFocus(); };
    spnChannel.DownClick = [this] { spnChannel_DownClick(); };
    spnChannel.UpClick = [this] { spnChannel_UpClick(); };
    cmdPatchMapBrowse.Click = [this] { cmdPatchMapBrowse_Click(); };
    cmdPatchMapEdit.Click = [this] { cmdPatchMapEdit_Click(); };
    cmdDrumKitEdit.Click = [this] { cmdDrumKitEdit_Click(); };
}

void frmProperties::loadMidiTab(const std::vector<std::string>& instrumentLines) {
    Global& g = G();
    // MIDI list.
    MidiList.assign(1, "");
    cboMidiFile.Clear();
    for (int32_t i = 1; i <= g.AudioFileCount; ++i) {
        MidiList.push_back(g.MidiFiles(i));
        cboMidiFile.AddItem(FileListRow(i, g.MidiFiles(i)));
    }
    if (g.AudioFileCount > 0) {
        CurrentMidiFile = MidiList[1];
        cboMidiFile.setListIndex(0);
    }

    txtChannel.setText(std::to_string(g.MidiChan));
    WorkPatch = g.MidiPat;
    g.EnsAutoName = g.AutoEnsName;

    // Instrument list from "filter.txt"; a patch it doesn't list selects row 0.
    cboMidiPatch.Clear();
    if (FileExists(FilterListFile())) {
        for (const std::string& line : instrumentLines) cboMidiPatch.AddItem(ListEntry(line));
    } else {
        WorkFilter = -1;
        optFilter(0).setEnabled(false);
        optFilter(1).setEnabled(false);
    }
    int patchRow = RowWithLeadingNumber(cboMidiPatch, g.MidiPat);
    if (patchRow < 0) {
        WorkFilter = -1;
        patchRow = 0;
    }
    if (cboMidiPatch.ListCount() > 0) cboMidiPatch.setListIndex(patchRow);
}

// The filter option and the working ensemble, over what the polyphony option's click loaded.
void frmProperties::loadEnsemble(const std::vector<std::string>& instrumentLines) {
    Global& g = G();
    if (g.Filter >= 0 && WorkFilter >= 0) {
        optFilter(1).setValue(true);
    } else {
        optFilter(0).setValue(true);
        WorkFilter = -1;
    }

    if (!g.Ensemble.empty()) {
        txtPatchMap.setText(g.Ensemble);
        TakeStoredParts(g);
        g.EnsDrumKit = g.DrumKit;
        g.EnsKitName = g.KitName;
    } else {
        g.EnsDrumKit = g.DrumKit;
        g.EnsKitName = g.KitName;
        if (FileExists(ExampleEnsembleFile())) {
            txtPatchMap.setText(BaseNameOf(ExampleEnsembleFile()));
            ReadEnsembleRows(ExampleEnsembleFile());
        } else {
            // The name of the single instrument: the line of "filter.txt" numbered by the first
            // part's patch. A patch past the list leaves the name empty.
            int32_t line = g.PartPatch[0];
            std::string name;
            if (line >= 0 && line < static_cast<int32_t>(instrumentLines.size())) {
                const std::string& text = instrumentLines[static_cast<size_t>(line)];
                size_t dash = text.find(" - ");
                if (dash != std::string::npos) {
                    std::string rest = text.substr(dash + 3);
                    name = rest.substr(0, rest.find(','));
                }
            }
            txtPatchMap.setText(name);
            TakeStoredParts(g);
        }
    }

    if (g.ResultAction == ResultBuildScore) g.EnsPatch[0] = g.ScoreBuilderPatch;
}

void frmProperties::applyMidiTab() {
    Global& g = G();
    g.MidiFiles.redim(g.AudioFileCount);
    for (int32_t i = 1; i <= g.AudioFileCount; ++i)
        g.MidiFiles(i) =
            i < static_cast<int32_t>(MidiList.size()) ? MidiList[static_cast<size_t>(i)] : "";
    g.MidiChan = ChannelInBox();
    g.Filter = WorkFilter;
    g.MidiPat = WorkPatch;
    g.Ensemble = txtPatchMap.Text();
    g.AutoEnsName = g.EnsAutoName;
    g.DrumKit = g.EnsDrumKit;
    g.KitName = g.EnsKitName;
    StoreWorkingParts(g);
}

// The MIDI file list: one entry beside each audio file (audio_tab.cpp adds them).

std::string frmProperties::MidiFile(int32_t index) const {
    return index >= 1 && index < static_cast<int32_t>(MidiList.size())
               ? MidiList[static_cast<size_t>(index)]
               : "";
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

void frmProperties::cmdMidiEdit_Click() {
    G().MidiFileToEdit = CurrentMidiFile == "[Real Time Mode]" ? "" : CurrentMidiFile;
    OpenMidiInEditor();
}

// The single instrument: its patch and channel.

void frmProperties::optFilter_Click(int Index) {
    edited();
    std::initializer_list<ui::Control*> named = {&cmdPatchMapBrowse, &cmdPatchMapEdit,
                                                 &cmdDrumKitEdit, &lblPatchMap, &txtPatchMap};
    if (Index == 1) {
        WorkFilter = 0;
        for (ui::Control* c : named) c->setEnabled(true);
        lblMidiPatch.setCaption("Instrument in Original Audio:");
        return;
    }
    if (WorkFilter == -1) return;
    WorkFilter = -1;
    for (ui::Control* c : named) c->setEnabled(false);
    lblMidiPatch.setCaption(Val(txtChannel.Text()) == 10 ? "Assign to Percussion:"
                                                         : "Assign to Patch:");
}

void frmProperties::cboMidiPatch_Click() {
    Global& g = G();
    edited();
    WorkPatch = ToLong(Val(cboMidiPatch.Text()));
    if (Loading || WorkFilter != 0) return;
    if (!g.WizardRunning) {
        int answer = ui::MessageBox(
            "Veltrane can automatically set the pitch range and polyphony to the typical range of "
            "a single person playing the instrument you chose.  Do you want Veltrane to adjust "
            "these settings?",
            ui::YesNo + ui::Question, "Edit Project");
        if (answer != ui::Answer::Yes) return;
    }
    if (!CurrentAudioFile.empty()) chkAutoDetectNote.setValue(1);
    const std::optional<InstrumentLine> line = FindInstrumentLine(FilterListFile(), WorkPatch);
    if (!line) return;
    const int low = line->low == 0 ? 28 : line->low;
    WorkKeyMin = low < 29 ? 28 : low;
    const int high = line->high == 0 ? 85 : line->high;
    WorkKeyMax = high >= 85 ? 85 : high;
    VirtualSRChange();
    txtPitchMode.setText(std::to_string(line->poly == 0 ? 30 : line->poly));
}

void frmProperties::cmdsndFilter_Click() {
    PlayPatch();
}

void frmProperties::txtChannel_Change() {
    edited();
}
void frmProperties::txtChannel_GotFocus() {
    rememberFocus(txtChannel);
}
void frmProperties::txtChannel_KeyPress(int& KeyAscii) {
    if (!boxTakes(KeyAscii, "")) KeyAscii = 0;
}
void frmProperties::txtChannel_LostFocus() {
    // An emptied box gets back the text it had on focus (the project's channel when it never had
    // the focus), so the box always reads a channel.
    const std::string committed = std::to_string(std::clamp(G().MidiChan, 1, 16));
    const std::string* before = remembered(txtChannel);
    if (HoldBoxNumber(txtChannel, 1, 16, before ? before : &committed) == BoxCheck::Restored &&
        !ReadsChannel(txtChannel.Text()))
        txtChannel.setText(committed);
    const int32_t channel = ToLong(Val(txtChannel.Text()));
    if ((LastChannel == kDrumChannel) != (channel == kDrumChannel)) switchPatchList(channel);
}

// The instrument list follows the channel: the percussion sounds on channel 10, the instruments
// elsewhere. The default percussion sound is the twelfth line; while the dialog is being filled
// the project's own sound stays selected when the list has it.
void frmProperties::switchPatchList(int32_t channel) {
    const bool filling = Loading;
    cboMidiPatch.Clear();
    if (channel == kDrumChannel) {
        lblMidiPatch.setCaption("Assign to Percussion:");
        for (const std::string& line : ReadDataLines(PercussionListFile()))
            cboMidiPatch.AddItem(line);
    } else {
        lblMidiPatch.setCaption("Assign to Patch:");
        for (const std::string& line : ReadDataLines(FilterListFile()))
            cboMidiPatch.AddItem(ListEntry(line));
    }
    const int count = cboMidiPatch.ListCount();
    int row = channel == kDrumChannel && count > 11 ? 11 : count > 0 ? 0 : -1;
    if (filling && RowWithLeadingNumber(cboMidiPatch, WorkPatch) >= 0)
        row = RowWithLeadingNumber(cboMidiPatch, WorkPatch);
    Loading = true;  // the list's click handler does no side work
    if (row >= 0) cboMidiPatch.setListIndex(row);
    Loading = filling;
    WorkPatch = row >= 0 ? LeadingNumber(cboMidiPatch.List(row)) : 0;
    LastChannel = channel;
}

int32_t frmProperties::ChannelInBox() const {
    double v = 0;
    if (!ReadBoxNumber(txtChannel.Text(), v)) return std::clamp(G().MidiChan, 1, 16);
    return std::clamp(ToLong(v), 1, 16);
}

void frmProperties::spnChannel_DownClick() {
    txtChannel.setText(std::to_string(ToLong(Val(txtChannel.Text())) - 1));
    txtChannel_LostFocus();
    ui::DoEvents();
}
void frmProperties::spnChannel_UpClick() {
    txtChannel.setText(std::to_string(ToLong(Val(txtChannel.Text())) + 1));
    txtChannel_LostFocus();
    ui::DoEvents();
}

// The ensemble or drum kit.

void frmProperties::AssignChannels() {
    Global& g = G();
    // While the dialog is being filled the box holds the project's own channel, which the
    // example ensemble loaded by the layout switch must not replace.
    if (!Loading && Val(txtChannel.Text()) != 10) {
        const int channel = NextChannel(0, g.ChannelUsed);
        if (!g.ChannelUsed[static_cast<size_t>(channel)]) {
            txtChannel.setText(std::to_string(channel));
        } else {
            txtChannel.setText("1");
            ShowMessage("No MIDI channels remaining for Rerar Odaduza.",
                        ui::Critical + ui::SystemModal, "Rerar Odaduza");
        }
    }
    std::vector<ChannelRow> rows;
    for (int i = 0; i < PartCount; ++i) rows.push_back({g.EnsActive[i] == 1, g.EnsChannel[i]});
    const ChannelAllocation allocation = AllocateChannels(rows, g.ChannelUsed);
    for (int i = 0; i < PartCount; ++i)
        g.EnsChannel[i] = allocation.channels[static_cast<size_t>(i)];
    if (allocation.shortage)
        ShowMessage(
            "Not enough MIDI channels available for Rerar Odaduza. Please select a smaller "
            "ensemble.",
            ui::Critical + ui::SystemModal, "Rerar Odaduza");
}

void frmProperties::ReadEnsembleRows(const std::string& file) {
    Global& g = G();
    EnsembleFile ensemble = ReadEnsembleFile(file);
    for (int i = 0; i < PartCount; ++i) SetWorkingPart(g, i, ensemble.rows[static_cast<size_t>(i)]);
}

void frmProperties::LoadEnsembleFile(const std::string& file) {
    Global& g = G();
    if (optBeatDetect(0).Value()) {
        g.EnsembleFolder = FolderOf(file);
        ReadEnsembleRows(file);
        EnsembleFile ensemble = ReadEnsembleFile(file);
        g.EnsDrumKit = ensemble.drumKit;
        g.EnsKitName = ensemble.kitName;
        AssignChannels();
    } else {
        g.DrumKitFolder = FolderOf(file);
        DrumKitFile kit = ReadDrumKitFile(file);
        g.EnsDrumKit = kit.drumList;
        g.EnsPoly[PercussionPart] = kit.poly;
    }
    txtPatchMap.setText(BaseNameOf(file));
    // Older ensembles kept the percussion row elsewhere: rows 9..14 move to channels 11..16.
    if (g.EnsChannel[PercussionPart] != PercussionChannel) {
        for (int i = 9; i <= 14; ++i) g.EnsChannel[i] = i + 2;
        g.EnsChannel[PercussionPart] = PercussionChannel;
        g.EnsPoly[PercussionPart] = 3;
    }
}

void frmProperties::cmdPatchMapBrowse_Click() {
    Global& g = G();
    const bool instruments = optBeatDetect(0).Value();
    const std::string name = txtPatchMap.Text();
    if (instruments) {
        cdlFile.setDialogTitle("Select Ensemble");
        cdlFile.setFilter("Ensembles (*.ens;*.vpm)|*.ens;*.vpm|All Files (*.*)|*.*");
        cdlFile.setDefaultExt("*.ens;*.vpm");
        cdlFile.setInitDir(g.EnsembleFolder);
        cdlFile.setFileName(name == "[unnamed]" ? "" : name + ".ens");
    } else {
        cdlFile.setDialogTitle("Select Drum Kit");
        cdlFile.setFilter("Drum Kits (*.vdk)|*.vdk|All Files (*.*)|*.*");
        cdlFile.setDefaultExt("*.vdk");
        cdlFile.setInitDir(g.DrumKitFolder);
        cdlFile.setFileName(name == "[unnamed]" ? "" : name + ".vdk");
    }
    if (cdlFile.ShowOpen() != ui::DialogResult::Ok) return;
    const std::string chosen = cdlFile.FileName();
    if (BaseNameOf(chosen) == "Full Orchestra") {
        int answer = ui::MessageBox(
            "The Full Orchestra ensemble contains many instruments.  For best results, the "
            "ensemble should include only those instruments that are in your original audio.  "
            "Are you sure you want to select Full Orchestra?",
            ui::YesNo + ui::Exclamation + ui::DefaultButton2, "Project Editor");
        if (answer != ui::Answer::Yes) return;
    }
    LoadEnsembleFile(chosen);
    edited();
    if (cmdDrumKitEdit.Visible())
        cmdDrumKitEdit_Click();
    else
        cmdPatchMapEdit_Click();
}

void frmProperties::cmdPatchMapEdit_Click() {
    const Global& g = G();
    if (!optBeatDetect(0).Value()) return;
    CallHook(Windows().showEnsembleEditor);
    if (!g.EnsembleApplied) return;
    int active = 0;
    int32_t patch = 0;
    for (int i = 0; i < PartCount; ++i)
        if (g.EnsActive[i] == 1) {
            ++active;
            patch = g.EnsPatch[i];
        }
    // One instrument: the patch list names it; an ensemble names its own patches.
    const bool single = active == 1;
    for (ui::Control* c :
         std::initializer_list<ui::Control*>{&cboMidiPatch, &lblMidiPatch, &cmdsndFilter})
        c->setEnabled(single);
    if (!single) return;
    const int row = RowWithLeadingNumber(cboMidiPatch, patch);
    if (row >= 0) cboMidiPatch.setListIndex(row);
}

void frmProperties::cmdDrumKitEdit_Click() {
    // The ensemble holds the percussion part with its drum kit.
    if (optBeatDetect(0).Value()) CallHook(Windows().showEnsembleEditor);
}

}  // namespace velt::desk
