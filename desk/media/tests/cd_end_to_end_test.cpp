// The whole road of a CD track: track 3 of the CD drive double, transferred from the settings
// dialog's CD button, becomes the project's audio, Convert runs it through the bridge and the
// engine, and SyncPlay plays the track and its MIDI result together to their end. With
// VELT_E2E_OUT set, the MIDI result is kept there as Track03.mid.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "desk/core/run/bridge_loader.h"
#include "desk/core/run/frm_results.h"
#include "desk/core/run/frm_status.h"
#include "desk/media/frm_cd.h"
#include "desk/media/frm_player.h"
#include "desk/settings/frm_properties.h"
#include "main_window_fixture.h"
#include "midicsv_reader.h"
#include "platform/midi_out/midi_out.h"
#include "platform/wave_io/clock_wave_out.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;

class CdEndToEnd : public MainWindowTest {
  protected:
    void TearDown() override {
        if (const BridgeCalls* bridge = Bridge())
            bridge->AbandonConvert();  // idle for the next test
        MainWindowTest::TearDown();
        platform::wave_out::useDevices(nullptr);
        platform::midi_out::useDevices(nullptr);
    }

    RealEngineEnv realEngine{dir.path()};
    // Installed once the main window is up; they outlive the teardown, which closes its windows.
    platform::wave_out::ClockWaveOut output{&ui::runtime().clock()};
    platform::midi_out::RecordingMidiOut midi{1};
};

TEST_F(CdEndToEnd, TrackThreeIsTransferredConvertedAndPlayedInSync) {
    // A disc of three tracks; the third is a short tune.
    const std::string disc = folder("disc");
    for (const char* track : {"Track01.wav", "Track02.wav"}) {
        ASSERT_EQ(test::runCommand("sox -D -n -r 44100 -b 16 -c 2 " + disc + track +
                                   " synth 1 sine 220 vol 0.5")
                      .exitCode,
                  0);
    }
    ASSERT_EQ(test::runCommand("sox -D -n -r 44100 -b 16 -c 2 " + disc +
                               "Track03.wav synth 0.8 pluck 262 synth 0.8 pluck 330 : synth 0.8 "
                               "pluck 392 : synth 0.8 pluck 523")
                  .exitCode,
              0);
    test::ScopedEnv drives("VELTRANE_CD_DRIVES", disc);
    frmMain& f = start();
    platform::wave_out::useDevices(&output);
    platform::midi_out::useDevices(&midi);
    G().AudioFolder = folder("music");
    G().TempoDetect = 0;
    enableProjectEditing(f);

    const std::string track = G().AudioFolder + "Track03.wav";
    ui.onModal<frmProperties>([&](frmProperties& p, ui::test::User& u) {
        ui.onModal<frmCD>([&](frmCD& cd, ui::test::User& cu) {
            ui.advance(500);
            ASSERT_EQ(cd.lstTracks.ListCount(), 3);
            cu.clickRow(cd.lstTracks, 2);
            ui.expectFileDialog({.title = "Save Wave File As", .fileName = "Track03.wav"})
                .choose(track);
            cu.click(cd.cmdRip);
            for (int i = 0; i < 40 && cd.StatusBar.Text() != "Completed Transfer"; ++i)
                ui.advance(500);
            EXPECT_EQ(cd.StatusBar.Text(), "Completed Transfer");
            cu.click(cd.cmdOK);
        });
        p.cmdCD_Click();
        EXPECT_EQ(p.CurrentAudioFile, track);
        ASSERT_EQ(p.cboAudioFile.ListCount(), 1);
        EXPECT_EQ(p.cboAudioFile.List(0), "1. Track03");
        ui.expectBox({.textStartsWith = "You will need to regenerate"}).answer(ui::No);
        u.click(p.cmdOK);
    });
    ui.user().toolbar(f.Toolbar, "Edit Project");
    ASSERT_EQ(G().AudioFileCount, 1);
    EXPECT_EQ(G().AudioFiles(1), track);
    const std::string mid = G().MidiFiles(1);
    EXPECT_EQ(mid, G().AudioFolder + "Track03.mid");  // the dialog's list puts it beside the WAV

    // Convert: the progress window runs the engine in real time, then the results window.
    ui.onModal<frmStatus>([&](frmStatus&, ui::test::User&) {
        for (int i = 0; i < 1000 && ui::isLoaded<frmStatus>(); ++i) {
            ui.advance(56);
            if (ui::isLoaded<frmStatus>())
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_FALSE(ui::isLoaded<frmStatus>());
    });
    ui.onModal<frmResults>([](frmResults& r, ui::test::User& ru) { ru.click(r.cmdClose); });
    ui.user().toolbar(f.Toolbar, "Recognize");
    EXPECT_EQ(f.sbStatusBar.Text(), "Finished");
    ASSERT_TRUE(fs::exists(mid));
    const test::MidiContents written = test::readMidi(mid);
    EXPECT_FALSE(written.notes.empty()) << written.text;
    if (const char* keep = std::getenv("VELT_E2E_OUT"); keep != nullptr && *keep != '\0') {
        fs::create_directories(keep);
        fs::copy_file(mid, fs::path(keep) / "Track03.mid", fs::copy_options::overwrite_existing);
    }

    // SyncPlay: both files start together and play until the audio (the clock device) ends.
    bool ended = false;
    ui.onModal<frmPlayer>([&](frmPlayer& p, ui::test::User& pu) {
        EXPECT_TRUE(p.optSelect(frmPlayer::BothInSync).Value());
        EXPECT_EQ(p.mmAudio.Mode(), 526);
        EXPECT_EQ(p.mmMidi.Mode(), 526);
        for (int i = 0; i < 10 && p.mmControl.StopEnabled(); ++i) ui.advance(1000);
        ended = !p.mmControl.StopEnabled() && p.mmAudio.Mode() != 526 && p.mmMidi.Mode() != 526;
        pu.click(p.cmdClose);
    });
    ui.user().toolbar(f.Toolbar, "SyncPlay");
    EXPECT_TRUE(ended);
    EXPECT_FALSE(fs::exists(G().TempFolder + "/~temp.mid"));
    EXPECT_TRUE(std::any_of(midi.events.begin(), midi.events.end(), [](const auto& e) {
        return !e.bytes.empty() && (e.bytes[0] & 0xF0) == 0x90;
    }));
    G().ProjectChanged = false;
}

}  // namespace
}  // namespace velt::desk
