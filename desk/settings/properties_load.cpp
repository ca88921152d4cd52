// Loading the settings dialog, hiding by user level, the beats-per-chord list, the per-file
// defaults, the gauges and the unloading.
#include <cmath>
#include <cstdio>

#include "desk/core/global.h"
#include "desk/core/shared/data_lists.h"
#include "desk/core/shared/drum_kit_file.h"
#include "desk/core/shared/ensemble_file.h"
#include "desk/core/shared/file_lists.h"
#include "desk/core/shared/key_names.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/settings/data_files.h"
#include "desk/settings/frm_properties.h"
#include "desk/settings/numbers.h"
#include "platform/midi_out/midi_out.h"

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

const char* const kControllerRows[] = {"Disabled",
                                       " 1 - Modulation",
                                       " 2 - Breath controller*",
                                       " 4 - Foot pedal*",
                                       " 5 - Portamento time*",
                                       " 7 - Volume",
                                       " 8 - Balance*",
                                       "10 - Pan position",
                                       "11 - Expression",
                                       "71 - Timbre*",
                                       "72 - Release Time*",
                                       "73 - Attack Time*",
                                       "74 - Brightness*",
                                       "75 - Decay Time*",
                                       "76 - Vibrato Rate*",
                                       "77 - Vibrato Depth*",
                                       "78 - Vibrato Delay*",
                                       "91 - Effects depth",
                                       "92 - Tremolo depth",
                                       "93 - Chorus depth",
                                       "94 - Celeste depth",
                                       "95 - Phase depth"};

const char* const kAmericanValues[] = {
    "Whole",     "Half",          "Quarter",      "Eighth",
    "Sixteenth", "Thirty-second", "Sixty-fourth", "Hundred twenty-eighth"};
const char* const kBritishValues[] = {
    "Semibreve",  "Minim",          "Crotchet",           "Quaver",
    "Semiquaver", "Demisemiquaver", "Hemidemisemiquaver", "Quasihemidemisemiquaver"};

constexpr int32_t kTonicNotes[15] = {61, 66, 59, 64, 57, 62, 55, 60, 65, 58, 63, 56, 61, 66, 59};

// A number as the classic Str writes it: a blank where a plus sign would stand, no zero before
// the decimal point, up to seven significant digits.
std::string StrNumber(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.7g", std::fabs(v));
    std::string digits = buf;
    if (digits.rfind("0.", 0) == 0) digits.erase(0, 1);
    return (v < 0 ? "-" : " ") + digits;
}

// A check box from a stored switch: older files keep -1 for on.
int checkValue(int32_t stored) {
    return stored == 0 ? 0 : 1;
}

// Selects the first controller row whose leading number is `value`, else "Disabled".
void selectController(ui::ComboBox& list, int32_t value) {
    for (const char* row : kControllerRows) list.AddItem(row);
    int found = 0;
    for (int i = 1; i < list.ListCount(); ++i)
        if (ToLong(Val(list.List(i))) == value) {
            found = i;
            break;
        }
    list.setListIndex(found);
}

}  // namespace

void frmProperties::Form_Load() {
    Global& g = G();
    Loading = true;
    tabProperties.setTab(0);
    setCaption(g.ProjectFile.empty() ? "Edit Project"
                                     : "Edit Project - " + BaseNameOf(g.ProjectFile));
    g.SettingsApplied = false;

    // Meter first: the numerator's change handler builds the beats-per-chord list.
    txtTimeNum.setText(g.TimeSignatureNumerator == 0 ? "Auto"
                                                     : std::to_string(g.TimeSignatureNumerator));
    cboChordRes.setText(g.ChordRes == 0 ? "Auto" : std::to_string(g.ChordRes));
    // A denominator that has no row shows the quarter note: the resolution rows divide by it.
    int32_t denominator = g.TimeSignatureDenominator;
    if (denominator < 0 || denominator >= cboTimeDenom.ListCount()) denominator = 2;
    cboTimeDenom.setListIndex(denominator);

    HideControls();

    for (int i = 0; i < 15; ++i) TonicNotes[i] = kTonicNotes[i];

    chkTempoDetect.setValue(checkValue(g.TempoDetect));
    chkAutoTiming.setValue(checkValue(g.AutoTiming));

    // Audio list.
    AudioList.assign(1, "");
    cboAudioFile.Clear();
    for (int32_t i = 1; i <= g.AudioFileCount; ++i) {
        AudioList.push_back(g.AudioFiles(i));
        cboAudioFile.AddItem(FileListRow(i, g.AudioFiles(i)));
    }
    if (g.AudioFileCount > 0) {
        CurrentAudioFile = PreviousAudioFile = AudioList[1];
        cboAudioFile.setListIndex(0);
    } else {
        CurrentAudioFile.clear();
        PreviousAudioFile.clear();
    }

    // Time range.
    float start = std::isfinite(g.StartPoint) ? g.StartPoint : 0;
    float end = std::isfinite(g.EndPoint) ? g.EndPoint : 3600;
    if (start < 0) {
        txtStartPoint.setText(FormatHMS(0));
        sldTimeRange.setSelStart(0);
    } else {
        txtStartPoint.setText(FormatHMS(FloorLong(start)));
        sldTimeRange.setSelStart(FloorLong(start));
    }
    WorkStart = start;
    txtEndPoint.setText(FormatHMS(std::max(0, FloorLong(end))));
    sldTimeRange.setSelLength(start < 0 ? ToLong(end) : ToLong(end - start));
    chkEntireRange.setValue(checkValue(g.EntireAudio));

    for (int i = 0; i < 4; ++i) optStereo(i).setVisible(false);

    // A reference pitch that is no pitch (0, negative, not a number) is taken as 440 Hz.
    if (!(g.ReferencePitch > 0) || !std::isfinite(g.ReferencePitch)) g.ReferencePitch = 440;
    g.AudioLength = end;
    WorkKeyMax = g.KeyMax;
    WorkKeyMin = g.KeyMin;
    VirtualSampleRate = 44100;
    WorkReferencePitch = g.ReferencePitch;
    VirtualSRChange();
    WorkTaps.clear();
    CheckTempoStatus();
    g.WaveReady = false;
    GetWaveInfo(CurrentAudioFile);

    sldStereoPan.setValue(ToLong(static_cast<double>(g.StereoPan) - 50));
    txtReferencePitch.setText(
        std::to_string(ToInteger(1200 * std::log2(g.ReferencePitch / 440.0))));
    txtPitchMode.setText(std::to_string(g.PitchMode));
    chkPitchBend.setValue(checkValue(g.PitchBend));
    WorkKeyMax = g.KeyMax;
    VirtualSRChange();
    chkAutoDetectNote.setValue(checkValue(g.AutoDetectNote));

    int32_t octaves = g.Transpose / 12;  // toward zero
    txtOctaves.setText(std::to_string(octaves));
    txtHalfSteps.setText(std::to_string(g.Transpose - octaves * 12));

    cboKey.Clear();
    for (const char* row : kKeyRows) cboKey.AddItem(row);
    int64_t keyRow = 8 - static_cast<int64_t>(g.KeySignature);
    cboKey.setListIndex(keyRow >= 0 && keyRow < cboKey.ListCount() ? static_cast<int>(keyRow) : 0);
    optMajorMinor(g.MajorMinor == 1 ? 1 : 0).setValue(true);
    chkConstrain.setValue(checkValue(g.Constrain));
    chkTrackTempo.setValue(checkValue(g.TempoTrack));

    WorkTaps = g.TempoTaps;
    if (g.TempoTaps.empty() && chkTempoDetect.Value() != 0) chkTempoDetect.setEnabled(false);
    CheckTempoStatus();

    WorkTempo = g.Tempo;
    txtTempo.setText(std::to_string(ToInteger(g.Tempo)));
    SetTempoGauge();
    txtSpeed.setText(std::to_string(g.Speed));

    // A resolution that has no row shows "Auto Detect".
    int row = 0;
    if (g.Resolution >= 0 && std::isfinite(g.Resolution)) {
        int32_t r = FloorLong(2.0 * g.Resolution) + 1;
        row = r < cboRes.ListCount() ? r : 0;
    }
    cboRes.setListIndex(row);

    sldInputThreshold.setValue(ToLong(-static_cast<double>(g.InputThreshold)));
    if (g.OutputThreshold >= 64) g.OutputThreshold = 63;
    sldOutputThreshold.setValue(ToLong(-static_cast<double>(g.OutputThreshold)));
    chkVelocityOn.setValue(checkValue(g.VelocityOn));
    chkVelocityOff.setValue(checkValue(g.VelocityOff));
    chkAGC.setValue(checkValue(g.Compress));
    sldGain.setValue(-std::clamp(g.Gain, 25, 400));

    cboCCVolume.Clear();
    selectController(cboCCVolume, g.Controller);

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
    cboCCBright.Clear();
    selectController(cboCCBright, g.Brightness);

    // Instrument list from "filter.txt"; a patch it doesn't list selects row 0.
    cboMidiPatch.Clear();
    std::vector<std::string> filterLines = ReadDataLines(FilterListFile());
    if (FileExists(FilterListFile())) {
        for (const std::string& line : filterLines) cboMidiPatch.AddItem(ListEntry(line));
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

    optBeatDetect(1).setVisible(false);
    optBeatDetect(0).setValue(true);

    if (g.Filter >= 0 && WorkFilter >= 0) {
        optFilter(1).setValue(true);
    } else {
        optFilter(0).setValue(true);
        WorkFilter = -1;
    }

    // Working ensemble.
    auto takeCommitted = [&g] {
        for (int i = 0; i < PartCount; ++i) {
            g.EnsActive[i] = g.PartActive[i];
            g.EnsChannel[i] = g.PartChannel[i];
            g.EnsTrack[i] = g.PartTrack[i];
            g.EnsPoly[i] = g.PartPoly[i];
            g.EnsPatch[i] = g.PartPatch[i];
            g.EnsKeyMax[i] = g.PartKeyMax[i];
            g.EnsKeyMin[i] = g.PartKeyMin[i];
        }
    };
    if (!g.Ensemble.empty()) {
        txtPatchMap.setText(g.Ensemble);
        takeCommitted();
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
            if (line >= 0 && line < static_cast<int32_t>(filterLines.size())) {
                const std::string& text = filterLines[static_cast<size_t>(line)];
                size_t dash = text.find(" - ");
                if (dash != std::string::npos) {
                    std::string rest = text.substr(dash + 3);
                    name = rest.substr(0, rest.find(','));
                }
            }
            txtPatchMap.setText(name);
            takeCommitted();
        }
    }

    if (g.ResultAction == ResultBuildScore) g.EnsPatch[0] = g.ScoreBuilderPatch;

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

void frmProperties::LoadChordRes(const int32_t& beats) {
    int32_t standard = beats % 2 == 0 ? beats / 2 : beats;
    cboChordRes.Clear();
    cboChordRes.AddItem("Auto");
    cboChordRes.AddItem("1");
    cboChordRes.setListIndex(1);
    if (Val(txtTimeNum.Text()) == 0) {
        cboChordRes.setListIndex(0);
        return;
    }
    for (int32_t d = 2; d <= beats; ++d) {
        if (beats % d != 0) continue;
        cboChordRes.AddItem(std::to_string(d));
        if (d == standard) cboChordRes.setListIndex(cboChordRes.ListCount() - 1);
    }
    if (beats <= 0) return;
    for (int32_t m = 2 * beats; m < 25; m += beats) cboChordRes.AddItem(std::to_string(m));
}

void frmProperties::SetWaveParms() {
    if (CurrentAudioFile.empty()) {
        chkAutoDetectNote.setValue(0);
        sldOutputThreshold.setValue(-5);
    } else if (PreviousAudioFile.empty()) {
        if (Val(txtPitchMode.Text()) > 1) chkAutoDetectNote.setValue(1);
        sldOutputThreshold.setValue(-5);
    }
}

// The needles stay on their dials, also for a number still being typed ("1" on the way to 120).
void frmProperties::SetTempoGauge() {
    int16_t value = std::clamp<int16_t>(ToInteger(Val(txtTempo.Text())), 5, 235);
    auto cx = ToInteger(gauTempo.Left() + gauTempo.Width() / 2);
    auto cy = ToInteger(gauTempo.Top() + gauTempo.Height() / 2);
    gauTempoLine.setEnds(ArcX(cx, 235, 5, value), ArcY(cy, 235, 5, value), cx, cy);
}

void frmProperties::SetSpeedGauge() {
    int16_t value = std::clamp<int16_t>(ToInteger(Val(txtSpeed.Text())), 25, 400);
    auto cx = ToInteger(gauSpeed.Left() + gauSpeed.Width() / 2);
    auto cy = ToInteger(gauSpeed.Top() + gauSpeed.Height() / 2);
    gauSpeedLine.setEnds(ArcX(cx, 400, 25, value), ArcY(cy, 400, 25, value), cx, cy);
    edited();
}

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

void frmProperties::CheckTempoStatus() {
    if (!WorkTaps.empty()) {
        BeatCount = static_cast<int32_t>(WorkTaps.size() / 2);
        int32_t beats = ToLong(Val(txtTimeNum.Text()));
        if (G().Transcribe != 0 && beats > 0)
            lblBeatCountVal.setCaption(std::to_string(BeatCount / beats + 1) + ":" +
                                       std::to_string(BeatCount % beats + 1));
        else
            lblBeatCountVal.setCaption(std::to_string(BeatCount));
    } else {
        BeatCount = 0;
        lblBeatCountVal.setCaption("");
    }
}

void frmProperties::ReadEnsembleRows(const std::string& file) {
    Global& g = G();
    EnsembleFile ensemble = ReadEnsembleFile(file);
    for (int i = 0; i < PartCount; ++i) {
        const EnsembleRow& row = ensemble.rows[static_cast<size_t>(i)];
        g.EnsActive[i] = row.active;
        g.EnsChannel[i] = row.channel;
        g.EnsTrack[i] = row.track;
        g.EnsPoly[i] = row.poly;
        g.EnsPatch[i] = row.patch;
        g.EnsKeyMin[i] = row.keyMin;
        g.EnsKeyMax[i] = row.keyMax;
    }
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

void frmProperties::Form_Unload(int& Cancel) {
    Global& g = G();
    if (g.WizardRunning) {
        Cancel = 1;
        Hide();
        return;
    }
    tmrMidi_Timer();
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

// Layouts that the load shows.

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

}  // namespace velt::desk
