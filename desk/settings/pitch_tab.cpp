// The settings dialog's Pitch tab: the polyphony (and the layout of the instruments or drums it
// switches), the master pitch range with its test notes, the transposition, the key and the
// brightness controller; its part of loading and of Apply.
#include <algorithm>
#include <cmath>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/settings/data_files.h"
#include "desk/settings/frm_properties.h"
#include "desk/settings/numbers.h"
#include "desk/settings/stored_values.h"

namespace velt::desk {

namespace {

const char* const kKeyRows[] = {"Auto Detect",
                                "7 sharps - C# major / A# minor",
                                "6 sharps - F# major / D# minor",
                                "5 sharps - B major / G# minor",
                                "4 sharps - E major / C# minor",
                                "3 sharps - A major / F# minor",
                                "2 sharps - D major / B minor",
                                "1 sharp  - G major / E minor",
                                "No sharps or flats - C major / A minor",
                                "1 flat   - F major / D minor",
                                "2 flats  - Bb major / G minor",
                                "3 flats  - Eb major / C minor",
                                "4 flats  - Ab major / F minor",
                                "5 flats  - Db major / Bb minor",
                                "6 flats  - Gb major / Eb minor",
                                "7 flats  - Cb major / Ab minor"};

constexpr int32_t kTonicNotes[15] = {61, 66, 59, 64, 57, 62, 55, 60, 65, 58, 63, 56, 61, 66, 59};

}  // namespace

void frmProperties::wirePitchTab() {
    txtPitchMode.Change = [this] { txtPitchMode_Change(); };
    txtPitchMode.GotFocus = [this] { txtPitchMode_GotFocus(); };
    txtPitchMode.KeyPress = [this](int& k) { txtPitchMode_KeyPress(k); };
    txtPitchMode.LostFocus = [this] { txtPitchMode_LostFocus(); };
    optBeatDetect.on(&ui::OptionButton::Click, [this](int i) { optBeatDetect_Click(i); });
    chkPitchBend.Click = [this] { chkPitchBend_Click(); };
    txtKeyMin.Change = [this] { txtKeyMin_Change(); };
    txtKeyMin.GotFocus = [this] { txtKeyMin_GotFocus(); };
    txtKeyMin.LostFocus = [this] { txtKeyMin_LostFocus(); };
    txtKeyMax.Change = [this] { txtKeyMax_Change(); };
    txtKeyMax.GotFocus = [this] { txtKeyMax_GotFocus(); };
    txtKeyMax.LostFocus = [this] { txtKeyMax_LostFocus(); };
    spnKeyMin.DownClick = [this] { spnKeyMin_DownClick(); };
    spnKeyMin.UpClick = [this] { spnKeyMin_UpClick(); };
    spnKeyMax.DownClick = [this] { spnKeyMax_DownClick(); };
    spnKeyMax.UpClick = [this] { spnKeyMax_UpClick(); };
    sldNoteRange.Scroll = [this] { sldNoteRange_Scroll(); };
    sldNoteRange.MouseDown = [this](int b, int s, double x, double y) {
        sldNoteRange_MouseDown(b, s, x, y);
    };
    sldNoteRange.MouseUp = [this](int b, int s, double x, double y) {
        sldNoteRange_MouseUp(b, s, x, y);
    };
    cmdsndKeyMin.Click = [this] { cmdsndKeyMin_Click(); };
    cmdsndKeyMax.Click = [this] { cmdsndKeyMax_Click(); };
    chkAutoDetectNote.Click = [this] { chkAutoDetectNote_Click(); };
    txtOctaves.Change = [this] { txtOctaves_Change(); };
    txtOctaves.GotFocus = [this] { txtOctaves_GotFocus(); };
    txtOctaves.KeyPress = [this](int& k) { txtOctaves_KeyPress(k); };
    txtOctaves.LostFocus = [this] { txtOctaves_LostFocus(); };
    txtHalfSteps.Change = [this] { txtHalfSteps_Change(); };
    txtHalfSteps.GotFocus = [this] { txtHalfSteps_GotFocus(); };
    txtHalfSteps.KeyPress = [this](int& k) { txtHalfSteps_KeyPress(k); };
    txtHalfSteps.LostFocus = [this] { txtHalfSteps_LostFocus(); };
    cboKey.Click = [this] { cboKey_Click(); };
    cmdsndKey.Click = [this] { cmdsndKey_Click(); };
    chkConstrain.Click = [this] { chkConstrain_Click(); };
    optMajorMinor.on(&ui::OptionButton::Click, [this](int i) { optMajorMinor_Click(i); });
    cboCCBright.Click = [this] { cboCCBright_Click(); };
}

void frmProperties::loadPitchTab() {
    const Global& g = G();
    for (int i = 0; i < 15; ++i) TonicNotes[i] = kTonicNotes[i];
    txtPitchMode.setText(std::to_string(g.PitchMode));
    chkPitchBend.setValue(CheckValue(g.PitchBend));
    // The project's high note again, now held to the top the inspected file allows.
    WorkKeyMax = g.KeyMax;
    VirtualSRChange();
    chkAutoDetectNote.setValue(CheckValue(g.AutoDetectNote));

    int32_t octaves = g.Transpose / 12;  // toward zero
    txtOctaves.setText(std::to_string(octaves));
    txtHalfSteps.setText(std::to_string(g.Transpose - octaves * 12));

    cboKey.Clear();
    for (const char* row : kKeyRows) cboKey.AddItem(row);
    int64_t keyRow = 8 - static_cast<int64_t>(g.KeySignature);
    cboKey.setListIndex(keyRow >= 0 && keyRow < cboKey.ListCount() ? static_cast<int>(keyRow) : 0);
    optMajorMinor(g.MajorMinor == 1 ? 1 : 0).setValue(true);
    chkConstrain.setValue(CheckValue(g.Constrain));

    cboCCBright.Clear();
    SelectController(cboCCBright, g.Brightness);
}

// Instruments, not drums only: the option's click also lays out the MIDI tab for them and loads
// the example ensemble.
void frmProperties::loadPolyphonyOption() {
    optBeatDetect(1).setVisible(false);
    optBeatDetect(0).setValue(true);
}

void frmProperties::applyPitchTab() {
    Global& g = G();
    g.BeatDetect = optBeatDetect(0).Value() ? 0 : 1;
    g.PitchBend = chkPitchBend.Value();
    g.KeyMax = WorkKeyMax;
    g.KeyMin = WorkKeyMin;
    g.AutoDetectNote = chkAutoDetectNote.Value();
    g.AutoDetectKey = cboKey.ListIndex() == 0 ? 1 : 0;
    g.PitchMode = ToLong(Val(txtPitchMode.Text()));
    g.Transpose = ToLong(Val(txtOctaves.Text()) * 12 + Val(txtHalfSteps.Text()));
    g.KeySignature = 8 - cboKey.ListIndex();
    g.MajorMinor = optMajorMinor(0).Value() ? 0 : 1;
    g.Constrain = chkConstrain.Value();
    g.Brightness = ToLong(Val(cboCCBright.Text()));
}

// Polyphony.

void frmProperties::txtPitchMode_Change() {
    edited();
    // What the user types is taken when the box is left: a "1" on the way to "16" must not reset
    // the gain, nor an erased box come back before the new number is typed.
    if (txtPitchMode.UserEdit()) return;
    applyPolyphony();
}
void frmProperties::applyPolyphony() {
    ui::DoEvents();
    double v = 0;
    if (!ReadBoxNumber(txtPitchMode.Text(), v)) {
        const std::string* before = remembered(txtPitchMode);
        if (!Loading && before) txtPitchMode.setText(*before);
        return;
    }
    if (v <= 1) {
        ResetGainSlider();
        lblCCBright.setEnabled(true);
        cboCCBright.setEnabled(true);
    } else {
        if (!CurrentAudioFile.empty()) chkAutoDetectNote.setValue(1);
        lblCCBright.setEnabled(false);
        cboCCBright.setEnabled(false);
    }
}
void frmProperties::txtPitchMode_GotFocus() {
    rememberFocus(txtPitchMode);
}
void frmProperties::txtPitchMode_KeyPress(int& KeyAscii) {
    if (!boxTakes(KeyAscii, "")) KeyAscii = 0;
}
void frmProperties::txtPitchMode_LostFocus() {
    HoldBoxNumber(txtPitchMode, 1, 128, remembered(txtPitchMode));
    // What was typed counts now. A box left as it was found changes nothing: the rule would tick
    // Auto Detect behind the user's back and replace their low and high notes at the next
    // conversion. Run from code on a box never focused, the rule always applies.
    if (!leftAsFound(txtPitchMode)) applyPolyphony();
}

void frmProperties::optBeatDetect_Click(int Index) {
    std::string file;
    if (Index == 0) {
        txtPitchMode.setEnabled(true);
        spnPitchMode.setEnabled(true);
        if (txtPitchMode.Text() == "1") {
            lblCCBright.setEnabled(true);
            cboCCBright.setEnabled(true);
        }
        lblCCVolume.setEnabled(true);
        cboCCVolume.setEnabled(true);
        if (ChannelCount == 2) optStereo(1).setEnabled(true);
        if (!Loading) {
            txtChannel.setText("1");
            sldOutputThreshold.setValue(-5);
        }
        fraFilter.setCaption("Instruments in Original Audio");
        optFilter(1).setCaption("I know what instruments comprise the original audio");
        optFilter(0).setCaption("I DO NOT know what instruments comprise the original audio");
        lblPatchMap.setCaption("Ensemble Name:");
        txtPatchMap.setToolTipText("Click a button to select or edit the ensemble.");
        cmdPatchMapBrowse.setToolTipText("Select Ensemble");
        cmdPatchMapEdit.setVisible(true);
        cmdPatchMapEdit.setLeft(2520);
        cmdDrumKitEdit.setVisible(false);
        cmdDrumKitEdit.setLeft(1320);
        file = ExampleEnsembleFile();
    } else {
        txtPitchMode.setEnabled(false);
        spnPitchMode.setEnabled(false);
        lblCCBright.setEnabled(false);
        cboCCBright.setEnabled(false);
        lblCCVolume.setEnabled(false);
        cboCCVolume.setEnabled(false);
        optStereo(1).setEnabled(false);
        if (optStereo(1).Value()) optStereo(0).setValue(true);
        if (!Loading) {
            txtChannel.setText("10");
            sldOutputThreshold.setValue(-10);
        }
        fraFilter.setCaption("Drums in Original Audio");
        optFilter(1).setCaption("I know what drums comprise the original audio");
        optFilter(0).setCaption("I DO NOT know what drums comprise the original audio");
        lblPatchMap.setCaption("Drum Kit Name:");
        txtPatchMap.setToolTipText("Click a button to select or edit the drum kit.");
        cmdPatchMapBrowse.setToolTipText("Select Drum Kit");
        cmdDrumKitEdit.setVisible(true);
        cmdDrumKitEdit.setLeft(2520);
        cmdPatchMapEdit.setVisible(false);
        cmdPatchMapEdit.setLeft(1320);
        file = BasicDrumKitFile();
    }
    // Without the example ensemble or the basic kit the working ensemble keeps its values.
    if (FileExists(file)) LoadEnsembleFile(file);
    txtChannel_LostFocus();
    edited();
}

void frmProperties::chkPitchBend_Click() {
    edited();
}

// Master pitch range.

void frmProperties::VirtualSRChange() {
    double top = 12 * std::log2((VirtualSampleRate / 2.0) / WorkReferencePitch) + 69;
    TopNote = std::isfinite(top) ? std::clamp(FloorLong(top), 0, 127) : 127;
    sldNoteRange.setSelStart(-std::min(WorkKeyMax, TopNote));
    WorkKeyMax = -sldNoteRange.SelStart();
    txtKeyMax.setText(ValToKey(WorkKeyMax));
    // The slider holds the length to [0, WorkKeyMax]: a low note above the high note (or below
    // note 0) comes back inside the range.
    sldNoteRange.setSelLength(WorkKeyMax - WorkKeyMin);
    WorkKeyMin = WorkKeyMax - sldNoteRange.SelLength();
    txtKeyMin.setText(ValToKey(WorkKeyMin));
}

void frmProperties::txtKeyMax_Change() {
    edited();
}
void frmProperties::txtKeyMax_GotFocus() {
    txtKeyMax.setSelStart(0);
    txtKeyMax.setSelLength(static_cast<int>(txtKeyMax.Text().size()));
}
void frmProperties::txtKeyMax_LostFocus() {
    int32_t v = KeyToVal(txtKeyMax.Text());
    if (v == -1) {
        ShowMessage("Invalid High Note.", ui::Exclamation, "Project", help_topic::InvalidHighNote);
        txtKeyMax.SetFocus();
        return;
    }
    WorkKeyMax = v > TopNote ? TopNote : v < WorkKeyMin ? WorkKeyMin : v;
    sldNoteRange.setSelStart(-WorkKeyMax);
    sldNoteRange.setSelLength(WorkKeyMax - WorkKeyMin);
    txtKeyMax.setText(ValToKey(WorkKeyMax));
}

void frmProperties::txtKeyMin_Change() {
    edited();
}
void frmProperties::txtKeyMin_GotFocus() {
    txtKeyMin.setSelStart(0);
    txtKeyMin.setSelLength(static_cast<int>(txtKeyMin.Text().size()));
}
void frmProperties::txtKeyMin_LostFocus() {
    int32_t v = KeyToVal(txtKeyMin.Text());
    if (v == -1) {
        ShowMessage("Invalid Low Note.", ui::Exclamation, "Project", help_topic::InvalidLowNote);
        txtKeyMin.SetFocus();
        return;
    }
    WorkKeyMin = v > WorkKeyMax ? WorkKeyMax : v < 0 ? 0 : v;
    txtKeyMin.setText(ValToKey(WorkKeyMin));
    sldNoteRange.setSelLength(WorkKeyMax - WorkKeyMin);
}

void frmProperties::spnKeyMax_DownClick() {
    if (WorkKeyMax > WorkKeyMin) --WorkKeyMax;
    txtKeyMax.setText(ValToKey(WorkKeyMax));
    txtKeyMax_LostFocus();
    sldNoteRange.setSelStart(-WorkKeyMax);
    sldNoteRange.setSelLength(WorkKeyMax - WorkKeyMin);
    ui::DoEvents();
}
void frmProperties::spnKeyMax_UpClick() {
    if (WorkKeyMax < TopNote) ++WorkKeyMax;
    txtKeyMax.setText(ValToKey(WorkKeyMax));
    txtKeyMax_LostFocus();
    sldNoteRange.setSelStart(-WorkKeyMax);
    sldNoteRange.setSelLength(WorkKeyMax - WorkKeyMin);
    ui::DoEvents();
}
void frmProperties::spnKeyMin_DownClick() {
    if (WorkKeyMin > 0) --WorkKeyMin;
    txtKeyMin.setText(ValToKey(WorkKeyMin));
    txtKeyMin_LostFocus();
    sldNoteRange.setSelLength(WorkKeyMax - WorkKeyMin);
    ui::DoEvents();
}
void frmProperties::spnKeyMin_UpClick() {
    if (WorkKeyMin < WorkKeyMax) ++WorkKeyMin;
    txtKeyMin.setText(ValToKey(WorkKeyMin));
    txtKeyMin_LostFocus();
    sldNoteRange.setSelLength(WorkKeyMax - WorkKeyMin);
    ui::DoEvents();
}

void frmProperties::sldNoteRange_Scroll() {
    edited();
}

void frmProperties::sldNoteRange_MouseDown(int Button, int, double, double) {
    sldNoteRange.setValue(Button == 1 ? -WorkKeyMax : -WorkKeyMin);
}

void frmProperties::sldNoteRange_MouseUp(int Button, int, double, double) {
    if (Button == 1) {
        sldNoteRange.setSelStart(sldNoteRange.Value());
        WorkKeyMax = -sldNoteRange.Value();
        txtKeyMax.setText(ValToKey(WorkKeyMax));
        txtKeyMax_LostFocus();
        if (WorkKeyMax < WorkKeyMin) {
            sldNoteRange.setSelLength(0);
            WorkKeyMin = WorkKeyMax;
            txtKeyMin.setText(txtKeyMax.Text());
            txtKeyMin_LostFocus();
            return;
        }
    } else {
        WorkKeyMin = -sldNoteRange.Value();
        txtKeyMin.setText(ValToKey(WorkKeyMin));
        txtKeyMin_LostFocus();
        if (WorkKeyMax < WorkKeyMin) {
            sldNoteRange.setSelLength(0);
            WorkKeyMax = WorkKeyMin;
            txtKeyMax.setText(txtKeyMin.Text());
            txtKeyMax_LostFocus();
            return;
        }
    }
    sldNoteRange.setSelLength(WorkKeyMax - WorkKeyMin);
}

void frmProperties::cmdsndKeyMax_Click() {
    PlayTestNote(TestToneVoice(), WorkKeyMax);
}
void frmProperties::cmdsndKeyMin_Click() {
    PlayTestNote(TestToneVoice(), WorkKeyMin);
}

void frmProperties::chkAutoDetectNote_Click() {
    edited();
}

// Transpose.

void frmProperties::txtOctaves_Change() {
    edited();
}
void frmProperties::txtOctaves_GotFocus() {
    rememberFocus(txtOctaves);
}
void frmProperties::txtOctaves_KeyPress(int& KeyAscii) {
    if (!boxTakes(KeyAscii, "-")) KeyAscii = 0;
}
void frmProperties::txtOctaves_LostFocus() {
    HoldBoxNumber(txtOctaves, -10, 10, remembered(txtOctaves));
    // A new transposition re-applies the polyphony rules; an octave box left as it was found
    // changes nothing.
    if (!leftAsFound(txtOctaves)) txtPitchMode_Change();
}

void frmProperties::txtHalfSteps_Change() {
    edited();
}
void frmProperties::txtHalfSteps_GotFocus() {
    rememberFocus(txtHalfSteps);
}
void frmProperties::txtHalfSteps_KeyPress(int& KeyAscii) {
    if (!boxTakes(KeyAscii, "-")) KeyAscii = 0;
}
void frmProperties::txtHalfSteps_LostFocus() {
    HoldBoxNumber(txtHalfSteps, -11, 11, remembered(txtHalfSteps));
}

// Key.

void frmProperties::cboKey_Click() {
    edited();
    if (cboKey.ListIndex() != 0) {
        chkConstrain.setEnabled(true);
        optMajorMinor(0).setEnabled(true);
        optMajorMinor(1).setEnabled(true);
        cmdsndKey.setEnabled(G().Transcribe != 0);
        txtKeyMax.setText(ValToKey(WorkKeyMax));
        txtKeyMin.setText(ValToKey(WorkKeyMin));
    } else {
        chkConstrain.setValue(0);
        chkConstrain.setEnabled(false);
        optMajorMinor(0).setEnabled(false);
        optMajorMinor(1).setEnabled(false);
        cmdsndKey.setEnabled(false);
    }
}

void frmProperties::cmdsndKey_Click() {
    PlayKeyChord();
}

void frmProperties::chkConstrain_Click() {
    edited();
}

void frmProperties::optMajorMinor_Click(int) {
    edited();
}

void frmProperties::cboCCBright_Click() {
    edited();
}

}  // namespace velt::desk
