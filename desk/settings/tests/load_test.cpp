// Loading the settings dialog: what every control shows of the project, the hiding by user level
// and note-value style, damaged project values, the beats-per-chord list, and the unloading.
#include <cmath>
#include <limits>

#include "settings_fixture.h"

namespace velt::desk {
namespace {

using test_boxes::Box;

using SettingsLoad = SettingsTest;

std::vector<std::string> rows(const ui::ComboBox& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.ListCount(); ++i) out.push_back(list.List(i));
    return out;
}

TEST_F(SettingsLoad, ControlsShowTheProject) {
    installData();
    Global& g = G();
    g.ProjectFile = "/music/projects/Song.vpr";
    g.Transpose = -14;
    g.Resolution = 1.5849625f;
    g.Controller = 74;
    g.Brightness = 3;  // not in the list
    g.ReferencePitch = 441.3f;
    g.Speed = 120;
    g.Tempo = 97.6f;
    g.TimeSignatureNumerator = 4;
    g.ChordRes = 4;
    g.KeySignature = -3;
    g.MajorMinor = 1;
    g.MidiPat = 24;
    g.Filter = 0;
    g.PitchMode = 1;
    frmProperties& f = dialog();

    EXPECT_FALSE(f.Visible());
    EXPECT_EQ(f.Caption(), "Edit Project - Song");
    EXPECT_EQ(f.txtOctaves.Text(), "-1");
    EXPECT_EQ(f.txtHalfSteps.Text(), "-2");
    EXPECT_EQ(f.cboRes.ListIndex(), 4);
    EXPECT_EQ(f.cboRes.Text(), "Half triplets");
    EXPECT_EQ(f.cboCCVolume.Text(), "74 - Brightness*");
    EXPECT_EQ(f.cboCCBright.Text(), "Disabled");
    EXPECT_EQ(f.txtReferencePitch.Text(), "+5");
    EXPECT_EQ(f.WorkReferencePitch, 441.3f);
    EXPECT_EQ(f.txtSpeed.Text(), "120%");
    EXPECT_EQ(f.txtTempo.Text(), "98");
    EXPECT_EQ(f.txtTimeNum.Text(), "4");
    EXPECT_EQ(rows(f.cboChordRes),
              (std::vector<std::string>{"Auto", "1", "2", "4", "8", "12", "16", "20", "24"}));
    EXPECT_EQ(f.cboKey.ListIndex(), 11);
    EXPECT_EQ(f.cboKey.Text(), "3 flats  - Eb major / C minor");
    EXPECT_TRUE(f.optMajorMinor(1).Value());
    EXPECT_TRUE(f.chkConstrain.Enabled());
    EXPECT_EQ(f.txtKeyMax.Text(), "Db7");  // 85, spelled for the flat key
    EXPECT_EQ(f.cboMidiPatch.Text(), "24 - Acoustic Guitar (nylon)");
    EXPECT_EQ(f.WorkPatch, 24);
    EXPECT_TRUE(f.optFilter(1).Value());
    EXPECT_EQ(f.WorkFilter, 0);
    EXPECT_EQ(f.lblMidiPatch.Caption(), "Instrument in Original Audio:");
    EXPECT_FALSE(f.optBeatDetect(1).Visible());
    EXPECT_TRUE(f.optBeatDetect(0).Value());
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(f.optStereo(i).Visible());
    EXPECT_TRUE(f.cboCCBright.Enabled());  // polyphony 1
    EXPECT_EQ(f.txtPatchMap.Text(), "Example - Piano and Organ");
    EXPECT_EQ(g.EnsActive[1], 1);
    EXPECT_EQ(g.EnsPatch[1], 16);
    // Real-time mode: no audio file.
    EXPECT_EQ(f.CurrentMidiFile, "[Real Time Mode]");
    EXPECT_TRUE(g.AudioFileValid);
    // A project without taps and with automatic tempo keeps "Auto Detect" ticked and fixed.
    EXPECT_EQ(f.chkTempoDetect.Value(), 1);
    EXPECT_FALSE(f.chkTempoDetect.Enabled());
    EXPECT_FALSE(f.cmdApply.Enabled());
    EXPECT_FALSE(g.SettingsApplied);
}

TEST_F(SettingsLoad, OtherValuesOfTheSameControls) {
    Global& g = G();
    struct Case {
        const char* name;
        std::function<void(Global&)> set;
        std::function<void(frmProperties&)> check;
    } cases[] = {
        {"transpose 25", [](Global& p) { p.Transpose = 25; },
         [](frmProperties& f) {
             EXPECT_EQ(f.txtOctaves.Text(), "2");
             EXPECT_EQ(f.txtHalfSteps.Text(), "1");
         }},
        {"eighth notes", [](Global& p) { p.Resolution = 3; },
         [](frmProperties& f) { EXPECT_EQ(f.cboRes.ListIndex(), 7); }},
        {"automatic resolution", [](Global& p) { p.Resolution = -1; },
         [](frmProperties& f) { EXPECT_EQ(f.cboRes.Text(), "Auto Detect"); }},
        {"British names",
         [](Global& p) {
             p.NoteValue = 1;
             p.Resolution = 2;
         },
         [](frmProperties& f) { EXPECT_EQ(f.cboRes.Text(), "Crotchet"); }},
        {"automatic meter", [](Global& p) { p.TimeSignatureNumerator = 0; },
         [](frmProperties& f) {
             EXPECT_EQ(f.txtTimeNum.Text(), "Auto");
             EXPECT_EQ(f.cboChordRes.Text(), "Auto");
         }},
        {"three beats",
         [](Global& p) {
             p.TimeSignatureNumerator = 3;
             p.ChordRes = 0;
         },
         [](frmProperties& f) {
             EXPECT_EQ(rows(f.cboChordRes),
                       (std::vector<std::string>{"Auto", "1", "3", "6", "9", "12", "15", "18", "21",
                                                 "24"}));
         }},
        {"tapped tempo",
         [](Global& p) { p.TempoTaps = std::string("\xF4\x01\xF4\x01\xF4\x01", 6); },
         [](frmProperties& f) {
             EXPECT_TRUE(f.chkTempoDetect.Enabled());
             EXPECT_EQ(f.BeatCount, 3);
             EXPECT_EQ(f.lblBeatCountVal.Caption(), "3");  // numerator "Auto"
         }},
        {"basic user, no playback editing",
         [](Global& p) {
             p.UserLevel = 0;
             p.PlayEdit = 0;
         },
         [](frmProperties& f) {
             EXPECT_TRUE(f.lblBlank.Visible());
             for (ui::Control* c : std::initializer_list<ui::Control*>{
                      &f.fraThreshold, &f.fraDetect, &f.chkAGC, &f.sldGain, &f.lblVolume,
                      &f.cmdGainZero, &f.fraTimeRange, &f.chkPitchBend})
                 EXPECT_FALSE(c->Visible()) << c->Name();
         }},
        {"basic user", [](Global& p) { p.UserLevel = 0; },
         [](frmProperties& f) {
             EXPECT_TRUE(f.fraNoteRange.Visible());
             EXPECT_TRUE(f.chkPitchBend.Visible());
             EXPECT_FALSE(f.fraTranspose.Visible());
         }},
        {"notes per beat",
         [](Global& p) {
             p.Transcribe = 0;
             p.TimeSignatureDenominator = 3;
         },
         [](frmProperties& f) {
             EXPECT_EQ(f.lblRes.Caption(), "Notes Per Beat:");
             EXPECT_EQ(rows(f.cboRes),
                       (std::vector<std::string>{"Auto Detect", " .125", " .1875", " .25", " .375",
                                                 " .5", " .75", " 1", " 1.5", " 2", " 3", " 4",
                                                 " 6", " 8", " 12", " 16", " 24"}));
             EXPECT_FALSE(f.fraKey.Visible());
             EXPECT_FALSE(f.fraMeter.Visible());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetGlobal();
        g.InstallFolder = (dir / "install").string() + "/";
        g.TempFolder = (dir / "temp").string();
        c.set(g);
        c.check(dialog());
        ui::Release<frmProperties>();
    }
}

TEST_F(SettingsLoad, DamagedValuesTakeTheControlsNeutralChoice) {
    installData();
    std::filesystem::remove_all(dir / "install" / "Ensembles");
    Global& g = G();
    g.TimeSignatureDenominator = 9;  // no such row: the quarter note
    g.Transcribe = 0;                // the resolution rows divide by the beat value
    g.Resolution = 20;
    g.MajorMinor = 5;
    g.KeySignature = 40;
    g.MidiPat = 500;
    g.Filter = 3;
    g.PartPatch[0] = 500;  // past the instrument list: no name
    g.ReferencePitch = std::numeric_limits<float>::quiet_NaN();
    g.Gain = 5000;
    g.OutputThreshold = 80;
    g.InputThreshold = -7;
    g.StereoPan = 1000;
    g.KeyMax = 300;
    g.KeyMin = -20;
    g.Transpose = std::numeric_limits<int32_t>::min();
    g.Tempo = 1e30f;
    frmProperties& f = dialog();

    EXPECT_EQ(f.cboTimeDenom.Text(), "4");
    EXPECT_EQ(f.cboRes.ListIndex(), 0);
    EXPECT_EQ(f.cboRes.List(1), " .25");
    EXPECT_TRUE(f.optMajorMinor(0).Value());
    EXPECT_EQ(f.cboKey.ListIndex(), 0);
    EXPECT_EQ(f.cboMidiPatch.ListIndex(), 0);
    EXPECT_TRUE(f.optFilter(0).Value());
    EXPECT_EQ(f.WorkFilter, -1);
    EXPECT_EQ(f.txtPatchMap.Text(), "");
    EXPECT_EQ(g.ReferencePitch, 440.0f);
    EXPECT_EQ(f.txtReferencePitch.Text(), "0");
    EXPECT_EQ(f.sldGain.Value(), -400);
    EXPECT_EQ(g.Gain, 5000);  // the project keeps it
    EXPECT_EQ(g.OutputThreshold, 63);
    EXPECT_EQ(f.sldOutputThreshold.Value(), -63);
    EXPECT_EQ(f.sldInputThreshold.Value(), -1);
    EXPECT_EQ(f.sldStereoPan.Value(), 50);
    EXPECT_EQ(f.WorkKeyMax, 127);
    EXPECT_EQ(f.WorkKeyMin, 0);
    EXPECT_EQ(f.txtKeyMax.Text(), "G10");
    EXPECT_EQ(f.txtKeyMin.Text(), "C0");
    EXPECT_EQ(f.txtTempo.Text(), "1080");
}

TEST_F(SettingsLoad, MissingDataFilesLeaveEmptyListsAndDefaults) {
    Global& g = G();
    g.MidiPat = 24;
    g.Filter = 0;
    frmProperties& f = dialog();
    EXPECT_EQ(f.cboMidiPatch.ListCount(), 0);
    EXPECT_FALSE(f.optFilter(0).Enabled());
    EXPECT_FALSE(f.optFilter(1).Enabled());
    EXPECT_EQ(f.WorkFilter, -1);
    EXPECT_EQ(f.txtPatchMap.Text(), "");
    EXPECT_EQ(g.EnsActive, G().PartActive);
}

TEST_F(SettingsLoad, HiddenWhileTheWizardRunsAndAskedForAudioAfterApply) {
    Global& g = G();
    g.WizardRunning = true;
    frmProperties& f = dialog();
    EXPECT_FALSE(f.Visible());
    const std::string take = sox("take.wav");
    f.CurrentAudioFile = take;
    f.AddToFileList();
    EXPECT_EQ(f.cboAudioFile.List(0), "1. take");
    f.cmdOK_Click();
    EXPECT_TRUE(f.loaded());  // only hidden
    EXPECT_FALSE(f.Visible());
    EXPECT_EQ(g.AudioFiles(1), take);

    // Without the wizard, closing after Apply without a usable audio file asks first.
    g.WizardRunning = false;
    g.AudioFileValid = false;
    f.Show();
    f.cmdApply_Click();
    g.AudioFileValid = false;
    const auto question =
        Box("You must specify a supported audio file before running the converter.  Do you want to "
            "specify one now?",
            "Edit Project", 32);
    ui.expectBox(question).answer(ui::Yes);
    f.cmdCancel_Click();
    EXPECT_TRUE(f.loaded());
    EXPECT_EQ(f.tabProperties.Tab(), 0);
    ui.expectBox(question).answer(ui::No);
    f.cmdCancel_Click();
    EXPECT_FALSE(f.loaded());
}

}  // namespace
}  // namespace velt::desk
