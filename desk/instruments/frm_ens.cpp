#include "desk/instruments/frm_ens.h"

#include <algorithm>
#include <vector>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/shared/channel_allocation.h"
#include "desk/core/shared/data_lists.h"
#include "desk/core/shared/drum_kit_file.h"
#include "desk/core/shared/drum_list.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/note_names.h"
#include "desk/core/shared/test_tones.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/core/shared/tools.h"
#include "desk/core/shared/working_parts.h"
#include "desk/core/window_links/settings_dialog.h"
#include "desk/instruments/frm_drum.h"
#include "desk/instruments/pitch_coverage.h"
#include "desk/ui/dialogs/message_box.h"

namespace velt::desk {

namespace {

constexpr const char* kTitle = "Edit Ensemble";
constexpr const char* kShortageTitle = "Rerar Odaduza";
constexpr int kMelodicRows = 15;
constexpr double kRowHeight = 480;
constexpr double kFirstRowTop = 600;

// The file name a dialog starts with: the ensemble's name, none while it has no name.
std::string startingFileName(const std::string& name, const std::string& extension) {
    return name == "[unnamed]" ? "" : name + extension;
}

SettingsDialogParts settings() {
    return Windows().settingsDialog.get();
}

// A note's name spelled for the key the settings dialog shows: the editor works beside the
// dialog's own unapplied edits.
std::string noteName(int32_t note) {
    return ValToKey(note, settings().ListedKeySignature());
}

// A channel or polyphony box's number; an empty box or one that reads no number counts as 0.
int boxNumber(const ui::TextBox& box) {
    return LeadingNumber(box.Text());
}

}  // namespace

frmEns::frmEns() : Form("frmEns") {
    for (int row = 0; row < kEnsembleRows; ++row) {
        if (row < kMelodicRows) fraGrid.add(row);
        for (auto* array : {&chkActive, &chkMute}) array->add(row);
        cboPatch.add(row);
        txtChannel.add(row);
        spnChannel.add(row);
        txtPoly.add(row);
        spnPoly.add(row);
        optTrackL.add(row);
        optTrackR.add(row);
    }
    for (int index = 0; index <= kMasterRange; ++index) {
        txtKeyMin.add(index);
        spnKeyMin.add(index);
        txtKeyMax.add(index);
        spnKeyMax.add(index);
        sldNoteRange.add(index);
    }
    wireRowEvents();
    scrGrid.Change = [this] { scrGrid_Change(); };
    chkAutoName.Click = [this] { chkAutoName_Click(); };
    chkSplitStereo.Click = [this] { chkSplitStereo_Click(); };
    txtDrumKit.Change = [this] { edited(); };
    txtDrumKit.GotFocus = [this] {
        txtDrumKit.setSelStart(0);
        txtDrumKit.setSelLength(static_cast<int>(txtDrumKit.Text().size()));
    };
    cmdDrumKitBrowse.Click = [this] { cmdDrumKitBrowse_Click(); };
    cmdDrumKitEdit.Click = [this] { cmdDrumKitEdit_Click(); };
    cmdFullRange.Click = [this] { cmdFullRange_Click(); };
    cmdLoad.Click = [this] { cmdLoad_Click(); };
    cmdSaveAs.Click = [this] { cmdSaveAs_Click(); };
    cmdApply.Click = [this] { cmdApply_Click(); };
    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    cmdHelp.Click = [this] { cmdHelp_Click(); };
}

void frmEns::wireRowEvents() {
    auto selectAll = [](ui::TextBox& box) {
        box.setSelStart(0);
        box.setSelLength(static_cast<int>(box.Text().size()));
    };
    auto digitsOnly = [](int& KeyAscii) {
        if (!(KeyAscii >= '0' && KeyAscii <= '9') && KeyAscii != 8) KeyAscii = 0;
    };
    chkActive.on(&ui::CheckBox::Click, [this](int i) { chkActive_Click(i); });
    chkMute.on(&ui::CheckBox::Click, [this](int i) { chkMute_Click(i); });
    cboPatch.on(&ui::ComboBox::Click, [this](int i) { cboPatch_Click(i); });
    txtChannel.on(&ui::TextBox::Change, [this](int i) { txtChannel_Change(i); });
    txtChannel.on(&ui::TextBox::LostFocus, [this](int i) { txtChannel_LostFocus(i); });
    txtChannel.on(&ui::TextBox::GotFocus, [this, selectAll](int i) { selectAll(txtChannel(i)); });
    txtChannel.on(&ui::TextBox::KeyPress,
                  [digitsOnly](int, int& KeyAscii) { digitsOnly(KeyAscii); });
    txtPoly.on(&ui::TextBox::Change, [this](int) { edited(); });
    txtPoly.on(&ui::TextBox::LostFocus, [this](int i) { txtPoly_LostFocus(i); });
    txtPoly.on(&ui::TextBox::GotFocus, [this, selectAll](int i) { selectAll(txtPoly(i)); });
    txtPoly.on(&ui::TextBox::KeyPress, [digitsOnly](int, int& KeyAscii) { digitsOnly(KeyAscii); });
    txtKeyMin.on(&ui::TextBox::Change, [this](int) { edited(); });
    txtKeyMin.on(&ui::TextBox::LostFocus, [this](int i) { txtKeyMin_LostFocus(i); });
    txtKeyMin.on(&ui::TextBox::GotFocus, [this, selectAll](int i) { selectAll(txtKeyMin(i)); });
    txtKeyMax.on(&ui::TextBox::Change, [this](int) { edited(); });
    txtKeyMax.on(&ui::TextBox::LostFocus, [this](int i) { txtKeyMax_LostFocus(i); });
    txtKeyMax.on(&ui::TextBox::GotFocus, [this, selectAll](int i) { selectAll(txtKeyMax(i)); });
    spnChannel.on(&ui::UpDown::UpClick, [this](int i) { spnChannel_UpClick(i); });
    spnChannel.on(&ui::UpDown::DownClick, [this](int i) { spnChannel_DownClick(i); });
    spnPoly.on(&ui::UpDown::UpClick, [this](int i) { spnPoly_UpClick(i); });
    spnPoly.on(&ui::UpDown::DownClick, [this](int i) { spnPoly_DownClick(i); });
    spnKeyMin.on(&ui::UpDown::UpClick, [this](int i) { spnKeyMin_UpClick(i); });
    spnKeyMin.on(&ui::UpDown::DownClick, [this](int i) { spnKeyMin_DownClick(i); });
    spnKeyMax.on(&ui::UpDown::UpClick, [this](int i) { spnKeyMax_UpClick(i); });
    spnKeyMax.on(&ui::UpDown::DownClick, [this](int i) { spnKeyMax_DownClick(i); });
    sldNoteRange.on(&ui::Slider::MouseDown, [this](int i, int button, int, double, double) {
        sldNoteRange_MouseDown(i, button);
    });
    sldNoteRange.on(&ui::Slider::MouseUp, [this](int i, int button, int, double, double) {
        sldNoteRange_MouseUp(i, button);
    });
    sldNoteRange.on(&ui::Slider::Change, [this](int) { edited(); });
    optTrackL.on(&ui::OptionButton::Click, [this](int) { edited(); });
    optTrackR.on(&ui::OptionButton::Click, [this](int) { edited(); });
}

// ---- layout

void frmEns::designRow(int row, ui::Control& container, double top) {
    chkActive(row).setContainer(container);
    chkActive(row).Move(60, top + 60, 255, 255);
    chkActive(row).setToolTipText("Include this instrument");
    cboPatch(row).setContainer(container);
    cboPatch(row).Move(360, top, 2700, 315);
    cboPatch(row).setStyle(ui::ComboBox::DropDownList);
    txtChannel(row).setContainer(container);
    txtChannel(row).Move(3120, top, 420, 315);
    spnChannel(row).setContainer(container);
    spnChannel(row).Move(3540, top, 240, 315);
    spnChannel(row).setBuddy(txtChannel(row));
    chkMute(row).setContainer(container);
    chkMute(row).Move(3840, top + 60, 255, 255);
    chkMute(row).setToolTipText("Mute");
    txtPoly(row).setContainer(container);
    txtPoly(row).Move(4200, top, 420, 315);
    spnPoly(row).setContainer(container);
    spnPoly(row).Move(4620, top, 240, 315);
    spnPoly(row).setBuddy(txtPoly(row));
    txtKeyMin(row).setContainer(container);
    txtKeyMin(row).Move(4980, top, 540, 315);
    spnKeyMin(row).setContainer(container);
    spnKeyMin(row).Move(5520, top, 240, 315);
    spnKeyMin(row).setBuddy(txtKeyMin(row));
    sldNoteRange(row).setContainer(container);
    sldNoteRange(row).Move(5820, top, 2400, 315);
    txtKeyMax(row).setContainer(container);
    txtKeyMax(row).Move(8280, top, 540, 315);
    spnKeyMax(row).setContainer(container);
    spnKeyMax(row).Move(8820, top, 240, 315);
    spnKeyMax(row).setBuddy(txtKeyMax(row));
    optTrackL(row).setContainer(container);
    optTrackL(row).Move(9180, top + 30, 420, 255);
    optTrackL(row).setCaption("L");
    optTrackR(row).setContainer(container);
    optTrackR(row).Move(9600, top + 30, 420, 255);
    optTrackR(row).setCaption("R");
}

void frmEns::design() {
    setCaption(kTitle);
    Move(0, 0, 10800, 7500);
    setHelpContextID(help_topic::EnsembleEditorWindow);

    lblHeader.Move(120, 330, 10200, 255);
    lblHeader.setCaption(
        "    Instrument                                Channel     Polyphony    Low          "
        "Note range                          High          Track");
    for (int row = 0; row < kMelodicRows; ++row) {
        fraGrid(row).Move(120, kFirstRowTop + kRowHeight * row, 10140, kRowHeight);
        designRow(row, fraGrid(row), 60);
    }
    scrGrid.Move(10320, kFirstRowTop, 255, kRowHeight * kVisibleRows);
    scrGrid.setMin(0);
    scrGrid.setMax(kMelodicRows - kVisibleRows);
    scrGrid.setSmallChange(1);
    scrGrid.setLargeChange(kVisibleRows);

    fraDrumRow.Move(120, kFirstRowTop + kRowHeight * kVisibleRows + 60, 10140, kRowHeight);
    designRow(kPercussionRow, fraDrumRow, 60);

    const double lower = kFirstRowTop + kRowHeight * (kVisibleRows + 1) + 180;
    lblDrumKit.Move(120, lower + 45, 1680, 255);
    lblDrumKit.setCaption("Drum Kit Name:");
    txtDrumKit.Move(1800, lower, 2760, 315);
    cmdDrumKitBrowse.Move(4620, lower, 420, 315);
    cmdDrumKitBrowse.setCaption("...");
    cmdDrumKitBrowse.setToolTipText("Select Drum Kit");
    cmdDrumKitEdit.Move(5100, lower, 600, 315);
    cmdDrumKitEdit.setCaption("Edit");
    cmdDrumKitEdit.setToolTipText("Edit Drum Kit");

    fraMaster.Move(5760, lower - 120, 4500, 900);
    fraMaster.setCaption("Master Pitch Range");
    txtKeyMin(kMasterRange).setContainer(fraMaster);
    txtKeyMin(kMasterRange).Move(120, 300, 540, 315);
    spnKeyMin(kMasterRange).setContainer(fraMaster);
    spnKeyMin(kMasterRange).Move(660, 300, 240, 315);
    spnKeyMin(kMasterRange).setBuddy(txtKeyMin(kMasterRange));
    sldNoteRange(kMasterRange).setContainer(fraMaster);
    sldNoteRange(kMasterRange).Move(960, 300, 1500, 315);
    txtKeyMax(kMasterRange).setContainer(fraMaster);
    txtKeyMax(kMasterRange).Move(2520, 300, 540, 315);
    spnKeyMax(kMasterRange).setContainer(fraMaster);
    spnKeyMax(kMasterRange).Move(3060, 300, 240, 315);
    spnKeyMax(kMasterRange).setBuddy(txtKeyMax(kMasterRange));
    cmdFullRange.setContainer(fraMaster);
    cmdFullRange.Move(3360, 300, 1020, 315);
    cmdFullRange.setCaption("&Full Range");
    for (int index = 0; index <= kMasterRange; ++index) {
        sldNoteRange(index).setMin(0);
        sldNoteRange(index).setMax(127);
        sldNoteRange(index).setSmallChange(1);
        sldNoteRange(index).setLargeChange(12);
    }

    lblPitch.Move(120, lower + 525, 1000, 255);
    lblPitch.setCaption("Coverage:");
    picPitchRange.Move(1140, lower + 480, 4440, 300);

    const double names = lower + 960;
    lblPatchMap.Move(120, names + 45, 1680, 255);
    lblPatchMap.setCaption("Ensemble Name:");
    txtPatchMap.Move(1800, names, 2760, 315);
    cmdLoad.Move(4620, names, 420, 315);
    cmdLoad.setCaption("...");
    cmdLoad.setToolTipText("Open Ensemble");
    cmdSaveAs.Move(5100, names, 600, 315);
    cmdSaveAs.setCaption("Save");
    cmdSaveAs.setToolTipText("Save Ensemble");
    chkAutoName.Move(5760, names + 30, 1500, 255);
    chkAutoName.setCaption("Auto &Name");
    chkSplitStereo.Move(7380, names + 30, 1500, 255);
    chkSplitStereo.setCaption("Sp&lit Stereo");
    lblTrack.Move(9000, names + 45, 1200, 255);
    lblTrack.setCaption("Track: L / R");

    const double buttons = Height() - 540;
    cmdOK.Move(4860, buttons, 1275, 375);
    cmdOK.setCaption("OK");
    cmdOK.setDefault(true);
    cmdCancel.Move(6240, buttons, 1275, 375);
    cmdCancel.setCaption("&Cancel");
    cmdCancel.setCancel(true);
    cmdApply.Move(7620, buttons, 1275, 375);
    cmdApply.setCaption("&Apply");
    cmdHelp.Move(9000, buttons, 1275, 375);
    cmdHelp.setCaption("&Help");
}

// ---- opening and closing

void frmEns::rememberKit() {
    const Global& g = G();
    committedKit_ = {g.EnsDrumKit, g.EnsKitName, g.EnsAutoName, g.EnsPoly[kPercussionRow]};
}

void frmEns::Form_Load() {
    Global& g = G();
    const SettingsDialogParts dialog = settings();
    g.EnsembleApplied = false;
    rememberKit();
    NoteWidth = picPitchRange.ScaleWidth() / 127;
    ScrollGrid();
    EnsLoading = true;

    txtPatchMap.setText(dialog.txtPatchMap.Text());
    chkAutoName.setValue(g.EnsAutoName != 0 ? 1 : 0);
    if (dialog.optStereo(1).Value()) chkSplitStereo.setValue(1);
    chkSplitStereo.setEnabled(dialog.optStereo(1).Enabled());
    lblTrack.setEnabled(chkSplitStereo.Enabled() && chkSplitStereo.Value() == 1);

    // The working rows, each value held to what its box can show.
    EnsembleFile rows;
    for (int i = 0; i < kEnsembleRows; ++i) {
        rows.rows[i] = {
            g.EnsActive[i] != 0 ? 1 : 0,       std::clamp(g.EnsChannel[i], 0, 16),
            g.EnsTrack[i] != 0 ? 1 : 0,        std::clamp(g.EnsPoly[i], kPolyMin, kPolyMax),
            std::clamp(g.EnsPatch[i], 0, 127), std::clamp(g.EnsKeyMin[i], 0, 127),
            std::clamp(g.EnsKeyMax[i], 0, 127)};
    }
    g.EnsPatch[kPercussionRow] = 0;
    loadRows(rows);

    // The master range from the settings dialog's note boxes.
    const int low = std::clamp(KeyToVal(dialog.txtKeyMin.Text()), 0, 127);
    const int high = std::clamp(KeyToVal(dialog.txtKeyMax.Text()), 0, 127);
    g.PartKeyMax[kMasterRange] = high;
    g.PartKeyMin[kMasterRange] = low;
    SetRange(kMasterRange, std::min(low, high), std::max(low, high));

    txtDrumKit.setText(g.EnsKitName);
    const bool drums = chkActive(kPercussionRow).Value() == 1;
    for (ui::Control* c : std::initializer_list<ui::Control*>{&lblDrumKit, &txtDrumKit,
                                                              &cmdDrumKitBrowse, &cmdDrumKitEdit})
        c->setEnabled(drums);
    StereoChanged = false;
    EnsLoading = false;
    ColorPitchRange();
    cmdApply.setEnabled(false);
    cmdSaveAs.setEnabled(false);
}

void frmEns::Form_Unload(int& Cancel) {
    (void)Cancel;
    // Closing without Apply keeps the working kit as it was committed.
    Global& g = G();
    g.EnsDrumKit = committedKit_.drumKit;
    g.EnsKitName = committedKit_.kitName;
    g.EnsAutoName = committedKit_.autoName;
    g.EnsPoly[kPercussionRow] = committedKit_.percussionPoly;
}

void frmEns::FillPatchList(int row) {
    ui::ComboBox& list = cboPatch(row);
    list.Clear();
    if (row == kPercussionRow) {
        list.AddItem("PERCUSSION");
        return;
    }
    for (const std::string& line : ReadDataLines(G().InstallFolder + "filter.txt"))
        list.AddItem(ListEntry(line));
}

void frmEns::SelectPatch(int row, int patch) {
    ui::ComboBox& list = cboPatch(row);
    if (list.ListCount() == 0) {
        RowPatch[row] = 0;  // no instrument list: the program is 0
        return;
    }
    list.setListIndex(std::max(RowWithLeadingNumber(list, patch), 0));
}

// Fills every row from an ensemble (opening and Load); the caller sets EnsLoading.
void frmEns::loadRows(const EnsembleFile& ensemble) {
    for (int i = 0; i < kEnsembleRows; ++i) {
        const EnsembleRow& row = ensemble.rows[i];
        FillPatchList(i);
        SelectPatch(i, i == kPercussionRow ? 0 : row.patch);
        chkActive(i).setValue(row.active);
        txtChannel(i).setText(std::to_string(row.channel));
        txtPoly(i).setText(std::to_string(row.poly));
        (row.track != 0 ? optTrackR(i) : optTrackL(i)).setValue(true);
        SetRange(i, std::min(row.keyMin, row.keyMax), std::max(row.keyMin, row.keyMax));
        enableRowControls(i, true);
        EnableEnsembleRow(i);
    }
}

// ---- rows

void frmEns::edited() {
    cmdApply.setEnabled(true);
    cmdSaveAs.setEnabled(true);
}

void frmEns::enableRowControls(int row, bool enabled) {
    for (ui::Control* c : std::initializer_list<ui::Control*>{
             &txtChannel(row), &spnChannel(row), &chkMute(row), &cboPatch(row), &txtPoly(row),
             &spnPoly(row), &txtKeyMin(row), &spnKeyMin(row), &txtKeyMax(row), &spnKeyMax(row),
             &sldNoteRange(row)})
        c->setEnabled(enabled);
    const bool tracks = enabled && chkSplitStereo.Enabled() && chkSplitStereo.Value() == 1;
    optTrackL(row).setEnabled(tracks);
    optTrackR(row).setEnabled(tracks);
    if (row == kPercussionRow) {
        for (ui::Control* c : std::initializer_list<ui::Control*>{
                 &lblDrumKit, &txtDrumKit, &cmdDrumKitBrowse, &cmdDrumKitEdit})
            c->setEnabled(enabled);
    }
}

void frmEns::EnableEnsembleRow(int row) {
    if (chkActive(row).Value() != 1) {
        enableRowControls(row, false);
    } else if (!chkSplitStereo.Enabled() || chkSplitStereo.Value() != 1) {
        optTrackL(row).setEnabled(false);
        optTrackR(row).setEnabled(false);
    }
}

void frmEns::chkActive_Click(int Index) {
    if (EnsLoading) return;
    AllocateChannels();
    if (Index == kPercussionRow) {
        chkMute(kPercussionRow).setValue(chkActive(kPercussionRow).Value() == 1 ? 0 : 1);
    } else {
        CheckName(Index);
    }
    ColorPitchRange();
    edited();
    enableRowControls(Index, chkActive(Index).Value() == 1);
}

void frmEns::CheckName(int row) {
    int active = 0;
    int onlyActive = -1;
    std::string name;
    bool mixed = false;
    auto entryOf = [this](int i) {
        return i == kPercussionRow ? std::string("PERCUSSION") : cboPatch(i).Text();
    };
    for (int i = 0; i < kEnsembleRows; ++i) {
        if (chkActive(i).Value() != 1) continue;
        ++active;
        onlyActive = i;
        if (active == 1) {
            name = i == kPercussionRow ? txtDrumKit.Text() : cboPatch(i).Text();
        } else if (entryOf(i) != name) {
            mixed = true;
        }
    }
    if (active == 0) {
        // The last active row can't be switched off.
        chkActive(row).setValue(1);
        active = 1;
        onlyActive = row;
        name = row == kPercussionRow ? txtDrumKit.Text() : cboPatch(row).Text();
    }
    if (chkAutoName.Value() == 1) {
        if (mixed) {
            txtPatchMap.setText("[unnamed]");
        } else if (name != txtDrumKit.Text()) {
            // The instrument's name after "NN - "; a name without " - " is used whole.
            const size_t dash = name.size() > 1 ? name.find(" - ", 1) : std::string::npos;
            txtPatchMap.setText(dash == std::string::npos ? name : name.substr(dash + 3));
        } else {
            txtPatchMap.setText("Percussion - " + txtDrumKit.Text());
        }
    }
    cmdFullRange.setEnabled(!(active == 1 && onlyActive == kPercussionRow));
}

void frmEns::chkMute_Click(int Index) {
    const bool muted = chkMute(Index).Value() == 1;
    if (Index == kPercussionRow) {
        chkActive(kPercussionRow).setValue(muted ? 0 : 1);
    } else {
        txtChannel(Index).setText(muted ? "0" : "1");
    }
}

void frmEns::cboPatch_Click(int Index) {
    edited();
    RowPatch[Index] = LeadingNumber(cboPatch(Index).Text());
    if (EnsLoading) return;
    G().SuppressMidiErrors = true;
    // Middle C on the settings dialog's patch and channel, as the dialog's patch preview.
    PlayTestNote(settings().TestToneVoice(), kMiddleC);
    const auto line = FindInstrumentLine(G().InstallFolder + "filter.txt", RowPatch[Index]);
    if (!line) return;  // no line: the range and polyphony stay as they are
    CheckName(Index);
    const int low = line->low > 0 ? line->low : 28;
    const int high = line->high > 0 ? line->high : 85;
    const int poly = line->poly > 0 ? std::min(line->poly, kPolyMax) : 30;
    const bool differs = txtKeyMin(Index).Text() != noteName(std::clamp(low, 0, 127)) ||
                         txtKeyMax(Index).Text() != noteName(std::clamp(high, 0, 127)) ||
                         boxNumber(txtPoly(Index)) != poly;
    if (!differs) return;
    const int answer = ShowMessage(
        "Automatically adjust pitch range and polyphony to match the selected instrument?",
        ui::YesNo + ui::Question, kTitle);
    if (answer == ui::No) return;
    Adjusting = true;
    SetRange(Index, std::clamp(std::min(low, high), 0, 127),
             std::clamp(std::max(low, high), 0, 127));
    txtPoly(Index).setText(std::to_string(poly));
    txtPoly_LostFocus(Index);
    Adjusting = false;
}

void frmEns::txtChannel_Change(int Index) {
    edited();
    if (!EnsLoading) AllocateChannels();
    const std::string& text = txtChannel(Index).Text();
    chkMute(Index).setValue(text.empty() || boxNumber(txtChannel(Index)) == 0 ? 1 : 0);
}

void frmEns::txtChannel_LostFocus(int Index) {
    ui::TextBox& box = txtChannel(Index);
    if (box.Text().empty()) return;  // an empty box stays empty and counts as muted
    box.setText(std::to_string(std::clamp(boxNumber(box), 0, 16)));
}

void frmEns::txtPoly_LostFocus(int Index) {
    txtPoly(Index).setText(std::to_string(boxPoly(Index)));
}

int frmEns::boxChannel(int row) {
    return std::clamp(boxNumber(txtChannel(row)), 0, 16);
}

int frmEns::boxPoly(int row) {
    return std::clamp(boxNumber(txtPoly(row)), kPolyMin, kPolyMax);
}

// ---- note ranges

void frmEns::SetRange(int index, int low, int high) {
    Global& g = G();
    g.RowKeyMin[index] = low;
    g.RowKeyMax[index] = high;
    txtKeyMax(index).setText(noteName(high));
    txtKeyMax_LostFocus(index);
    txtKeyMin(index).setText(noteName(low));
    txtKeyMin_LostFocus(index);
}

void frmEns::txtKeyMin_LostFocus(int Index) {
    Global& g = G();
    const SettingsDialogParts dialog = settings();
    const int n = KeyToVal(txtKeyMin(Index).Text());
    if (n == -1) {
        ShowMessage("Invalid Low Note.", ui::Exclamation, kTitle, help_topic::InvalidLowNote);
        txtKeyMin(Index).SetFocus();
        return;
    }
    const int high = g.RowKeyMax[Index];
    g.RowKeyMin[Index] = n > high ? high : std::max(n, 0);
    const int low = g.RowKeyMin[Index];
    txtKeyMin(Index).setText(noteName(low));
    sldNoteRange(Index).setSelStart(low);
    sldNoteRange(Index).setSelLength(g.RowKeyMax[Index] - low);
    ColorPitchRange();
    if (!EnsLoading && !Adjusting && !FullRanging) {
        g.SuppressMidiErrors = true;
        PlayTestNote(dialog.TestToneVoice(), g.RowKeyMin[Index]);
    }
}

void frmEns::txtKeyMax_LostFocus(int Index) {
    Global& g = G();
    const SettingsDialogParts dialog = settings();
    const int n = KeyToVal(txtKeyMax(Index).Text());
    if (n == -1) {
        ShowMessage("Invalid High Note.", ui::Exclamation, kTitle, help_topic::InvalidHighNote);
        txtKeyMax(Index).SetFocus();
        return;
    }
    const int low = g.RowKeyMin[Index];
    g.RowKeyMax[Index] = n >= 128 ? 127 : n < low ? low : n;
    const int high = g.RowKeyMax[Index];
    txtKeyMax(Index).setText(noteName(high));
    sldNoteRange(Index).setSelLength(high - sldNoteRange(Index).SelStart());
    ColorPitchRange();
    if (!EnsLoading && !Adjusting && !FullRanging) {
        g.SuppressMidiErrors = true;
        PlayTestNote(dialog.TestToneVoice(), g.RowKeyMax[Index]);
    }
}

void frmEns::sldNoteRange_MouseDown(int Index, int Button) {
    const Global& g = G();
    sldNoteRange(Index).setValue(Button == 1 ? g.RowKeyMax[Index] : g.RowKeyMin[Index]);
}

void frmEns::sldNoteRange_MouseUp(int Index, int Button) {
    const std::string name = noteName(sldNoteRange(Index).Value());
    if (Button == 1) {
        txtKeyMax(Index).setText(name);
        txtKeyMax_LostFocus(Index);
    } else {
        txtKeyMin(Index).setText(name);
        txtKeyMin_LostFocus(Index);
    }
    sldNoteRange(Index).setSelStart(G().RowKeyMin[Index]);
    sldNoteRange(Index).setSelLength(G().RowKeyMax[Index] - G().RowKeyMin[Index]);
}

void frmEns::spnChannel_UpClick(int Index) {
    txtChannel(Index).setText(std::to_string(boxNumber(txtChannel(Index)) + 1));
    txtChannel_LostFocus(Index);
    ui::DoEvents();
}

void frmEns::spnChannel_DownClick(int Index) {
    txtChannel(Index).setText(std::to_string(boxNumber(txtChannel(Index)) - 1));
    txtChannel_LostFocus(Index);
    ui::DoEvents();
}

void frmEns::spnPoly_UpClick(int Index) {
    txtPoly(Index).setText(std::to_string(boxNumber(txtPoly(Index)) + 1));
    txtPoly_LostFocus(Index);
    ui::DoEvents();
}

void frmEns::spnPoly_DownClick(int Index) {
    txtPoly(Index).setText(std::to_string(boxNumber(txtPoly(Index)) - 1));
    txtPoly_LostFocus(Index);
    ui::DoEvents();
}

void frmEns::spnKeyMin_UpClick(int Index) {
    const Global& g = G();
    if (g.RowKeyMin[Index] < g.RowKeyMax[Index]) {
        txtKeyMin(Index).setText(noteName(g.RowKeyMin[Index] + 1));
        txtKeyMin_LostFocus(Index);
    }
    ui::DoEvents();
}

void frmEns::spnKeyMin_DownClick(int Index) {
    const Global& g = G();
    if (g.RowKeyMin[Index] > 0) {
        txtKeyMin(Index).setText(noteName(g.RowKeyMin[Index] - 1));
        txtKeyMin_LostFocus(Index);
    }
    ui::DoEvents();
}

void frmEns::spnKeyMax_UpClick(int Index) {
    const Global& g = G();
    if (g.RowKeyMax[Index] < 127) {
        txtKeyMax(Index).setText(noteName(g.RowKeyMax[Index] + 1));
        txtKeyMax_LostFocus(Index);
    }
    ui::DoEvents();
}

void frmEns::spnKeyMax_DownClick(int Index) {
    const Global& g = G();
    if (g.RowKeyMax[Index] > g.RowKeyMin[Index]) {
        txtKeyMax(Index).setText(noteName(g.RowKeyMax[Index] - 1));
        txtKeyMax_LostFocus(Index);
    }
    ui::DoEvents();
}

void frmEns::cmdFullRange_Click() {
    const Global& g = G();
    int low = 127;
    int high = 0;
    bool any = false;
    for (int i = 0; i < kMelodicRows; ++i) {
        if (chkActive(i).Value() != 1) continue;
        any = true;
        low = std::min(low, g.RowKeyMin[i]);
        high = std::max(high, g.RowKeyMax[i]);
    }
    if (!any) return;
    FullRanging = true;
    SetRange(kMasterRange, low, high);
    FullRanging = false;
}

// ---- coverage, scrolling, channels

void frmEns::ColorPitchRange() {
    const Global& g = G();
    std::vector<CoverageRow> rows;
    for (int i = 0; i < kMelodicRows; ++i)
        rows.push_back({chkActive(i).Value() == 1, g.RowKeyMin[i], g.RowKeyMax[i]});
    const auto colours = PitchCoverage(rows, g.RowKeyMin[kMasterRange], g.RowKeyMax[kMasterRange]);
    const double height = picPitchRange.ScaleHeight();
    for (int n = 0; n < 128; ++n) {
        picPitchRange.Line((n - 0.5) * NoteWidth, 0, (n + 0.5) * NoteWidth, height, colours[n],
                           ui::PictureBox::FilledBox);
    }
}

void frmEns::ScrollGrid() {
    for (int i = 0; i < kMelodicRows; ++i) {
        const int r = i - scrGrid.Value();
        const bool shown = r >= 0 && r < kVisibleRows;
        fraGrid(i).setVisible(shown);
        if (shown) fraGrid(i).setTop(kRowHeight * r + kFirstRowTop);
    }
}

void frmEns::scrGrid_Change() {
    ScrollGrid();
}

void frmEns::AllocateChannels() {
    // Each channel box this sets raises txtChannel_Change, and through the mute box's click a
    // box may be set again (unmuting gives channel 1). A change during the allocation asks for
    // another pass, so the boxes end on the allocation of what they finally hold; the shortage
    // is told once for the whole allocation.
    if (allocating_) {
        allocationPending_ = true;
        return;
    }
    allocating_ = true;
    bool shortage = false;
    // Every pass after the first starts from channels the previous one settled or muted, so
    // two or three passes settle; the bound only guards against a handler that keeps changing.
    for (int pass = 0; pass < kEnsembleRows + 1; ++pass) {
        allocationPending_ = false;
        std::vector<ChannelRow> rows;
        for (int i = 0; i < kEnsembleRows; ++i)
            rows.push_back({chkActive(i).Value() == 1, boxNumber(txtChannel(i))});
        const ChannelAllocation result = ::velt::desk::AllocateChannels(rows, G().ChannelUsed);
        shortage = shortage || result.shortage;
        for (int i = 0; i < kEnsembleRows; ++i) {
            if (result.channels[i] != rows[i].channel)
                txtChannel(i).setText(std::to_string(result.channels[i]));
        }
        if (!allocationPending_) break;
    }
    if (shortage) {
        ShowMessage(
            "Not enough MIDI channels available for Rerar Odaduza. Some channels have been muted.",
            ui::Exclamation, kShortageTitle, help_topic::EnsembleEditorWindow);
    }
    allocating_ = false;
}

// ---- stereo, drum kit

void frmEns::chkAutoName_Click() {
    cmdApply.setEnabled(true);
}

void frmEns::chkSplitStereo_Click() {
    const bool split = chkSplitStereo.Value() == 1;
    lblTrack.setEnabled(split);
    for (int i = 0; i < kEnsembleRows; ++i) {
        const bool on = split && chkActive(i).Value() == 1;
        optTrackL(i).setEnabled(on);
        optTrackR(i).setEnabled(on);
    }
    StereoChanged = true;
}

void frmEns::LoadDrumKit(const std::string& path) {
    Global& g = G();
    g.DrumKitFolder = FolderOf(path);
    const DrumKitFile kit = ReadDrumKitFile(path);
    g.EnsDrumKit = kit.drumList;
    g.EnsPoly[kPercussionRow] = kit.poly;
    txtPoly(kPercussionRow).setText(std::to_string(kit.poly));
    txtDrumKit.setText(BaseNameOf(path));
}

void frmEns::cmdDrumKitBrowse_Click() {
    cdlFile.setDialogTitle("Select Drum Kit");
    cdlFile.setFilter("Drum Kits (*.vdk)|*.vdk|All Files (*.*)|*.*");
    cdlFile.setDefaultExt("*.vdk");
    cdlFile.setInitDir(G().DrumKitFolder);
    cdlFile.setFileName(startingFileName(txtPatchMap.Text(), ".vdk"));
    cdlFile.setFlags(4100);
    if (cdlFile.ShowOpen() != ui::DialogResult::Ok) return;
    LoadDrumKit(cdlFile.FileName());
    edited();
    cmdDrumKitEdit_Click();
}

void frmEns::cmdDrumKitEdit_Click() {
    Global& g = G();
    g.KitFromEnsemble = true;
    ui::forms::get<frmDrum>().Show(ui::Modal);
    ui::Release<frmDrum>();
    g.KitFromEnsemble = false;
    CheckName(kPercussionRow);
}

// ---- files

EnsembleFile frmEns::rowsToFile() {
    const Global& g = G();
    EnsembleFile ensemble;
    for (int i = 0; i < kEnsembleRows; ++i) {
        txtPoly_LostFocus(i);
        EnsembleRow& row = ensemble.rows[i];
        row.active = chkActive(i).Value() == 1 ? 1 : 0;
        row.channel = boxChannel(i);
        row.track = optTrackR(i).Value() ? 1 : 0;
        row.poly = boxPoly(i);
        row.patch = RowPatch[i];
        // The stored range, never a refused name's -1.
        row.keyMin = g.RowKeyMin[i];
        row.keyMax = g.RowKeyMax[i];
    }
    ensemble.drumKit = g.EnsDrumKit;
    ensemble.kitName = txtDrumKit.Text();
    return ensemble;
}

void frmEns::cmdSaveAs_Click() {
    saveAs();
}

bool frmEns::saveAs() {
    Global& g = G();
    cdlFile.setFileName(startingFileName(txtPatchMap.Text(), ".ens"));
    cdlFile.setDialogTitle("Save Ensemble As");
    cdlFile.setFlags(2054);
    cdlFile.setInitDir(g.EnsembleFolder);
    cdlFile.setDefaultExt(".ens");
    cdlFile.setFilter("Ensembles (*.ens)|*.ens|All Files (*.*)|*.*");
    if (cdlFile.ShowSave() != ui::DialogResult::Ok) return false;
    const std::string path = cdlFile.FileName();
    txtPatchMap.setText(BaseNameOf(path));
    g.EnsembleFolder = FolderOf(path);
    if (!WriteEnsembleFile(path, rowsToFile())) {
        ShowMessage("Unable to save the ensemble file.", ui::Exclamation, kTitle);
        return false;
    }
    cmdSaveAs.setEnabled(false);
    return true;
}

void frmEns::cmdLoad_Click() {
    Global& g = G();
    if (cmdSaveAs.Enabled()) {
        const int answer = ShowMessage(
            "The current ensemble has been changed.  Do you want to save these changes?",
            ui::YesNoCancel + ui::Question, kTitle);
        if (answer == ui::Cancel) return;
        // A save that did not happen ends the load: loading would discard the edits.
        if (answer == ui::Yes && !saveAs()) return;
    }
    cdlFile.setDialogTitle("Open Ensemble");
    cdlFile.setDefaultExt("*.ens;*.vpm");
    cdlFile.setFilter("Ensembles (*.ens;*.vpm)|*.ens;*.vpm|All Files (*.*)|*.*");
    cdlFile.setFileName(startingFileName(txtPatchMap.Text(), ".ens"));
    cdlFile.setFlags(4100);
    cdlFile.setInitDir(g.EnsembleFolder);
    if (cdlFile.ShowOpen() != ui::DialogResult::Ok) return;
    const std::string path = cdlFile.FileName();
    txtPatchMap.setText(BaseNameOf(path));
    g.EnsembleFolder = FolderOf(path);

    EnsLoading = true;
    EnsembleFile ensemble = ReadEnsembleFile(path);
    loadRows(ensemble);
    g.EnsDrumKit = ensemble.drumKit;
    txtDrumKit.setText(ensemble.kitName);
    const bool older = IsOlderEnsembleLayout(ensemble);
    if (older) chkActive(kPercussionRow).setValue(0);
    const bool drums = chkActive(kPercussionRow).Value() == 1;
    for (ui::Control* c : std::initializer_list<ui::Control*>{&lblDrumKit, &txtDrumKit,
                                                              &cmdDrumKitBrowse, &cmdDrumKitEdit})
        c->setEnabled(drums);
    EnsLoading = false;
    if (older) {
        // Rows 9..14 were on channels 10..15: move them up and put the percussion row on 10.
        for (int i = 9; i <= 14; ++i) txtChannel(i).setText(std::to_string(i + 2));
        txtChannel(kPercussionRow).setText("10");
        txtPoly(kPercussionRow).setText("3");
    }
    AllocateChannels();
    ColorPitchRange();
    cmdApply.setEnabled(false);
    cmdSaveAs.setEnabled(false);
}

// ---- commit

void frmEns::cmdApply_Click() {
    Global& g = G();
    const EnsembleFile rows = rowsToFile();
    for (int i = 0; i < kEnsembleRows; ++i) SetWorkingPart(g, i, rows.rows[i]);
    const SettingsDialogParts dialog = settings();
    dialog.txtKeyMax.setText(txtKeyMax(kMasterRange).Text());
    dialog.txtKeyMax_LostFocus();
    dialog.txtKeyMin.setText(txtKeyMin(kMasterRange).Text());
    dialog.txtKeyMin_LostFocus();
    dialog.txtPatchMap.setText(txtPatchMap.Text());
    if (chkSplitStereo.Value() == 1) {
        dialog.optStereo(1).setValue(true);
    } else if (StereoChanged) {
        dialog.optStereo(0).setValue(true);
    }
    g.EnsAutoName = chkAutoName.Value() == 1 ? 1 : 0;
    g.EnsKitName = txtDrumKit.Text();
    rememberKit();
    cmdApply.setEnabled(false);
    dialog.cmdApply.setEnabled(true);
    g.EnsembleApplied = true;
}

void frmEns::cmdOK_Click() {
    cmdApply_Click();
    cmdCancel_Click();
}

void frmEns::cmdCancel_Click() {
    unload();
}

void frmEns::cmdHelp_Click() {
    ShowHelpTopic(help_topic::EnsembleEditorWindow);
}

}  // namespace velt::desk
