#include "desk/instruments/frm_drum.h"

#include <algorithm>
#include <vector>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/shared/data_lists.h"
#include "desk/core/shared/drum_kit_file.h"
#include "desk/core/shared/drum_list.h"
#include "desk/core/shared/ensemble_file.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/test_tones.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/core/shared/tools.h"
#include "desk/instruments/frm_ens.h"
#include "desk/ui/dialogs/message_box.h"

namespace velt::desk {

namespace {

constexpr const char* kTitle = "Edit Drum Kit";
constexpr const char* kKitFilter = "Drum Kits (*.vdk)|*.vdk|All Files (*.*)|*.*";
constexpr int kColumns = 4;
constexpr int kNotes = kDrumNoteMax - kDrumNoteMin + 1;
constexpr int kRowsPerColumn = (kNotes + kColumns - 1) / kColumns;

// The file name a dialog starts with: the kit's name, none for a kit that has no name yet.
std::string startingFileName(const std::string& kitName) {
    return kitName == "[unnamed]" ? "" : kitName + ".vdk";
}

}  // namespace

frmDrum::frmDrum() : Form("frmDrum") {
    for (int i = 0; i < kNotes; ++i) chkDrum.add(i);
    chkDrum.on(&ui::CheckBox::Click, [this](int Index) { chkDrum_Click(Index); });
    chkAutoName.Click = [this] { chkAutoName_Click(); };
    txtPitchMode.Change = [this] { txtPitchMode_Change(); };
    txtPitchMode.GotFocus = [this] { txtPitchMode_GotFocus(); };
    txtPitchMode.KeyPress = [this](int& KeyAscii) { txtPitchMode_KeyPress(KeyAscii); };
    txtPitchMode.LostFocus = [this] { txtPitchMode_LostFocus(); };
    spnPitchMode.UpClick = [this] { spnPitchMode_UpClick(); };
    spnPitchMode.DownClick = [this] { spnPitchMode_DownClick(); };
    cmdApply.Click = [this] { cmdApply_Click(); };
    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    cmdHelp.Click = [this] { cmdHelp_Click(); };
    cmdLoad.Click = [this] { cmdLoad_Click(); };
    cmdSaveAs.Click = [this] { cmdSaveAs_Click(); };
}

void frmDrum::design() {
    setCaption(kTitle);
    Move(0, 0, 12360, 6600);
    setHelpContextID(help_topic::DrumKitEditorWindow);

    fraDrums.Move(120, 120, 12120, 5100);
    fraDrums.setCaption("Select which drums to include in the kit");
    for (int i = 0; i < kNotes; ++i) {
        ui::CheckBox& box = chkDrum(i);
        box.setContainer(fraDrums);
        // Room for the longest drum name ("35 - Acoustic Bass Drum"), also in bold.
        box.Move(120 + (i / kRowsPerColumn) * 2980, 300 + (i % kRowsPerColumn) * 300, 2940, 285);
    }

    lblDrumKit.Move(120, 5385, 1200, 255);
    lblDrumKit.setCaption("Drum Kit:");
    txtDrumKit.Move(1320, 5340, 2760, 315);
    txtDrumKit.setToolTipText("Click a button to open or save the drum kit.");
    cmdLoad.Move(4140, 5340, 420, 315);
    cmdLoad.setCaption("...");
    cmdLoad.setToolTipText("Open Drum Kit");
    cmdSaveAs.Move(4620, 5340, 600, 315);
    cmdSaveAs.setCaption("Save");
    cmdSaveAs.setToolTipText("Save Drum Kit");
    chkAutoName.Move(5340, 5370, 1500, 255);
    chkAutoName.setCaption("Auto &Name");
    lblPitchMode.Move(7080, 5385, 1080, 255);
    lblPitchMode.setCaption("Polyphony:");
    txtPitchMode.Move(8160, 5340, 600, 315);
    spnPitchMode.Move(8760, 5340, 255, 315);
    spnPitchMode.setBuddy(txtPitchMode);
    spnPitchMode.setMin(1);
    spnPitchMode.setMax(128);

    cmdOK.Move(6720, 6060, 1275, 375);
    cmdOK.setCaption("OK");
    cmdOK.setDefault(true);
    cmdCancel.Move(8100, 6060, 1275, 375);
    cmdCancel.setCaption("&Cancel");
    cmdCancel.setCancel(true);
    cmdApply.Move(9480, 6060, 1275, 375);
    cmdApply.setCaption("&Apply");
    cmdHelp.Move(10860, 6060, 1275, 375);
    cmdHelp.setCaption("&Help");
}

void frmDrum::Form_Load() {
    Global& g = G();
    KitLoading = true;
    chkAutoName.setValue(g.EnsAutoName != 0 ? 1 : 0);
    txtPitchMode.setText(std::to_string(std::clamp(g.EnsPoly[kPercussionRow], kPolyMin, kPolyMax)));
    // The kit name comes from the ensemble editor that opened this window; without one, from
    // the working ensemble (an unloaded editor is not loaded just to read it).
    txtDrumKit.setText(ui::isLoaded<frmEns>() ? ui::forms::get<frmEns>().txtDrumKit.Text()
                                              : g.EnsKitName);
    for (const std::string& line : ReadDataLines(g.InstallFolder + "percussion.txt")) {
        const int note = LeadingNumber(line);
        if (note >= kDrumNoteMin && note <= kDrumNoteMax)
            chkDrum(note - kDrumNoteMin).setCaption(line);
    }
    SetDrumChecks(g.EnsDrumKit);
    KitLoading = false;
    cmdApply.setEnabled(false);
    cmdSaveAs.setEnabled(false);
}

void frmDrum::edited() {
    cmdApply.setEnabled(true);
    cmdSaveAs.setEnabled(true);
}

void frmDrum::SetDrumChecks(const std::string& list) {
    for (int note : ParseDrumList(list)) {
        chkDrum(note - kDrumNoteMin).setValue(1);
        chkDrum(note - kDrumNoteMin).setFontBold(true);
    }
}

std::string frmDrum::GetDrumList() {
    std::vector<int> notes;
    for (int i = 0; i < kNotes; ++i)
        if (chkDrum(i).Value() == 1) notes.push_back(i + kDrumNoteMin);
    if (notes.empty()) {
        ShowMessage("Drum kit must contain at least one drum.", ui::Exclamation, kTitle,
                    help_topic::DrumKitEditorWindow);
        return "";
    }
    return FormatDrumList(notes);
}

void frmDrum::SetKitName() {
    int ticked = 0;
    int only = -1;
    for (int i = 0; i < kNotes; ++i) {
        if (chkDrum(i).Value() == 1) {
            ++ticked;
            only = i;
        }
    }
    if (ticked == 0) {
        txtDrumKit.setText("[empty]");
    } else if (ticked > 1) {
        txtDrumKit.setText("[unnamed]");
    } else {
        // The drum's name after "NN - "; a caption without " - " names the kit whole.
        std::string name = chkDrum(only).Caption();
        const size_t dash = name.size() > 1 ? name.find(" - ", 1) : std::string::npos;
        if (dash != std::string::npos) name = name.substr(dash + 3);
        if (!name.empty() && name.back() == '*') name.pop_back();
        txtDrumKit.setText(name);
    }
}

void frmDrum::chkDrum_Click(int Index) {
    edited();
    ui::CheckBox& box = chkDrum(Index);
    if (box.Value() == 1) {
        box.setFontBold(true);
        if (!KitLoading) {
            G().SuppressMidiErrors = true;
            PlayDrumSound(Index + kDrumNoteMin);
        }
    } else {
        box.setFontBold(false);
    }
    if (chkAutoName.Value() == 1 && !KitLoading) SetKitName();
}

void frmDrum::chkAutoName_Click() {
    cmdApply.setEnabled(true);
    if (chkAutoName.Value() == 1 && !KitLoading) SetKitName();
}

void frmDrum::txtPitchMode_Change() {
    edited();
}

void frmDrum::txtPitchMode_GotFocus() {
    txtPitchMode.setSelStart(0);
    txtPitchMode.setSelLength(static_cast<int>(txtPitchMode.Text().size()));
}

void frmDrum::txtPitchMode_KeyPress(int& KeyAscii) {
    if (!(KeyAscii >= '0' && KeyAscii <= '9') && KeyAscii != 8) KeyAscii = 0;
}

void frmDrum::txtPitchMode_LostFocus() {
    txtPitchMode.setText(std::to_string(committedPoly()));
}

int frmDrum::committedPoly() {
    const double value = Val(txtPitchMode.Text());
    if (!(value >= kPolyMin)) return kPolyMin;  // empty, negative or not a number
    if (value > kPolyMax) return kPolyMax;
    return static_cast<int>(value);
}

void frmDrum::spnPitchMode_UpClick() {
    txtPitchMode.setText(std::to_string(committedPoly() + 1));
    txtPitchMode_LostFocus();
    ui::DoEvents();
}

void frmDrum::spnPitchMode_DownClick() {
    txtPitchMode.setText(std::to_string(committedPoly() - 1));
    txtPitchMode_LostFocus();
    ui::DoEvents();
}

void frmDrum::cmdApply_Click() {
    const std::string list = GetDrumList();
    if (list.empty()) return;
    txtPitchMode_LostFocus();  // the box's clamp runs before the value is committed
    Global& g = G();
    g.EnsDrumKit = list;
    g.EnsKitName = txtDrumKit.Text();
    g.EnsAutoName = chkAutoName.Value() == 1 ? 1 : 0;
    g.EnsPoly[kPercussionRow] = committedPoly();
    if (ui::isLoaded<frmEns>()) {
        frmEns& ens = ui::forms::get<frmEns>();
        ens.txtDrumKit.setText(txtDrumKit.Text());
        ens.txtPoly(kPercussionRow).setText(txtPitchMode.Text());
        ens.cmdApply.setEnabled(true);
    }
    cmdApply.setEnabled(false);
}

void frmDrum::cmdOK_Click() {
    if (GetDrumList().empty()) return;
    cmdApply_Click();
    cmdCancel_Click();
}

void frmDrum::cmdCancel_Click() {
    unload();
}

void frmDrum::cmdHelp_Click() {
    ShowHelpTopic(help_topic::DrumKitEditorWindow);
}

void frmDrum::cmdLoad_Click() {
    if (cmdSaveAs.Enabled()) {
        const int answer =
            ShowMessage("The current drumkit has been changed.  Do you want to save these changes?",
                        ui::YesNoCancel + ui::Question, kTitle);
        if (answer == ui::Cancel) return;
        // A save that did not happen ends the load: loading would discard the edits.
        if (answer == ui::Yes && !saveAs()) return;
    }
    Global& g = G();
    cdlFile.setDialogTitle("Open Drum Kit");
    cdlFile.setDefaultExt("*.vdk");
    cdlFile.setFilter(kKitFilter);
    cdlFile.setFileName(startingFileName(txtDrumKit.Text()));
    cdlFile.setFlags(4100);
    cdlFile.setInitDir(g.DrumKitFolder);
    if (cdlFile.ShowOpen() != ui::DialogResult::Ok) return;
    const std::string path = cdlFile.FileName();
    txtDrumKit.setText(BaseNameOf(path));
    g.DrumKitFolder = FolderOf(path);
    KitLoading = true;
    const DrumKitFile kit = ReadDrumKitFile(path);
    txtPitchMode.setText(std::to_string(kit.poly));
    for (int i = 0; i < kNotes; ++i) {
        chkDrum(i).setValue(0);
        chkDrum(i).setFontBold(false);
    }
    SetDrumChecks(kit.drumList);
    KitLoading = false;
    cmdApply.setEnabled(false);
    cmdSaveAs.setEnabled(false);
}

void frmDrum::cmdSaveAs_Click() {
    saveAs();
}

bool frmDrum::saveAs() {
    const std::string list = GetDrumList();
    if (list.empty()) return false;
    Global& g = G();
    cdlFile.setDialogTitle("Save Drum Kit As");
    cdlFile.setFileName(startingFileName(txtDrumKit.Text()));
    cdlFile.setFlags(2054);
    cdlFile.setInitDir(g.DrumKitFolder);
    cdlFile.setDefaultExt(".vdk");
    cdlFile.setFilter(kKitFilter);
    if (cdlFile.ShowSave() != ui::DialogResult::Ok) return false;
    const std::string path = cdlFile.FileName();
    txtDrumKit.setText(BaseNameOf(path));
    g.DrumKitFolder = FolderOf(path);
    txtPitchMode_LostFocus();  // never write an empty or out-of-range polyphony
    if (!WriteDrumKitFile(path, list, committedPoly())) {
        ShowMessage("Unable to save the drum kit file.", ui::Exclamation, kTitle);
        return false;
    }
    cmdSaveAs.setEnabled(false);
    return true;
}

}  // namespace velt::desk
