// Apply, OK, Cancel and Help: the one place where the dialog's values reach the project.
#include <cmath>

#include "desk/core/global.h"
#include "desk/core/help_topics.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/core/shared/tools.h"
#include "desk/settings/frm_properties.h"
#include "desk/settings/numbers.h"

namespace velt::desk {

void frmProperties::cmdApply_Click() {
    Global& g = G();
    cmdStop_Click();
    g.ProjectChanged = true;
    g.SettingsApplied = true;
    if (MainWindow().enableSave) MainWindow().enableSave(true);

    g.AudioFileCount = cboAudioFile.ListCount();
    g.AudioFiles.redim(g.AudioFileCount);
    for (int32_t i = 1; i <= g.AudioFileCount; ++i)
        g.AudioFiles(i) =
            i < static_cast<int32_t>(AudioList.size()) ? AudioList[static_cast<size_t>(i)] : "";

    g.EntireAudio = chkEntireRange.Value();
    // A time box left with a time that doesn't parse (its check reported it and kept the focus)
    // keeps the project's time: -1 is no time. An unedited box keeps the fractional start, and a
    // start the tapping padded to before the audio (the box shows 00:00:00).
    int32_t start = ParseHMS(txtStartPoint.Text());
    if (start >= 0)
        g.StartPoint =
            WorkStart >= 0 && start != FloorLong(WorkStart) ? static_cast<float>(start) : WorkStart;
    int32_t end = ParseHMS(txtEndPoint.Text());
    if (end >= 0)
        g.EndPoint = end == FloorLong(g.AudioLength) ? g.AudioLength : static_cast<float>(end);
    g.StereoPan = sldStereoPan.Value() + 50;

    int16_t cents = ToInteger(1200 * std::log2(WorkReferencePitch / 440.0));
    if (Val(txtReferencePitch.Text()) != cents)
        g.ReferencePitch =
            static_cast<float>(440.0 * std::exp2(Val(txtReferencePitch.Text()) / 1200.0));

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
    g.TempoDetect = chkTempoDetect.Value();
    g.TempoTrack = chkTrackTempo.Value();
    g.TempoTaps = WorkTaps;
    g.Tempo = WorkTempo;
    g.Speed = ToLong(Val(txtSpeed.Text()));
    g.TimeSignatureNumerator = ToLong(Val(txtTimeNum.Text()));
    g.TimeSignatureDenominator = cboTimeDenom.ListIndex();

    int row = cboRes.ListIndex();
    if (row <= 0) {
        g.Resolution = -1;
    } else {
        double r = (row - 1) / 2.0;
        if (r != std::floor(r)) r += 0.084962500721156;
        g.Resolution = static_cast<float>(r);
    }
    g.ChordRes = ToLong(Val(cboChordRes.Text()));
    g.AutoTiming = chkAutoTiming.Value();
    g.InputThreshold = -sldInputThreshold.Value();
    g.OutputThreshold = -sldOutputThreshold.Value();
    g.VelocityOn = chkVelocityOn.Value();
    g.VelocityOff = chkVelocityOff.Value();
    g.Controller = ToLong(Val(cboCCVolume.Text()));
    g.Compress = chkAGC.Value();
    g.Gain = -sldGain.Value();

    g.MidiFiles.redim(g.AudioFileCount);
    for (int32_t i = 1; i <= g.AudioFileCount; ++i)
        g.MidiFiles(i) =
            i < static_cast<int32_t>(MidiList.size()) ? MidiList[static_cast<size_t>(i)] : "";
    g.MidiChan = ChannelInBox();
    g.Filter = WorkFilter;
    g.MidiPat = WorkPatch;
    g.Brightness = ToLong(Val(cboCCBright.Text()));
    g.Ensemble = txtPatchMap.Text();
    g.AutoEnsName = g.EnsAutoName;
    g.DrumKit = g.EnsDrumKit;
    g.KitName = g.EnsKitName;
    g.MasterFile = g.RecMasterFile;
    for (int i = 0; i < PartCount; ++i) {
        g.PartActive[i] = g.EnsActive[i];
        g.PartChannel[i] = g.EnsChannel[i];
        g.PartTrack[i] = g.EnsTrack[i];
        g.PartPoly[i] = g.EnsPoly[i];
        g.PartPatch[i] = g.EnsPatch[i];
        g.PartKeyMax[i] = g.EnsKeyMax[i];
        g.PartKeyMin[i] = g.EnsKeyMin[i];
    }
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

void frmProperties::cmdGainZero_Click() {
    sldGain.setValue(-100);
    edited();
}

void frmProperties::ResetGainSlider() {
    sldGain.setValue(-100);
}

}  // namespace velt::desk
