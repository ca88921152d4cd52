#include "desk/core/run/frm_results.h"

#include <cmath>

#include "desk/core/global.h"
#include "desk/core/run/main_window_link.h"
#include "desk/core/shared/key_names.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/tools.h"

namespace velt::desk {

namespace {

struct Action {
    const char* caption;
    const char* tip;
};

const Action kActions[] = {
    {"&Play original audio and MIDI together in ZeruZirado",
     "You can compare the files to evaluate conversion results."},
    {"&Open MIDI file in MIDI editor/notation software",
     "See the musical notation and edit the MIDI file."},
    {"&Convert again using detected/adjusted settings",
     "Converting again generally improves accuracy."},
    {"&Modify project settings", "You can adjust settings and convert again."},
    {"&Save project settings", "You can reuse these settings later for similar music."},
    {"&Build a score by adding another track to this MIDI file",
     "Build a MIDI score by recording and converting one track at a time."},
};

}  // namespace

std::string TuningText(float referencePitch) {
    long cents = 0;
    if (referencePitch > 0 && std::isfinite(referencePitch))
        cents = std::lrint(1200.0 * std::log2(static_cast<double>(referencePitch) / 440.0));
    std::string text = cents > 0 ? "+" : "";
    text += std::to_string(cents);
    text += " cents";
    return text;
}

std::string TempoText(float tempo) {
    return std::to_string(std::isfinite(tempo) ? std::lrint(tempo) : 0L) + " bpm";
}

std::string MeterText(int numerator, int denominatorPower) {
    long denominator = denominatorPower >= 0 && denominatorPower < 31 ? 1L << denominatorPower : 0;
    return std::to_string(numerator) + " / " + std::to_string(denominator);
}

frmResults::frmResults() : Form("frmResults") {
    optAction.on(&ui::OptionButton::Click, [this](int Index) { optAction_Click(Index); });
    optAction.on(&ui::OptionButton::DblClick, [this](int Index) { optAction_DblClick(Index); });
    cmdClose.Click = [this] { cmdClose_Click(); };
    cmdAdjust.Click = [this] { cmdAdjust_Click(); };
    cmdLocate.Click = [this] { cmdLocate_Click(); };
    cmdSetMidiEditor.Click = [this] { cmdSetMidiEditor_Click(); };
}

void frmResults::design() {
    setCaption("Conversion Results");
    Move(0, 0, 7200, 6360);

    fraFile.Move(120, 120, 6960, 900);
    fraFile.setCaption("Your new MIDI file is located here:");
    txtFile.setContainer(fraFile);
    txtFile.Move(120, 360, 5400, 315);
    txtFile.setLocked(true);
    cmdLocate.setContainer(fraFile);
    cmdLocate.Move(5640, 330, 1200, 375);
    cmdLocate.setCaption("Loca&te");
    cmdLocate.setToolTipText("Click to locate the MIDI file on your computer's disk drive.");
    cdlFile.setDialogTitle("Your MIDI File is Located Here");
    cdlFile.setFilter("MIDI File (*.mid)|*.mid|All Files (*.*)|*.*");
    cdlFile.setDefaultExt("*.mid");

    fraSettings.Move(120, 1140, 6960, 1620);
    fraSettings.setCaption("Veltrane has estimated the following information about your music:");
    struct Row {
        ui::Label& caption;
        ui::Label& value;
        const char* text;
    } rows[] = {{lblMeter, lblMeter1, "Meter:"},
                {lblTempo, lblTempo1, "Tempo:"},
                {lblTuning, lblTuning1, "Tuning:"},
                {lblKey, lblKey1, "Key:"}};
    double top = 330;
    for (Row& row : rows) {
        row.caption.setContainer(fraSettings);
        row.caption.Move(240, top, 1080, 255);
        row.caption.setCaption(row.text);
        row.value.setContainer(fraSettings);
        row.value.Move(1380, top, 3000, 255);
        top += 300;
    }
    cmdAdjust.setContainer(fraSettings);
    cmdAdjust.Move(4560, 630, 2220, 375);
    cmdAdjust.setCaption("&Adjust These Settings");

    fraAction.Move(120, 2880, 6960, 2820);
    fraAction.setCaption("What would you like to do now?");
    for (int i = 0; i < 6; ++i) {
        imgAction(i).setContainer(fraAction);
        imgAction(i).Move(240, 330 + i * 390, 300, 300);
        optAction(i).setContainer(fraAction);
        optAction(i).Move(660, 330 + i * 390, 6120, 300);
        optAction(i).setCaption(kActions[i].caption);
        optAction(i).setToolTipText(kActions[i].tip);
    }
    optAction(0).setValue(true);
    cmdSetMidiEditor.Move(120, 5850, 1200, 375);
    cmdSetMidiEditor.setCaption("S&etup");
    cmdSetMidiEditor.setToolTipText("Click to specify your MIDI editor/notation software");
    cmdClose.Move(5880, 5850, 1200, 375);
    cmdClose.setCaption("C&lose");
}

void frmResults::Form_Load() {
    // Only the Close command chooses a follow-up; a window closed by its frame chooses none
    // (an older choice must not convert again or start a score once more).
    G().ResultAction = ResultNone;
    txtFile.setText(G().MidiFiles(1));
    ShowEstimates();
}

void frmResults::ShowEstimates() {
    const Global& g = G();
    const bool drums = g.BeatDetect != 0;
    for (ui::Label* label : {&lblKey, &lblKey1, &lblTuning, &lblTuning1}) label->setVisible(!drums);
    lblKey1.setCaption(KeyName(g.KeySignature, g.MajorMinor));
    if (lblKey1.Caption().empty()) lblKey.setVisible(false);
    lblTuning1.setCaption(TuningText(g.ReferencePitch));
    lblTempo1.setCaption(TempoText(g.Tempo));
    lblMeter1.setCaption(MeterText(g.TimeSignatureNumerator, g.TimeSignatureDenominator));
}

void frmResults::optAction_Click(int Index) {
    Global& g = G();
    switch (Index) {
        case 0:
            main_window::run(MainWindow().runPlayerCommand);
            break;
        case 1:
            g.MidiFileToEdit = g.MidiFiles(1);
            OpenMidiInEditor();
            break;
        case ResultConvertAgain:
        case ResultBuildScore:
            cmdClose_Click();
            break;
        case 3:
            main_window::run(MainWindow().runProjectCommand);
            break;
        case 4:
            main_window::run(MainWindow().runSaveAsCommand);
            break;
        default:
            break;
    }
}

void frmResults::optAction_DblClick(int Index) {
    optAction_Click(Index);
}

void frmResults::cmdClose_Click() {
    Global& g = G();
    for (int i = 0; i <= 5; ++i)
        if (optAction(i).Value()) g.ResultAction = i;
    if (optAction(ResultConvertAgain).Value() && g.BeatDetect == 0 && g.Constrain == 0) {
        const std::string key = KeyName(g.KeySignature, g.MajorMinor);
        if (!key.empty() &&
            ShowMessage("Do you want to constrain the notes to the specified key of " + key + "?",
                        ui::YesNo + ui::Question, "Converter") == ui::Yes) {
            g.Constrain = 1;
        }
    }
    if (optAction(ResultBuildScore).Value()) {
        g.ScoreBuilderMaster = g.MidiFiles(1);
        g.ScoreBuilderPatch = g.PartPatch[0];
    }
    unload();
}

void frmResults::cmdAdjust_Click() {
    main_window::run(MainWindow().runProjectCommand);
    ShowEstimates();
}

void frmResults::cmdLocate_Click() {
    cdlFile.setFileName(G().MidiFiles(1));
    cdlFile.setFlags(ui::CommonDialog::ShareAware | ui::CommonDialog::NoValidate);
    cdlFile.ShowOpen();  // shows the file in its folder; the choice is not used
}

void frmResults::cmdSetMidiEditor_Click() {
    main_window::run(MainWindow().chooseMidiEditor);
}

}  // namespace velt::desk
