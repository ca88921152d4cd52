// Applying the settings: the map from the dialog's controls to the project with its encodings,
// OK without an edit, and the whole road from Edit Project to a saved project that the program
// converts from the command line.
#include <cmath>

#include "main_window_fixture.h"
#include "midicsv_reader.h"
#include "platform/profile/profile.h"
#include "settings_fixture.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;

using SettingsApply = SettingsTest;

TEST_F(SettingsApply, ControlsReachTheProjectWithTheirEncodings) {
    Global& g = G();
    g.ReferencePitch = 441.3f;
    g.StartPoint = -1.5f;
    g.EndPoint = 185.37f;
    g.EntireAudio = 0;
    frmProperties& f = dialog();
    bool saveEnabled = false;
    MainWindow().enableSave = [&](bool on) { saveEnabled = on; };

    struct Case {
        const char* name;
        std::function<void()> edit;
        std::function<void()> check;
    } cases[] = {
        {"transposition",
         [&] {
             f.txtOctaves.setText("-1");
             f.txtHalfSteps.setText("-2");
         },
         [&] { EXPECT_EQ(g.Transpose, -14); }},
        {"tuning left alone keeps its Hz", [] {}, [&] { EXPECT_EQ(g.ReferencePitch, 441.3f); }},
        {"tuning in cents", [&] { f.txtReferencePitch.setText("10"); },
         [&] { EXPECT_NEAR(g.ReferencePitch, 442.55, 0.005); }},
        {"whole triplets", [&] { f.cboRes.setListIndex(2); },
         [&] { EXPECT_FLOAT_EQ(g.Resolution, 0.5849625f); }},
        {"quarter notes", [&] { f.cboRes.setListIndex(5); },
         [&] { EXPECT_FLOAT_EQ(g.Resolution, 2.0f); }},
        {"automatic resolution", [&] { f.cboRes.setListIndex(0); },
         [&] { EXPECT_EQ(g.Resolution, -1.0f); }},
        {"time range of the loaded project", [] {},
         [&] {
             EXPECT_EQ(g.StartPoint, -1.5f);  // the box still shows 00:00:00
             EXPECT_EQ(g.EndPoint, 185.37f);  // 00:03:05 is the whole seconds of the length
         }},
        {"a start typed",
         [&] {
             f.txtStartPoint.setText("00:00:07");
             f.txtStartPoint_LostFocus();
             f.txtEndPoint.setText("00:02:00");
         },
         [&] {
             EXPECT_EQ(g.StartPoint, 7.0f);
             EXPECT_EQ(g.EndPoint, 120.0f);
         }},
        {"key, mode, balance and levels",
         [&] {
             f.cboKey.setListIndex(10);
             f.optMajorMinor(1).setValue(true);
             f.sldStereoPan.setValue(-20);
             f.sldInputThreshold.setValue(-200);
             f.sldOutputThreshold.setValue(-12);
             f.sldGain.setValue(-150);
             f.cboCCVolume.setListIndex(5);
             f.cboCCBright.setListIndex(0);
             f.txtChannel.setText("5");
             f.txtSpeed.setText("150");
             f.txtTimeNum.setText("3");
         },
         [&] {
             EXPECT_EQ(g.KeySignature, -2);
             EXPECT_EQ(g.AutoDetectKey, 0);
             EXPECT_EQ(g.MajorMinor, 1);
             EXPECT_EQ(g.StereoPan, 30);
             EXPECT_EQ(g.InputThreshold, 200);
             EXPECT_EQ(g.OutputThreshold, 12);
             EXPECT_EQ(g.Gain, 150);
             EXPECT_EQ(g.Controller, 7);
             EXPECT_EQ(g.Brightness, 0);
             EXPECT_EQ(g.MidiChan, 5);
             EXPECT_EQ(g.Speed, 150);
             EXPECT_EQ(g.TimeSignatureNumerator, 3);
             EXPECT_EQ(g.ChordRes, 3);
         }},
        {"automatic key", [&] { f.cboKey.setListIndex(0); },
         [&] {
             EXPECT_EQ(g.KeySignature, 8);
             EXPECT_EQ(g.AutoDetectKey, 1);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.edit();
        f.cmdApply.setEnabled(true);
        f.cmdApply_Click();
        c.check();
        EXPECT_FALSE(f.cmdApply.Enabled());
        EXPECT_TRUE(g.SettingsApplied);
        EXPECT_TRUE(g.ProjectChanged);
        EXPECT_TRUE(saveEnabled);
    }
    MainWindow().enableSave = nullptr;
}

TEST_F(SettingsApply, OkWithoutAnEditCommitsNothingAndEveryFileIsCommitted) {
    Global& g = G();
    g.KeyMax = 90;
    frmProperties& f = dialog();
    f.WorkKeyMax = 70;  // no handler ran: not an edit
    f.cmdOK_Click();
    EXPECT_FALSE(f.loaded());
    EXPECT_EQ(g.KeyMax, 90);
    EXPECT_FALSE(g.SettingsApplied);
    ui::Release<frmProperties>();

    frmProperties& again = dialog();
    std::vector<std::string> takes;
    for (int i = 1; i <= 5; ++i) {
        takes.push_back(sox("take " + std::to_string(i) + ".wav"));
        again.CurrentAudioFile = takes.back();
        again.AddToFileList();
    }
    again.cmdOK_Click();
    ASSERT_EQ(g.AudioFileCount, 5);
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(g.AudioFiles(i), takes[static_cast<size_t>(i - 1)]);
        EXPECT_EQ(g.MidiFiles(i), (dir / ("take " + std::to_string(i) + ".mid")).string());
    }
}

class SettingsEndToEnd : public MainWindowTest {};

TEST_F(SettingsEndToEnd, EditedProjectIsSavedAndConvertsFromTheCommandLine) {
    frmMain& f = start();
    const std::string tone = (dir / "music" / "a4 tone.wav").string();
    ASSERT_TRUE(soxWave(tone, "synth 3 sine 440 vol 0.5"));
    enableProjectEditing(f);
    // A project with a fixed tempo (automatic tempo stays on until one is tapped or opened).
    G().TempoDetect = 0;

    ui.onModal<frmProperties>([&](frmProperties& p, ui::test::User& u) {
        ui.expectFileDialog({.title = "Select Audio File", .flags = 4}).choose(tone);
        u.click(p.cmdWaveBrowse);
        u.selectTab(p.tabProperties, 1);
        u.type(p.txtPitchMode, "1");
        u.selectTab(p.tabProperties, 2);
        EXPECT_EQ(p.chkTempoDetect.Value(), 1);  // a new audio file detects its tempo
        u.click(p.chkTempoDetect);
        u.type(p.txtTempo, "90");
        u.type(p.txtTimeNum, "4");
        u.click(p.cmdOK);
    });
    editProjectWithoutConverting(f);

    const std::string project = (dir / "a4 tone.vpr").string();
    saveProjectAs(f, project);
    ASSERT_TRUE(fs::exists(project));
    using platform::profile::readInt;
    using platform::profile::readString;
    EXPECT_EQ(readString("audio", "AudioFile", "", project), tone);
    EXPECT_EQ(readString("midi", "MidiFile", "", project),
              (dir / "music" / "a4 tone.mid").string());
    EXPECT_EQ(readInt("pitch", "PitchMode", -1, project), 1);
    EXPECT_EQ(readInt("timing", "TempoDetect", -1, project), 0);
    EXPECT_EQ(readString("timing", "Tempo", "", project), "90");
    EXPECT_EQ(readInt("timing", "TimeSignatureNumerator", -1, project), 4);

    EXPECT_EQ(convertFromCommandLine(project), 0);
    const std::string mid = (dir / "music" / "a4 tone.mid").string();
    ASSERT_TRUE(fs::exists(mid));
    EXPECT_TRUE(test::readMidi(mid).hasNote(0, 69));
}

TEST_F(SettingsEndToEnd, AChannelSetInTheDialogCarriesTheNotes) {
    frmMain& f = start();
    const std::string melody = (dir / "music" / "melody.wav").string();
    ASSERT_TRUE(soxWave(melody,
                        "synth 0.6 sine 440 vol 0.5 : synth 0.6 sine 523.25 vol 0.5 :"
                        " synth 0.6 sine 659.26 vol 0.5 : synth 0.6 sine 392 vol 0.5"));
    enableProjectEditing(f);
    G().TempoDetect = 0;

    ui.onModal<frmProperties>([&](frmProperties& p, ui::test::User& u) {
        ui.expectFileDialog({.title = "Select Audio File"}).choose(melody);
        u.click(p.cmdWaveBrowse);
        u.selectTab(p.tabProperties, 1);
        u.type(p.txtPitchMode, "1");
        u.selectTab(p.tabProperties, 2);
        u.click(p.chkTempoDetect);
        u.type(p.txtTimeNum, "4");
        u.selectTab(p.tabProperties, 4);
        u.type(p.txtChannel, "10");
        u.key(p.txtChannel, ui::Key::Tab);
        EXPECT_EQ(p.lblMidiPatch.Caption(), "Assign to Percussion:");
        u.click(p.cmdOK);
    });
    editProjectWithoutConverting(f);
    EXPECT_EQ(G().MidiChan, 10);

    const std::string project = (dir / "melody.vpr").string();
    saveProjectAs(f, project);
    ASSERT_TRUE(fs::exists(project));
    EXPECT_EQ(platform::profile::readInt("midi", "MidiChan", -1, project), 10);

    EXPECT_EQ(convertFromCommandLine(project), 0)
        << test::readFile(dir / "log.txt") << test::readFile(project);
    const std::string mid = (dir / "music" / "melody.mid").string();
    ASSERT_TRUE(fs::exists(mid));
    const test::MidiContents midi = test::readMidi(mid);
    ASSERT_TRUE(midi.read);
    // Every note, on and off, travels on channel 10 (midicsv counts channels from 0).
    int notes = 0;
    for (const test::MidiRecord& r : midi.records) {
        if (r.type != "Note_on_c" && r.type != "Note_off_c") continue;
        ++notes;
        ASSERT_FALSE(r.values.empty()) << r;
        EXPECT_EQ(r.values[0], "9") << r;
    }
    EXPECT_GT(notes, 0) << midi.text;
}

}  // namespace
}  // namespace velt::desk
