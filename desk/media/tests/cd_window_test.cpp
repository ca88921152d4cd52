// The Direct CD Transfer window on the CD drive double (folders of sox-made WAV tracks) under the
// script clock: the track list and playback, the drive states, the transfer with its progress,
// hand-over, abort, disc removal and stall, the button bar and the mixer.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "desk/core/window_links/wizard_pages.h"
#include "desk/media/frm_cd.h"
#include "desk/settings/frm_properties.h"
#include "main_window_fixture.h"
#include "platform/outside/cd_ripper/cd_ripper.h"
#include "platform/wav/wav_file.h"
#include "platform/wave_io/clock_wave_out.h"
#include "scoped_hook.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using test_boxes::Box;

constexpr const char* kNoDriverText =
    "The CD drive did not start the transfer. Check that the disc can be read and that you are "
    "allowed to read the CD device, then try again.";

class CdWindow : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        platform::wave_out::useDevices(&output);  // tracks play on the clock-time double
        G().AudioFolder = folder("audio");
        G().MidiFolder = folder("midi");
    }

    // A disc: one 44,100 Hz stereo WAV track per length (seconds), named Track01.wav, ...
    std::string disc(const std::string& name, const std::vector<int>& seconds) {
        const std::string path = folder(name);
        for (size_t i = 0; i < seconds.size(); ++i) {
            const fs::path made = dir / ("tone" + std::to_string(seconds[i]) + ".wav");
            if (!fs::exists(made)) {
                EXPECT_EQ(test::runCommand("sox -D -n -r 44100 -c 2 -b 16 " +
                                           test::shellQuote(made.string()) + " synth " +
                                           std::to_string(seconds[i]) + " sine 330 vol 0.5")
                              .exitCode,
                          0);
            }
            char track[32];
            std::snprintf(track, sizeof track, "Track%02zu.wav", i + 1);
            fs::copy_file(made, path + track);
        }
        return path;
    }
    void drives(const std::vector<std::string>& folders) {
        std::string joined;
        for (const std::string& f : folders) joined += (joined.empty() ? "" : ":") + f;
        env.emplace("VELTRANE_CD_DRIVES", joined);
    }
    frmCD& window() { return ui::forms::get<frmCD>(); }
    void tick(int ticks = 1) { ui.advance(500L * ticks); }

    // Starts the transfer of the selected track into `target` (the Save dialog answered).
    void transfer(frmCD& cd, const std::string& target) {
        ui.expectFileDialog({.title = "Save Wave File As"}).choose(target);
        cd.cmdRip_Click();
        ASSERT_EQ(cd.cmdRip.Caption(), "&Abort Transfer");
    }

    void TearDown() override {
        MainWindowTest::TearDown();
        platform::wave_out::useDevices(nullptr);
    }

    std::optional<test::ScopedEnv> env;
    platform::wave_out::ClockWaveOut output{&ui::runtime().clock()};
};

TEST(CdTrackItem, FormatsAndReadsBackTheLength) {
    EXPECT_EQ(TrackItem(3, 257), "Track03  04:17");
    EXPECT_EQ(TrackItem(12, 59), "Track12  00:59");
    EXPECT_EQ(TrackItemSeconds("Track03  04:17"), 257);
    EXPECT_EQ(TrackItemSeconds("Track01  00:00"), 0);
    EXPECT_EQ(TrackItemSeconds("This is a data CD."), 0);
    EXPECT_EQ(TrackItemSeconds("short"), 0);
}

TEST_F(CdWindow, TwelveTracksAreListedAndTheFirstPlays) {
    drives({disc("disc", std::vector<int>(12, 2))});
    frmCD& cd = window();
    EXPECT_EQ(cd.Caption(), "Direct CD Transfer");
    ASSERT_EQ(cd.cboDrives.ListCount(), 1);
    EXPECT_EQ(cd.CurrentDrive, 0);
    EXPECT_EQ(cd.lblFileName.Text(), "<NONE>");
    tick();
    ASSERT_EQ(cd.lstTracks.ListCount(), 12);
    EXPECT_EQ(cd.lstTracks.List(0), "Track01  00:02");
    EXPECT_EQ(cd.lstTracks.List(11), "Track12  00:02");
    EXPECT_EQ(cd.lstTracks.ListIndex(), 0);
    EXPECT_TRUE(cd.lstTracks.Enabled());
    EXPECT_EQ(cd.StatusBar.Text(), "Playing...");
    EXPECT_EQ(cd.Ripper().CurrentTrack(), 1);
    ASSERT_GE(output.events.size(), 2u);  // its samples play on the wave output
    EXPECT_EQ(output.events[1].kind, platform::wave_out::ClockWaveOut::Event::Kind::Play);
    EXPECT_EQ(output.events[1].end, 2 * 44100);
    EXPECT_TRUE(cd.cmdRip.Enabled());
    EXPECT_TRUE(cd.mmCD.StopEnabled());

    ui.advance(1000);
    EXPECT_EQ(cd.lblPosition.Caption(), "01-00:01");
    EXPECT_TRUE(cd.pbPlay.Visible());
    EXPECT_EQ(cd.pbPlay.Value(), 50);

    // Choosing the drive that is open already changes nothing.
    cd.cboDrives.setListIndex(0);
    EXPECT_FALSE(cd.RefreshPending);
    EXPECT_EQ(cd.Ripper().CurrentTrack(), 1);

    // Another track from the list plays; Stop, then Next and Previous move between tracks.
    cd.lstTracks.setListIndex(4);
    EXPECT_EQ(cd.TrackIndex, 5);
    EXPECT_EQ(cd.Ripper().CurrentTrack(), 5);
    int cancel = 0;
    cd.mmCD_StopClick(cancel);
    EXPECT_EQ(cancel, 1);
    EXPECT_FALSE(cd.mmCD.StopEnabled());
    tick();
    EXPECT_EQ(cd.StatusBar.Text(), "Ready");
    cd.mmCD_NextClick(cancel);
    tick();
    EXPECT_EQ(cd.Ripper().CurrentTrack(), 6);
    EXPECT_EQ(cd.lstTracks.ListIndex(), 5);
    cd.mmCD_PrevClick(cancel);
    cd.mmCD_PlayClick(cancel);
    tick();
    EXPECT_EQ(cd.StatusBar.Text(), "Playing...");
}

TEST_F(CdWindow, DriveStatesShowTheirTexts) {
    const std::string audio = disc("audio disc", {2});
    const std::string data = disc("data disc", {2});
    test::writeFile(fs::path(data) / "DATA", "");
    const std::string busy = disc("busy", {2});
    test::writeFile(fs::path(busy) / "BUSY", "");
    const std::string empty = (dir / "no disc").string();
    drives({busy, data, empty, audio});

    frmCD& cd = window();
    EXPECT_EQ(cd.StatusBar.Text(), "Error");
    EXPECT_FALSE(cd.mmCD.Enabled());
    EXPECT_FALSE(cd.tmrStatus.Enabled());
    ASSERT_EQ(cd.lstTracks.ListCount(), 3);
    EXPECT_EQ(cd.lstTracks.List(0), "CD drive already in use");
    EXPECT_EQ(cd.lstTracks.List(2), "Close the other program.");

    struct Case {
        int drive;
        std::vector<std::string> list;
        std::string status;
    } cases[] = {
        {1, {"This is a data CD.", "Please insert an audio CD."}, "No CD"},
        {2,
         {"Please insert an audio CD", "into the selected drive", "and wait until ready."},
         "No CD"},
        {3, {"Track01  00:02"}, "Playing..."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.drive);
        cd.cboDrives.setListIndex(c.drive);
        EXPECT_TRUE(cd.mmCD.Enabled());
        tick(2);  // the list is rebuilt on the first tick, the buttons follow on the next
        ASSERT_EQ(cd.lstTracks.ListCount(), static_cast<int>(c.list.size()));
        for (size_t i = 0; i < c.list.size(); ++i) EXPECT_EQ(cd.lstTracks.List(i), c.list[i]);
        EXPECT_EQ(cd.StatusBar.Text(), c.status);
        EXPECT_EQ(cd.lstTracks.Enabled(), c.status != "No CD");
        EXPECT_EQ(cd.mmCD.PlayEnabled(), c.status != "No CD");
    }

    // Eject opens the tray; under "No CD" the same button closes it and the disc comes back.
    int cancel = 0;
    cd.mmCD_EjectClick(cancel);
    tick();
    EXPECT_EQ(cd.StatusBar.Text(), "No CD");
    EXPECT_EQ(cd.lstTracks.List(0), "Please insert an audio CD");
    cd.mmCD_EjectClick(cancel);
    tick();
    EXPECT_EQ(cd.StatusBar.Text(), "Playing...");
    EXPECT_EQ(cd.lstTracks.List(0), "Track01  00:02");
}

TEST_F(CdWindow, AnAudioDiscWithoutTracksIsPresentOnlyOnVersion251) {
    drives({folder("no tracks")});  // an audio disc whose table lists no track
    for (long version : {0L, 251L, 261L}) {
        SCOPED_TRACE(version);
        frmCD& cd = window();
        EXPECT_EQ(cd.WindowsVersion, 0);  // what this system reports
        cd.WindowsVersion = version;
        tick();
        if (version == 251) {
            EXPECT_TRUE(cd.DiscPresent);
            EXPECT_EQ(cd.lstTracks.ListCount(), 0);
            EXPECT_TRUE(cd.lstTracks.Enabled());
        } else {
            EXPECT_FALSE(cd.DiscPresent);
            EXPECT_EQ(cd.StatusBar.Text(), "No CD");
            EXPECT_EQ(cd.lstTracks.List(0), "Please insert an audio CD");
        }
        ui::Release<frmCD>();
    }
}

TEST_F(CdWindow, TransferOfTrackThreeBecomesTheProjectsAudio) {
    drives({disc("disc", {2, 2, 20})});
    auto& props = ui::forms::get<frmProperties>();
    struct Case {
        std::string midiBefore;
        bool autoName;
        std::string midiAfter;
    } cases[] = {
        {"", false, G().MidiFolder + "Track03.mid"},
        {"/songs/kept.mid", false, "/songs/kept.mid"},
        {"/songs/kept.mid", true, G().MidiFolder + "Track03.mid"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.midiBefore + (c.autoName ? " auto" : ""));
        G().CDTransferDone = false;
        G().AudioFolder = folder("audio");
        props.CurrentMidiFile = c.midiBefore;
        props.chkAutoName.setValue(c.autoName ? 1 : 0);
        frmCD& cd = window();
        tick();
        cd.lstTracks.setListIndex(2);
        ASSERT_EQ(cd.Ripper().CurrentTrack(), 3);

        const std::string target = folder("out") + "Track03.wav";
        ui.expectFileDialog({.title = "Save Wave File As",
                             .filter = "Wave Files (*.wav)|*.wav|All Files (*.*)|*.*",
                             .flags = 2054,
                             .initDir = G().AudioFolder,
                             .fileName = "Track03.wav",
                             .save = true})
            .choose(target);
        cd.cmdRip_Click();
        EXPECT_FALSE(cd.mmCD.Enabled());
        EXPECT_FALSE(cd.lstTracks.Enabled());
        EXPECT_FALSE(cd.cmdOK.Enabled());
        EXPECT_TRUE(cd.ProgressBar.Visible());
        EXPECT_TRUE(cd.TransferRunning);

        std::vector<std::string> seen;
        for (int i = 0; i < 12 && cd.StatusBar.Text() != "Completed Transfer"; ++i) {
            tick();
            seen.push_back(cd.StatusBar.Text());
        }
        ASSERT_GE(seen.size(), 3u);
        EXPECT_EQ(seen.front(), "Transferring track 3... 25% complete.");
        EXPECT_EQ(seen[seen.size() - 2], "Transferring track 3... 75% complete.");
        EXPECT_EQ(seen.back(), "Completed Transfer");
        EXPECT_EQ(cd.cmdRip.Caption(), "&Transfer Track");
        EXPECT_TRUE(cd.mmCD.Enabled());
        EXPECT_TRUE(cd.cmdOK.Enabled());
        EXPECT_FALSE(cd.ProgressBar.Visible());
        EXPECT_FALSE(cd.TransferRunning);
        EXPECT_EQ(cd.lblFileName.Text(), "Track03");

        EXPECT_TRUE(G().CDTransferDone);
        EXPECT_EQ(props.CurrentAudioFile, target);
        EXPECT_EQ(props.CurrentMidiFile, c.midiAfter);
        EXPECT_EQ(G().AudioFolder, folder("out"));
        // The file holds the track's samples exactly.
        const auto layout = platform::wav::readLayout(target);
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->channels, 2);
        EXPECT_EQ(layout->sampleRate, 44100u);
        EXPECT_EQ(layout->dataBytes, 20u * 176400u);
        const auto source = platform::wav::readLayout(dir / "disc" / "Track03.wav");
        const auto in = test::readBytes(dir / "disc" / "Track03.wav");
        const auto out = test::readBytes(target);
        EXPECT_TRUE(std::equal(in.begin() + static_cast<long>(source->dataOffset), in.end(),
                               out.begin() + static_cast<long>(layout->dataOffset), out.end()));
        ui::Release<frmCD>();
        fs::remove(target);
    }
}

TEST_F(CdWindow, AbortDiscRemovalAndCancelLeaveNoFile) {
    const std::string discFolder = disc("disc", {20});
    drives({discFolder, disc("second", {2})});
    frmCD& cd = window();
    tick();
    const std::string target = G().AudioFolder + "Track01.wav";
    // The target and the working files of transfers into it.
    auto files = [] { return test::filesOf(G().AudioFolder, "Track01.wav"); };

    ui.expectFileDialog({.fileName = "Track01.wav"}).cancel();
    cd.cmdRip_Click();
    EXPECT_EQ(cd.cmdRip.Caption(), "&Transfer Track");
    EXPECT_FALSE(cd.TransferRunning);

    transfer(cd, target);
    tick();
    // Written under a working name beside the target until it is complete.
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(files().size(), 1u);
    cd.cmdRip_Click();  // Abort
    EXPECT_TRUE(cd.AbortRequested);
    tick();
    EXPECT_EQ(cd.StatusBar.Text(), "Aborted Transfer");
    EXPECT_EQ(cd.cmdRip.Caption(), "&Transfer Track");
    EXPECT_TRUE(cd.mmCD.Enabled());
    EXPECT_EQ(files(), std::vector<std::string>{});
    EXPECT_FALSE(G().CDTransferDone);

    transfer(cd, target);
    tick();
    fs::rename(discFolder, dir / "taken out");
    tick();
    EXPECT_EQ(cd.StatusBar.Text(), "Aborted Transfer");
    EXPECT_FALSE(cd.TransferRunning);
    EXPECT_EQ(cd.cmdRip.Caption(), "&Transfer Track");
    EXPECT_EQ(files(), std::vector<std::string>{});
    EXPECT_FALSE(G().CDTransferDone);
    tick();
    EXPECT_EQ(cd.StatusBar.Text(), "No CD");  // the next tick finds no disc

    // Back in; choosing another drive mid-transfer gives the transfer up at once.
    fs::rename(dir / "taken out", discFolder);
    tick();
    transfer(cd, target);
    tick();
    cd.cboDrives.setListIndex(1);
    EXPECT_EQ(cd.StatusBar.Text(), "Aborted Transfer");
    EXPECT_FALSE(cd.TransferRunning);
    EXPECT_EQ(cd.cmdRip.Caption(), "&Transfer Track");
    EXPECT_EQ(files(), std::vector<std::string>{});
    tick();
    EXPECT_EQ(cd.lstTracks.List(0), "Track01  00:02");

    // Closing the window mid-transfer abandons the file too.
    cd.cboDrives.setListIndex(0);
    tick();
    transfer(cd, target);
    tick();
    // Written under a working name beside the target until it is complete.
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(files().size(), 1u);
    cd.cmdOK_Click();
    EXPECT_FALSE(cd.loaded());
    EXPECT_EQ(files(), std::vector<std::string>{});
}

TEST_F(CdWindow, StalledTransferGetsTheDriverBoxOnTheEighthTickOnce) {
    const std::string discFolder = disc("disc", {2});
    test::writeFile(fs::path(discFolder) / "STALL", "");
    drives({discFolder});
    frmCD& cd = window();
    tick();
    const std::string target = G().AudioFolder + "Track01.wav";
    transfer(cd, target);
    tick(7);
    EXPECT_EQ(cd.StallTicks, 7);
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(cd.StatusBar.Text(), "Transferring track 1... 0% complete.");
    ui.expectBox(Box(kNoDriverText, "Direct CD Transfer", 48)).answer(ui::OK);
    tick();
    EXPECT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(cd.cmdRip.Caption(), "&Transfer Track");
    EXPECT_TRUE(cd.mmCD.Enabled());
    EXPECT_TRUE(cd.lstTracks.Enabled());
    EXPECT_TRUE(cd.cmdOK.Enabled());
    EXPECT_FALSE(cd.TransferRunning);
    EXPECT_FALSE(cd.Ripper().Ripping());
    EXPECT_FALSE(fs::exists(target));
    tick(10);
    EXPECT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(cd.StatusBar.Text(), "Ready");
}

// A name typed without an extension under the "Wave Files" filter still makes a WAV file, one
// the program accepts as audio.
TEST_F(CdWindow, ANameTypedWithoutExtensionBecomesAWaveFile) {
    drives({disc("disc", {2})});
    frmCD& cd = window();
    cd.Show();
    tick();
    const std::string typed = folder("out") + "cdtrack";
    ui.expectFileDialog({.title = "Save Wave File As",
                         .filter = "Wave Files (*.wav)|*.wav|All Files (*.*)|*.*",
                         .defaultExt = "*.wav",
                         .save = true})
        .choose(typed);
    ASSERT_TRUE(ui.user().click(cd.cmdRip));
    for (int i = 0; i < 12 && cd.StatusBar.Text() != "Completed Transfer"; ++i) tick();
    EXPECT_EQ(cd.StatusBar.Text(), "Completed Transfer");
    EXPECT_EQ(cd.OutputFile, typed + ".wav");
    EXPECT_TRUE(fs::exists(typed + ".wav"));
    EXPECT_FALSE(fs::exists(typed));
}

TEST_F(CdWindow, UnwritableTargetIsReportedAtOnce) {
    drives({disc("disc", {2})});
    frmCD& cd = window();
    tick();
    // /proc takes no new files, not even from root.
    const std::string target = "/proc/veltrane-cd-Track01.wav";
    ui.expectFileDialog({}).choose(target);
    ui.expectBox({.textStartsWith = "Unable to create", .title = "Direct CD Transfer", .icon = 16})
        .answer(ui::OK);
    cd.cmdRip_Click();
    EXPECT_EQ(cd.cmdRip.Caption(), "&Transfer Track");
    EXPECT_FALSE(cd.TransferRunning);
    EXPECT_TRUE(cd.mmCD.Enabled());
    EXPECT_FALSE(fs::exists(target));
}

// What the wizard's CD page receives.
struct RecordingPage : WizardCdPage {
    std::vector<std::string> calls;
    std::vector<std::string> rows;
    CdPageMirror last;
    void setFileName(const std::string& t) override { calls.push_back("file " + t); }
    void setStatus(const std::string& t) override { calls.push_back("status " + t); }
    void clearDrives() override { calls.push_back("clear drives"); }
    void addDrive(const std::string&) override { calls.push_back("drive"); }
    void selectDrive(int i) override { calls.push_back("select drive " + std::to_string(i)); }
    void copyTrackList(const std::vector<std::string>& r, bool enabled) override {
        rows = r;
        calls.push_back(std::string("tracks ") + (enabled ? "enabled" : "disabled"));
    }
    void selectTrack(int i) override { calls.push_back("select track " + std::to_string(i)); }
    void setButtonBarEnabled(bool e) override { calls.push_back(e ? "bar on" : "bar off"); }
    void hidePlayProgress() override { calls.push_back("hide play"); }
    void mirror(const CdPageMirror& m) override { last = m; }
};

TEST_F(CdWindow, WhileTheWizardRunsItsPageFollowsAndGetsTheTrack) {
    drives({disc("disc", {2, 20})});
    G().WizardRunning = true;
    auto page = std::make_shared<RecordingPage>();
    ScopedHook<std::shared_ptr<WizardCdPage>> registered(Windows().wizardCdPage, page);
    // The wizard makes the window as its page's mirror, so the load is mirrored too.
    ui::forms::install<frmCD>([] {
        auto cd = std::make_unique<frmCD>();
        cd->MirrorsWizard = true;
        return cd;
    });
    auto& props = ui::forms::get<frmProperties>();
    frmCD& cd = window();
    EXPECT_EQ(page->calls, (std::vector<std::string>{"file <NONE>", "clear drives", "drive",
                                                     "bar on", "select drive 0"}));
    tick();
    EXPECT_EQ(page->rows, (std::vector<std::string>{"Track01  00:02", "Track02  00:20"}));
    EXPECT_EQ(page->last.status, "Playing...");
    EXPECT_TRUE(page->last.ripEnabled);
    EXPECT_EQ(page->last.ripCaption, "&Transfer Track");
    EXPECT_FALSE(page->last.transferVisible);

    cd.lstTracks.setListIndex(1);
    transfer(cd, G().AudioFolder + "Track02.wav");
    tick();
    EXPECT_TRUE(page->last.transferVisible);
    EXPECT_EQ(page->last.transferPercent, 25);
    EXPECT_EQ(page->last.status, "Transferring track 2... 25% complete.");
    tick(3);
    EXPECT_EQ(page->last.status, "Completed Transfer");
    EXPECT_EQ(page->last.fileName, "Track02");
    EXPECT_FALSE(page->last.transferVisible);
    // The settings dialog's list got the file while the wizard runs.
    ASSERT_EQ(props.cboAudioFile.ListCount(), 1);
    EXPECT_EQ(props.cboAudioFile.List(0), "1. Track02");
    G().WizardRunning = false;
}

// A CD window the wizard does not drive (one opened from the settings dialog while the wizard
// runs) leaves the wizard's CD page alone.
TEST_F(CdWindow, AWindowTheWizardDoesNotDriveLeavesItsPageAlone) {
    drives({disc("disc", {2, 20})});
    G().WizardRunning = true;
    auto page = std::make_shared<RecordingPage>();
    ScopedHook<std::shared_ptr<WizardCdPage>> registered(Windows().wizardCdPage, page);
    window();
    tick();
    EXPECT_TRUE(page->calls.empty());
    EXPECT_TRUE(page->rows.empty());
    EXPECT_TRUE(page->last.status.empty());
    G().WizardRunning = false;
}

TEST_F(CdWindow, MixerStartsOrSaysWhy) {
    drives({disc("disc", {2})});
    G().Mixer = "/usr/bin/my mixer";
    frmCD& cd = window();
    cd.cmdMixer_Click();
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].arguments, std::vector<std::string>{"/usr/bin/my mixer"});
    shell.result = false;
    ui.expectBox(Box("Unable to open Mixer.", "Playback Mixer", 16, 146)).answer(ui::OK);
    cd.cmdMixer_Click();
    cd.cmdHelp_Click();
    EXPECT_EQ(ui.helpCalls(), std::vector<long>{200});
}

}  // namespace
}  // namespace velt::desk
