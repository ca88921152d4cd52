// Handlers of the lists, check boxes, option groups and buttons.
#include "desk/core/global.h"
#include "desk/core/shared/data_lists.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/core/window_links/wizard_pages.h"
#include "desk/settings/data_files.h"
#include "desk/settings/frm_properties.h"
#include "desk/settings/numbers.h"

namespace velt::desk {

void frmProperties::cboCCBright_Click() {
    edited();
}
void frmProperties::cboCCVolume_Click() {
    edited();
}
void frmProperties::cboChordRes_Click() {
    edited();
}
void frmProperties::cboRes_Click() {
    edited();
}
void frmProperties::cboTimeDenom_Click() {
    edited();
}
void frmProperties::chkAGC_Click() {
    edited();
}
void frmProperties::chkAutoDetectNote_Click() {
    edited();
}
void frmProperties::chkConstrain_Click() {
    edited();
}
void frmProperties::chkPitchBend_Click() {
    edited();
}
void frmProperties::chkTrackTempo_Click() {
    edited();
}
void frmProperties::chkVelocityOff_Click() {
    edited();
}
void frmProperties::chkVelocityOn_Click() {
    edited();
}
void frmProperties::optMajorMinor_Click(int) {
    edited();
}

void frmProperties::chkAutoTiming_Click() {
    edited();
    if (chkAutoTiming.Value() == 1) chkEntireRange.setValue(1);
}

void frmProperties::chkEntireRange_Click() {
    edited();
    CheckEntireRange();
}

void frmProperties::chkTempoDetect_Click() {
    edited();
    if (chkTempoDetect.Value() != 1) return;
    if (G().WizardRunning) cboRes.setListIndex(0);
    chkEntireRange.setValue(1);
}

void frmProperties::optStereo_Click(int Index) {
    edited();
    bool balance = Index != 1;
    for (ui::Control* c :
         std::initializer_list<ui::Control*>{&sldStereoPan, &cmdStereoPanZero, &lblLeft, &lblRight})
        c->setEnabled(balance);
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

void frmProperties::cmdsndKey_Click() {
    PlaySound(0, -1);
}
void frmProperties::cmdsndKeyMax_Click() {
    PlaySound(1, -1);
}
void frmProperties::cmdsndKeyMin_Click() {
    PlaySound(2, -1);
}
void frmProperties::cmdsndFilter_Click() {
    PlaySound(4, -1);
}

void frmProperties::cmdSpeedZero_Click() {
    txtSpeed.setText("100");
    SetSpeedGauge();
}

void frmProperties::cmdStereoPanZero_Click() {
    sldStereoPan.setValue(0);
    edited();
}

void frmProperties::MMControl_Done(int) {
    if (G().WizardRunning)
        WizardFiles().stopPlayback();
    else
        cmdStop_Click();
}

void frmProperties::tabProperties_Click(int) {
    if (cmdTempoTapper.Enabled()) {
        TapCount = -2;
        cmdStop_Click();
    }
}

void frmProperties::cmdCD_Click() {
    Global& g = G();
    // While the wizard runs, the window adds the track to the list itself; that list click
    // must not take back the flag the window has just set.
    cdShowing_ = true;
    CallHook(Windows().showCdWindow);
    cdShowing_ = false;
    if (!g.CDTransferDone) return;
    g.AudioFolder = FolderOf(CurrentAudioFile);
    g.WaveReady = false;
    GetWaveInfo(CurrentAudioFile);
    chkEntireRange.setValue(1);
    WorkTaps.clear();
    CheckTempoStatus();
    chkTempoDetect.setValue(1);
    SetWaveParms();
    AddToFileList();
}

void frmProperties::cmdRecord_Click() {
    Global& g = G();
    const std::string start = txtStartPoint.Text(), end = txtEndPoint.Text();
    g.RecordingSaved = false;
    CallHook(Windows().showRecorder);
    if (g.RecordingSaved) {
        PreviousAudioFile = CurrentAudioFile;
        g.WaveReady = true;
        AddToFileList();
    }
    if (g.RecordMark != "-") {
        chkEntireRange.setValue(1);
        WorkTaps.clear();
        CheckTempoStatus();
        chkTempoDetect.setValue(g.RecordMark == "N" ? 1 : 0);
    } else {
        txtStartPoint.setText("00:00:00");
        txtStartPoint_LostFocus();
        txtEndPoint.setText(end);
        txtEndPoint_LostFocus();
        txtStartPoint.setText(start);
        txtStartPoint_LostFocus();
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
