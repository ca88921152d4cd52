// The handlers that open other windows (recorder, CD transfer) and take back what they hand
// over, and the handlers that behave differently while the wizard drives the hidden dialog.
#include "audio_input_double.h"
#include "desk/instruments/frm_ens.h"
#include "desk/media/frm_cd.h"
#include "desk/media/frm_record.h"
#include "installed_devices.h"
#include "platform/wave_io/clock_wave_out.h"
#include "scoped_env.h"
#include "settings_fixture.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;

using SettingsHandlers = SettingsTest;

std::vector<std::string> rows(const ui::ComboBox& c) {
    std::vector<std::string> r;
    for (int i = 0; i < c.ListCount(); ++i) r.push_back(c.List(i));
    return r;
}

TEST_F(SettingsHandlers, RecordingsComeBackThroughTheRecorder) {
    const std::string recorded =
        sox("recorded.wav", "-r 44100 -c 1 -b 16", "synth 2 sine 330 vol 0.5");
    const std::string take = (dir / "take.wav").string();
    test_audio::FakeAudioInput meter;  // the recorder's level meter listens to it
    struct Case {
        const char* name;
        bool wizard;  // hidden dialog driven by the wizard, else the shown dialog clicked
        bool save;
        const char* mark;  // RecordMark the take leaves: "Y" with the metronome, "N" without
        int rowsAfter;
        int tempoDetect;
    } cases[] = {
        {"closed without a take", false, false, "-", 0, 0},
        {"take to be tapped", false, true, "N", 1, 1},
        {"take with its tempo", false, true, "Y", 1, 0},
        {"wizard: closed without a take", true, false, "-", 0, 0},
        {"wizard: take", true, true, "N", 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetGlobal();
        G().InstallFolder = (dir / "install").string() + "/";
        G().TempFolder = (dir / "temp").string();
        G().EntireAudio = 0;
        G().TempoDetect = 0;
        G().WizardRunning = c.wizard;
        frmProperties& f = dialog();
        f.txtEndPoint.setText("00:00:50");
        f.txtEndPoint_LostFocus();
        f.txtStartPoint.setText("00:00:10");
        f.txtStartPoint_LostFocus();
        f.WorkTaps = "ab";
        std::filesystem::remove(take);
        ui.onModal<frmRecord>([&](frmRecord& r, ui::test::User& u) {
            if (c.save) {
                // A take as the recorder leaves it, saved through its own Save.
                fs::copy_file(recorded, r.TakePath(), fs::copy_options::overwrite_existing);
                ui.expectFileDialog({.title = "Save Wave File As"}).choose(take);
                r.cmdSave_Click();
            }
            G().RecordMark = c.mark;
            u.click(r.cmdOK);
        });
        if (c.wizard) {
            f.cmdRecord_Click();
        } else {
            f.Show();
            ASSERT_TRUE(ui.user().click(f.cmdRecord));
        }
        EXPECT_FALSE(ui::isLoaded<frmRecord>());
        EXPECT_EQ(G().RecordingSaved, c.save);
        EXPECT_EQ(f.cboAudioFile.ListCount(), c.rowsAfter);
        if (c.save) {
            EXPECT_EQ(f.CurrentAudioFile, take);
            EXPECT_EQ(rows(f.cboAudioFile), std::vector<std::string>{"1. take"});
            EXPECT_TRUE(G().WaveReady);
            EXPECT_EQ(f.chkEntireRange.Value(), 1);
            EXPECT_EQ(f.WorkTaps, "");
            EXPECT_EQ(f.chkTempoDetect.Value(), c.tempoDetect);
        } else {
            // No take ("-"): the time range is put back as it was.
            EXPECT_EQ(f.txtStartPoint.Text(), "00:00:10");
            EXPECT_EQ(f.txtEndPoint.Text(), "00:00:50");
            EXPECT_EQ(f.sldTimeRange.SelStart(), 10);
            EXPECT_EQ(f.sldTimeRange.SelLength(), 40);
            EXPECT_EQ(f.WorkStart, 10.0f);
            EXPECT_EQ(f.WorkTaps, "ab");
        }
        G().WizardRunning = false;
        ui::Release<frmProperties>();
    }
}

TEST_F(SettingsHandlers, CdTracksComeBackThroughTheCdWindow) {
    // A disc in the CD drive double; its track is transferred to cd/track 1.wav.
    fs::create_directories(dir / "cd");
    fs::create_directories(dir / "disc");
    sox("disc/Track01.wav", "-r 44100 -c 2 -b 16", "synth 95.5 sine 440 vol 0.5");
    test::ScopedEnv drives("VELTRANE_CD_DRIVES", (dir / "disc").string());
    test::InstalledDevices<platform::wave_out::ClockWaveOut> output(&ui::runtime().clock());
    const std::string track = (dir / "cd" / "track 1.wav").string();
    struct Case {
        const char* name;
        bool wizard, transfer;
    } cases[] = {
        {"cancelled", false, false},
        {"transferred", false, true},
        {"wizard: transferred", true, true},  // the window adds the track to the list itself
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(track);  // each case transfers anew
        ResetGlobal();
        G().InstallFolder = (dir / "install").string() + "/";
        G().TempFolder = (dir / "temp").string();
        G().EntireAudio = 0;
        G().WizardRunning = c.wizard;
        frmProperties& f = dialog();
        ui.onModal<frmCD>([&](frmCD& cd, ui::test::User& u) {
            ui.advance(500);  // the track list
            auto& d = ui.expectFileDialog({.title = "Save Wave File As"});
            if (c.transfer)
                d.choose(track);
            else
                d.cancel();
            u.click(cd.cmdRip);
            for (int i = 0; c.transfer && i < 40 && cd.StatusBar.Text() != "Completed Transfer";
                 ++i)
                ui.advance(500);
            u.click(cd.cmdOK);
        });
        if (c.wizard) {
            f.cmdCD_Click();
        } else {
            f.Show();
            ASSERT_TRUE(ui.user().click(f.cmdCD));
        }
        EXPECT_FALSE(ui::isLoaded<frmCD>());
        if (!c.transfer) {
            EXPECT_EQ(f.cboAudioFile.ListCount(), 0);
            EXPECT_EQ(f.AudioSeconds, 3600);
            EXPECT_FALSE(f.cmdApply.Enabled());
        } else {
            EXPECT_EQ(rows(f.cboAudioFile), std::vector<std::string>{"1. track 1"});
            EXPECT_EQ(rows(f.cboMidiFile), std::vector<std::string>{"1. track 1"});
            EXPECT_EQ(G().AudioFolder, (dir / "cd").string() + "/");
            EXPECT_EQ(f.AudioSeconds, 95);  // the track was inspected
            EXPECT_EQ(f.chkEntireRange.Value(), 1);
            EXPECT_EQ(f.chkTempoDetect.Value(), 1);
            EXPECT_TRUE(f.cmdApply.Enabled());
        }
        G().WizardRunning = false;
        ui::Release<frmProperties>();
    }
}

TEST_F(SettingsHandlers, WhileTheWizardRunsNothingIsAsked) {
    installData();
    test::writeFile(dir / "install" / "filter.txt",
                    "0 - Acoustic Grand Piano,21,108,10\n25 - Steel Guitar,40,88,6\n");
    struct Case {
        bool wizard;
        int boxes;
        int32_t high;
        int resRow;  // after ticking tempo detection with row 3 chosen
    } cases[] = {{false, 1, 85, 3}, {true, 0, 85, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wizard);
        ResetGlobal();
        G().InstallFolder = (dir / "install").string() + "/";
        G().TempFolder = (dir / "temp").string();
        G().Filter = 0;
        G().TempoDetect = 0;
        G().WizardRunning = c.wizard;
        frmProperties& f = dialog();
        ASSERT_FALSE(f.Visible());
        f.WorkKeyMax = 100;
        const size_t shown = ui.boxes().size();
        if (!c.wizard)
            ui.expectBox({.textStartsWith = std::string("Veltrane can automatically set")})
                .answer(ui::Yes);
        f.cboMidiPatch.setListIndex(1);  // the steel guitar: 40..85, polyphony 6
        EXPECT_EQ(ui.boxes().size() - shown, static_cast<size_t>(c.boxes));
        EXPECT_EQ(f.WorkKeyMin, 40);
        EXPECT_EQ(f.WorkKeyMax, c.high);
        EXPECT_EQ(f.txtPitchMode.Text(), "6");

        f.cboRes.setListIndex(3);
        f.chkTempoDetect.setValue(1);
        EXPECT_EQ(f.cboRes.ListIndex(), c.resRow);
        EXPECT_EQ(f.chkEntireRange.Value(), 1);

        // A sound that the instrument list doesn't hold (a percussion key on channel 10) leaves
        // the range and the polyphony as they are.
        f.txtChannel.setText("10");
        f.txtChannel_LostFocus();
        ASSERT_EQ(f.cboMidiPatch.List(11), "38 - Acoustic Snare");
        f.WorkKeyMax = 70;
        if (!c.wizard)
            ui.expectBox({.textStartsWith = std::string("Veltrane can automatically set")})
                .answer(ui::Yes);
        f.cboMidiPatch.setListIndex(11);
        EXPECT_EQ(f.WorkPatch, 38);
        EXPECT_EQ(f.WorkKeyMin, 40);
        EXPECT_EQ(f.WorkKeyMax, 70);
        EXPECT_EQ(f.txtPitchMode.Text(), "6");
        G().WizardRunning = false;
        ui::Release<frmProperties>();
    }
}

TEST_F(SettingsHandlers, TheAudioListIsOnlyShortenedByAConfirmedRemoval) {
    frmProperties& f = dialog();
    f.Show();
    auto u = ui.user();

    // An empty list: a typed "." is taken back and nothing else happens.
    const std::string midi = f.CurrentMidiFile;
    ASSERT_TRUE(u.type(f.cboAudioFile, "."));
    EXPECT_EQ(f.cboAudioFile.Text(), "");
    EXPECT_FALSE(f.cmdApply.Enabled());
    EXPECT_EQ(f.CurrentMidiFile, midi);
    EXPECT_TRUE(ui.boxes().empty());

    for (const char* name : {"a.wav", "b.wav"}) {
        f.CurrentAudioFile = sox(name);
        G().WaveReady = true;
        f.AddToFileList();
    }
    // With the file not ready (a decode that didn't finish), No still keeps every entry: the
    // restored text doesn't start the removal again.
    G().WaveReady = false;
    ui.expectBox({.textStartsWith =
                      std::string("Are you sure you want to remove '" + (dir / "b.wav").string())})
        .answer(ui::No);
    f.cboAudioFile.setText("");
    EXPECT_EQ(f.cboAudioFile.Text(), (dir / "b.wav").string());
    EXPECT_EQ(rows(f.cboAudioFile), (std::vector<std::string>{"1. a", "2. b"}));
    EXPECT_EQ(ui.boxes().size(), 1u);
}

TEST_F(SettingsHandlers, CancelInAFileDialogChangesNothing) {
    installData();
    Global& g = G();
    g.EnsembleFolder = dir.path().string() + "/";
    frmProperties& f = dialog();
    struct Case {
        const char* title;
        std::function<void()> prepare, open;
    } cases[] = {
        {"Select Audio File", [] {}, [&] { f.cmdWaveBrowse_Click(); }},
        {"Select Location for MIDI File", [] {}, [&] { f.cmdMidiBrowse_Click(); }},
        {"Select Ensemble", [] {}, [&] { f.cmdPatchMapBrowse_Click(); }},
        {"Select Drum Kit",
         [&] {
             f.optBeatDetect(1).setValue(true);  // as the wizard chooses drums
             f.cmdApply.setEnabled(false);
         },
         [&] { f.cmdPatchMapBrowse_Click(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        c.prepare();
        const std::string patchMap = f.txtPatchMap.Text();
        const std::string audio = f.CurrentAudioFile, midi = f.CurrentMidiFile;
        const std::string kit = g.EnsDrumKit;
        const std::array<int32_t, 16> channels = [] {
            std::array<int32_t, 16> a{};
            for (int i = 0; i < PartCount; ++i) a[static_cast<size_t>(i)] = G().EnsChannel[i];
            return a;
        }();
        ui.expectFileDialog({.title = c.title}).cancel();
        c.open();
        EXPECT_EQ(f.txtPatchMap.Text(), patchMap);
        EXPECT_EQ(f.CurrentAudioFile, audio);
        EXPECT_EQ(f.CurrentMidiFile, midi);
        EXPECT_EQ(f.cboAudioFile.ListCount(), 0);
        EXPECT_EQ(g.EnsDrumKit, kit);
        for (int i = 0; i < PartCount; ++i)
            EXPECT_EQ(G().EnsChannel[i], channels[static_cast<size_t>(i)]) << i;
        EXPECT_FALSE(f.cmdApply.Enabled());
        EXPECT_FALSE(ui::isLoaded<frmEns>());
    }
    EXPECT_TRUE(ui.boxes().empty());
}

}  // namespace
}  // namespace velt::desk
