// What the settings dialog does as a whole: Form_Load calls each tab's part of the load in the
// order the controls' events need, HideControls lays the tabs out for the user level and the
// mode, Apply commits every tab's part, and OK, Cancel, Help, the tab switch and the unloading.
// The numeric boxes of all tabs share the focus memory and the key filter kept here.
#include <cmath>
#include <cstdio>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/shared/data_lists.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/core/shared/tools.h"
#include "desk/settings/data_files.h"
#include "desk/settings/frm_properties.h"

namespace velt::desk {

namespace {

const char* const kAmericanValues[] = {
    "Whole",     "Half",          "Quarter",      "Eighth",
    "Sixteenth", "Thirty-second", "Sixty-fourth", "Hundred twenty-eighth"};
const char* const kBritishValues[] = {
    "Semibreve",  "Minim",          "Crotchet",           "Quaver",
    "Semiquaver", "Demisemiquaver", "Hemidemisemiquaver", "Quasihemidemisemiquaver"};

// A number as the classic Str writes it: a blank where a plus sign would stand, no zero before
// the decimal point, up to seven significant digits.
std::string StrNumber(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.7g", std::fabs(v));
    std::string digits = buf;
    if (digits.rfind("0.", 0) == 0) digits.erase(0, 1);
    return (v < 0 ? "-" : " ") + digits;
}

}  // namespace

void frmProperties::Form_Load() {
    Global& g = G();
    Loading = true;
    tabProperties.setTab(0);
    setCaption(g.ProjectFile.empty() ? "Edit Project"
                                     : "Edit Project - " + BaseNameOf(g.ProjectFile));
    g.SettingsApplied = false;

    // The meter first: the numerator's change handler builds the beats-per-chord list, and the
    // resolution rows that HideControls writes divide by the beat value.
    loadMeter();
    HideControls();
    // Before the audio tab: a ticked Auto Detect or Easy Timing ticks Entire Range, which the
    // audio tab then sets from the project.
    loadTimingSwitches();
    loadAudioTab();
    loadPitchTab();
    loadTimingTab();
    loadDynamicsTab();
    const std::vector<std::string> instrumentLines = ReadDataLines(FilterListFile());
    loadMidiTab(instrumentLines);
    // After the channel and the patch list, before the ensemble: the polyphony option's click
    // loads the example ensemble and switches the patch list by the channel.
    loadPolyphonyOption();
    loadEnsemble(instrumentLines);

    cmdApply.setEnabled(false);
    Loading = false;
}

void frmProperties::HideControls() {
    const Global& g = G();
    int resRow = cboRes.ListIndex();
    std::vector<ui::Control*> levelled = {
        &fraTimeRange,   &fraStereo,     &lblReferencePitch, &txtReferencePitch, &spnReferencePitch,
        &fraTranspose,   &chkTrackTempo, &fraSpeed,          &spnSpeed,          &lblSpeedSlower,
        &lblSpeedFaster, &lblChordRes,   &cboChordRes,       &fraDetect,         &fraThreshold,
        &chkAGC,         &sldGain,       &lblVolume,         &lblBoost,          &lblNoChange,
        &lblCut,         &cmdGainZero,   &cboCCVolume,       &lblCCVolume,       &cboCCBright,
        &lblCCBright};
    for (ui::Control* c : levelled) c->setVisible(true);
    for (ui::Control* c : std::initializer_list<ui::Control*>{&fraNoteRange, &chkPitchBend,
                                                              &lblMiddleC, &fraKey, &fraMeter})
        c->setVisible(true);
    lblBlank.setVisible(false);

    if (g.UserLevel == 0) {
        for (ui::Control* c : levelled) c->setVisible(false);
        lblBlank.setVisible(true);
    }
    if (g.PlayEdit == 0) {
        for (ui::Control* c : std::initializer_list<ui::Control*>{
                 &chkTrackTempo, &chkPitchBend, &fraDetect, &sldGain, &lblVolume, &lblBoost,
                 &lblNoChange, &lblCut, &cmdGainZero})
            c->setVisible(false);
    }

    cboRes.Clear();
    cboRes.AddItem("Auto Detect");
    if (g.Transcribe != 0) {
        lblRes.setCaption("Timing Resolution:");
        const char* const* names = g.NoteValue == 0 ? kAmericanValues : kBritishValues;
        for (int i = 0; i < 8; ++i) {
            cboRes.AddItem(names[i]);
            cboRes.AddItem(std::string(names[i]) + " triplets");
        }
    } else {
        lblMiddleC.setVisible(false);
        fraKey.setVisible(false);
        fraMeter.setVisible(false);
        lblRes.setCaption("Notes Per Beat:");
        double beatValue = Val(cboTimeDenom.Text());
        if (!(beatValue > 0)) beatValue = 4;  // no beat value: the quarter note
        for (int k = 0; k < 8; ++k) {
            double notes = std::ldexp(1.0, k) / beatValue;
            cboRes.AddItem(StrNumber(notes));
            cboRes.AddItem(StrNumber(1.5 * notes));
        }
    }
    if (resRow >= 0 && resRow < cboRes.ListCount()) cboRes.setListIndex(resRow);
}

void frmProperties::Form_Unload(int& Cancel) {
    Global& g = G();
    if (g.WizardRunning) {
        Cancel = 1;
        Hide();
        return;
    }
    StopTestTone();
    if (!g.WizardClosing && g.SettingsApplied && !g.AudioFileValid) {
        int answer = ui::MessageBox(
            "You must specify a supported audio file before running the converter.  Do you want "
            "to specify one now?",
            ui::YesNo + ui::Question, "Edit Project");
        if (answer == ui::Answer::Yes) {
            tabProperties.setTab(0);
            cboAudioFile.SetFocus();
            Cancel = 1;
            return;
        }
    }
}

// Apply, OK, Cancel and Help: Apply is the one place where the dialog's values reach the project.

void frmProperties::cmdApply_Click() {
    Global& g = G();
    cmdStop_Click();
    g.ProjectChanged = true;
    g.SettingsApplied = true;
    if (MainWindow().enableSave) MainWindow().enableSave(true);
    applyAudioTab();  // first: it sets the file count that the MIDI tab's list follows
    applyPitchTab();
    applyTimingTab();
    applyDynamicsTab();
    applyMidiTab();
    cmdApply.setEnabled(false);
}

void frmProperties::cmdOK_Click() {
    cmdStop_Click();
    if (cmdApply.Enabled()) cmdApply_Click();
    unload();
}

void frmProperties::cmdCancel_Click() {
    unload();
}

void frmProperties::cmdHelp_Click() {
    ShowHelpTopic(help_topic::ProjectSettingsWindow);
}

void frmProperties::tabProperties_Click(int) {
    if (cmdTempoTapper.Enabled()) {
        TapCount = -2;
        cmdStop_Click();
    }
}

void frmProperties::repaintLists() {
    Refresh();
    tabProperties.setTab(1);
    tabProperties.setTab(0);
}

// The numeric boxes: each selects and remembers its text on focus and takes only its keys.

void frmProperties::rememberFocus(ui::TextBox& box) {
    boxMemory_.remember(box);
    FocusControl = box.Text();
    FocusedBox = &box;
}

bool frmProperties::boxTakes(int key, const std::string& extra) {
    return key == 8 || (key >= '0' && key <= '9') ||
           (key > 0 && key < 256 && extra.find(static_cast<char>(key)) != std::string::npos);
}

}  // namespace velt::desk
