// The recording window: a take recorded, played back to its own length and saved through the
// command strings; the save dialog filled and cancelled; the failures of opening, formatting,
// saving and copying the take; the counter on the clock; the tempo and beats limits; closing with
// an unsaved take and the wizard's direct Form_Unload.
#include <gtest/gtest.h>

#include <filesystem>

#include "desk/core/shared/text_pieces.h"
#include "installed_devices.h"
#include "recorder_fixture.h"
#include "scoped_file_size_limit.h"

namespace velt::desk::test_recorder {
namespace {

namespace fs = std::filesystem;
using test_boxes::Box;

using RecorderWindow = RecorderTest;

TEST_F(RecorderWindow, RecordsPlaysBackToTheTakeLengthAndSaves) {
    Global& g = G();
    // A temporary folder with a blank: the take's path travels quoted.
    g.TempFolder = folder("my temp").substr(0, folder("my temp").size() - 1);
    g.MidiFolder = folder("midi");
    g.RecMasterFile = "";
    editor->settings = {
        .tempo = 96.5f, .timeNum = "3", .timeDenomIndex = 3, .keyIndex = 10, .minor = 1};
    frmRecord& f = shownRecorder();
    EXPECT_EQ(f.Caption(), "Record Audio File");
    EXPECT_EQ(f.Width(), frmRecord::kFoldedWidth);
    EXPECT_EQ(f.txtTempo.Text(), "97");
    EXPECT_FLOAT_EQ(f.RecordTempo, 96.5f);
    EXPECT_EQ(f.txtTimeNum.Text(), "3");
    EXPECT_EQ(f.KeySignature(), -2);
    EXPECT_EQ(f.lblFileName.Caption(), "<NONE>");
    EXPECT_EQ(f.txtMasterFile.Text(), "<NONE>");
    EXPECT_EQ(g.RecordMark, "-");
    EXPECT_TRUE(f.MMControl.RecordEnabled());
    EXPECT_FALSE(f.MMControl.PlayEnabled());
    EXPECT_FALSE(f.cmdSave.Enabled());
    EXPECT_FALSE(f.cmdKeep.Enabled());

    // The user's click on Record is cancelled: the window sends its own strings.
    const size_t start = mci.size();
    ASSERT_TRUE(f.MMControl.userClick(ui::MediaControl::Record));
    EXPECT_EQ(sentSince(start),
              (std::vector<std::string>{
                  "open new type waveaudio alias wavefile",
                  "set wavefile bitspersample 16 alignment 4 channels 2 samplespersec 44100 "
                  "bytespersec 176400",
                  "record wavefile"}));
    EXPECT_EQ(f.RecordState(), "Record");
    EXPECT_EQ(f.StatusBar.Text(), "Recording...");
    EXPECT_EQ(f.lblCounter.ForeColor(), frmRecord::kGreen);
    EXPECT_TRUE(f.cmdSave.Enabled());
    EXPECT_FALSE(f.MMControl.RecordEnabled());
    EXPECT_TRUE(f.MMControl.StopEnabled());

    // The counter shows whole seconds as they pass.
    feed(2300);
    std::vector<std::string> counters;
    for (int second = 0; second < 3; ++second) {
        ui.advance(second == 0 ? 1 : 1000);
        counters.push_back(f.lblCounter.Caption());
    }
    EXPECT_EQ(counters, (std::vector<std::string>{":00", ":01", ":02"}));
    ui.advance(299);  // Stop at 2300 ms after the start

    const size_t stop = mci.size();
    ASSERT_TRUE(f.MMControl.userClick(ui::MediaControl::Stop));
    EXPECT_EQ(sentSince(stop),
              (std::vector<std::string>{"stop wavefile", "save wavefile " + quoted(takePath()),
                                        "close wavefile"}));
    EXPECT_EQ(f.TakeLengthMs(), 2300);
    EXPECT_EQ(f.StatusBar.Text(), "Wave File Recorded");
    EXPECT_TRUE(f.MMControl.PlayEnabled());
    EXPECT_FALSE(f.TakeSaved());
    EXPECT_EQ(editor->inspected, takePath());
    EXPECT_TRUE(editor->recordedAudioFile.empty());
    ASSERT_TRUE(fs::is_regular_file(takePath()));

    // Playback stops by itself at the length of the take.
    const size_t play = mci.size();
    ASSERT_TRUE(f.MMControl.userClick(ui::MediaControl::Play));
    EXPECT_EQ(sentSince(play), (std::vector<std::string>{
                                   "open " + quoted(takePath()) + " type waveaudio alias wavefile",
                                   "play wavefile"}));
    EXPECT_EQ(f.StatusBar.Text(), "Playing Audio File...");
    const int64_t played = ui.now();
    ui.advance(2299);
    EXPECT_EQ(f.RecordState(), "Play");
    ui.advance(1);
    EXPECT_EQ(f.RecordState(), "Idle");
    EXPECT_EQ(mciTimes.back() - played, 2300);
    EXPECT_EQ(f.StatusBar.Text(), "Wave File Recorded");

    // Save: the dialog proposes the audio folder; the take is copied under the chosen name.
    g.AudioFolder = folder("audio");
    const std::string target = folder("songs and takes") + "take one.wav";
    test::writeFile(target, "the older file");
    ui.expectFileDialog({.title = "Save Wave File As",
                         .filter = "Wave Files (*.wav)|*.wav|All Files (*.*)|*.*",
                         .flags = 2054})
        .choose(target);
    ui.expectBox({.textStartsWith = "take one.wav already exists."}).answer(ui::Answer::Yes);
    f.cmdSave_Click();
    EXPECT_EQ(test::readBytes(target), test::readBytes(takePath()));
    EXPECT_EQ(editor->audioFile, target);
    EXPECT_EQ(editor->midiFile, g.MidiFolder + "take one.mid");
    EXPECT_EQ(editor->settings.timeNum, "3");
    EXPECT_EQ(editor->settings.timeDenomIndex, 3);
    EXPECT_EQ(editor->settings.keyIndex, 10);
    EXPECT_EQ(editor->settings.minor, 1);
    EXPECT_FLOAT_EQ(editor->settings.tempo, 96.5f);
    EXPECT_EQ(editor->filesAdded, 0);  // only while the wizard runs
    EXPECT_EQ(g.AudioFolder, FolderOf(target));
    EXPECT_EQ(f.lblFileName.Caption(), "take one");
    EXPECT_TRUE(g.RecordingSaved);
    EXPECT_EQ(g.RecordMark, "N");
    EXPECT_TRUE(f.TakeSaved());
    EXPECT_FALSE(fs::exists(FolderOf(target) + "~take one.wav.part"));

    // Closing needs no question now; the take is removed and the editor told how to find the
    // tempo.
    f.cmdOK_Click();
    EXPECT_FALSE(f.loaded());
    EXPECT_FALSE(fs::exists(takePath()));
    EXPECT_EQ(editor->tempoDetect, 1);
}

TEST_F(RecorderWindow, CancelledSaveAndClosingWithAnUnsavedTake) {
    Global& g = G();
    editor->audioFile = folder("old") + "song.wav";
    editor->audioFiles = 3;
    frmRecord& f = shownRecorder();
    EXPECT_EQ(f.lblFileName.Caption(), "<3 files>");
    recordTake(f, 500);
    ui.expectFileDialog({.title = "Save Wave File As"}).cancel();
    f.cmdSave_Click();
    EXPECT_FALSE(f.TakeSaved());
    EXPECT_FALSE(g.RecordingSaved);
    EXPECT_EQ(editor->takeOvers, 0);
    EXPECT_TRUE(fs::exists(takePath()));

    // Closing with the unsaved take opens the dialog by itself, proposing the editor's file.
    ui.expectFileDialog(
          {.title = "Save Wave File As", .initDir = folder("old"), .fileName = "song.wav"})
        .cancel();
    ui.user().closeBox(f);
    EXPECT_FALSE(f.loaded());
    EXPECT_FALSE(fs::exists(takePath()));
    EXPECT_EQ(editor->tempoDetect, -1);  // no take saved: tempo detection is left alone
    EXPECT_EQ(g.RecordMark, "-");
}

TEST_F(RecorderWindow, AFailedFormatClosesTheTakeSoTheNextRecordWorks) {
    frmRecord& f = shownRecorder();
    failures["set wavefile"] = platform::mci::kMciFormatNotSupported;
    std::string text;
    platform::mci::mciGetErrorString(platform::mci::kMciFormatNotSupported, text);
    ui.expectBox(Box(text, "Open Set", 48, 97)).answer(ui::Answer::OK);
    int cancel = 0;
    f.MMControl_RecordClick(cancel);
    EXPECT_EQ(cancel, 1);
    EXPECT_EQ(mci.back(), "close wavefile");
    EXPECT_EQ(f.StatusBar.Text(), "Ready to Record");
    EXPECT_TRUE(f.MMControl.RecordEnabled());
    EXPECT_FALSE(f.MMControl.StopEnabled());
    EXPECT_EQ(f.RecordState(), "Idle");

    failures.clear();
    f.MMControl_RecordClick(cancel);  // no "alias in use": the take was closed
    EXPECT_EQ(f.RecordState(), "Record");
    f.MMControl_StopClick(cancel);
    EXPECT_EQ(f.StatusBar.Text(), "Wave File Recorded");
    ui.expectFileDialog({.title = "Save Wave File As"}).cancel();  // closing asks for the take
}

TEST_F(RecorderWindow, FailuresOfTheInputAndOfWritingTheTake) {
    frmRecord& f = shownRecorder();
    // No input device: the box, and the buttons back to idle.
    int cancel = 0;
    {
        test::InstalledDevices<platform::wave_in::FakeWaveIn> none(0);
        ui.expectBox({.title = "Open Record", .icon = 48, .help = 97}).answer(ui::Answer::OK);
        f.MMControl_RecordClick(cancel);
        EXPECT_EQ(f.StatusBar.Text(), "Ready to Record");
        EXPECT_TRUE(f.MMControl.RecordEnabled());
        EXPECT_FALSE(f.MMControl.PlayEnabled());
        EXPECT_FALSE(f.MMControl.StopEnabled());
    }
    // An input that fails to open when the take's format is set: the box titled by that step.
    platform::wave_in::useDevices(&input);
    input.openResult = platform::wave_in::Allocated;
    ui.expectBox({.title = "Open Set", .icon = 48, .help = 97}).answer(ui::Answer::OK);
    f.MMControl_RecordClick(cancel);
    EXPECT_EQ(f.StatusBar.Text(), "Ready to Record");
    input.openResult = platform::wave_in::NoError;

    // The take cannot be written (a full disk): no "Wave File Recorded" for a take not there.
    failures["save wavefile"] = platform::mci::kMciWriteFailed;
    std::string text;
    platform::mci::mciGetErrorString(platform::mci::kMciWriteFailed, text);
    ui.expectBox(Box(text, "Save", 48, 97)).answer(ui::Answer::OK);
    recordTake(f, 300);
    EXPECT_EQ(f.StatusBar.Text(), "Ready to Record");
    EXPECT_FALSE(f.MMControl.PlayEnabled());
    EXPECT_TRUE(f.TakeSaved());  // nothing to ask about when closing

    // A disk that fills up while the take is written (a file size limit stands in for it): the
    // box gives the system's reason below the error's own text, and no partial take is left.
    failures.clear();
    ui.expectBox(Box(text + "\nFile too large", "Save", 48, 97)).answer(ui::Answer::OK);
    {
        test::ScopedFileSizeLimit limit(4096);
        ASSERT_TRUE(limit.held());
        recordTake(f, 300);
    }
    EXPECT_EQ(f.StatusBar.Text(), "Ready to Record");
    EXPECT_FALSE(f.MMControl.PlayEnabled());
    EXPECT_FALSE(fs::exists(takePath()));
}

TEST_F(RecorderWindow, ACopyThatCannotBeMadeKeepsTheTake) {
    Global& g = G();
    frmRecord& f = shownRecorder();
    recordTake(f, 400);
    const auto take = test::readBytes(takePath());
    const std::string folderTarget = folder("a folder.wav");
    // Something that is not a file: a named pipe (never a device of the system).
    const std::string pipe = (dir / "pipe.wav").string();
    ASSERT_EQ(test::runCommand("mkfifo " + test::shellQuote(pipe)).exitCode, 0);
    struct Case {
        const char* name;
        std::string target;
        bool exists;
    } cases[] = {
        {"the take itself", takePath(), true},
        {"a folder", folderTarget.substr(0, folderTarget.size() - 1), true},
        {"a named pipe", pipe, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ui.expectFileDialog({.title = "Save Wave File As"}).choose(c.target);
        if (c.exists) ui.expectBox({.textStartsWith = ""}).answer(ui::Answer::Yes);
        ui.expectBox(Box("Unable to save the recording as " + c.target + ".", "Save Wave File As",
                         48, 0, true))
            .answer(ui::Answer::OK);
        f.cmdSave_Click();
        EXPECT_FALSE(f.TakeSaved());
        EXPECT_FALSE(g.RecordingSaved);
        EXPECT_EQ(editor->takeOvers, 0);
        EXPECT_EQ(test::readBytes(takePath()), take);
    }
    EXPECT_TRUE(fs::is_fifo(pipe));

    // A disk that fills up during the copy (a file size limit stands in for it): the box gives
    // the system's reason, not a generic input/output error.
    const std::string full = (dir / "full.wav").string();
    ui.expectFileDialog({.title = "Save Wave File As"}).choose(full);
    ui.expectBox(Box("Unable to save the recording as " + full + ".\nFile too large",
                     "Save Wave File As", 48))
        .answer(ui::Answer::OK);
    {
        test::ScopedFileSizeLimit limit(4096);
        ASSERT_TRUE(limit.held());
        f.cmdSave_Click();
    }
    EXPECT_FALSE(f.TakeSaved());
    EXPECT_FALSE(fs::exists(full));
    EXPECT_FALSE(fs::exists(dir / "~full.wav.part"));
    EXPECT_EQ(test::readBytes(takePath()), take);
    ui.expectFileDialog({}).cancel();  // closing asks once more
}

TEST_F(RecorderWindow, TempoAndBeatsStayWithinTheirLimits) {
    frmRecord& f = shownRecorder();
    ui::test::User u = ui.user();
    struct Case {
        const char* typed;
        const char* shown;
        float tempo;
    } cases[] = {{"2000", "1080", 1080}, {"3", "5", 5}, {"87.5", "87.5", 87.5f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        f.txtTempo.setText(c.typed);
        EXPECT_EQ(f.txtTempo.Text(), c.shown);
        EXPECT_FLOAT_EQ(f.RecordTempo, c.tempo);
        EXPECT_TRUE(f.cmdKeep.Enabled());
    }
    struct Spin {
        const char* from;
        bool up;
        const char* to;
    } spins[] = {
        {"1075", true, "1075"}, {"1070", true, "1075"}, {"9", false, "9"}, {"10", false, "5"}};
    for (const auto& s : spins) {
        SCOPED_TRACE(s.from);
        f.txtTempo.setText(s.from);
        s.up ? f.spnTempo_UpClick() : f.spnTempo_DownClick();
        EXPECT_EQ(f.txtTempo.Text(), s.to);
    }
    // Keys: the tempo takes digits, point and comma; the beats only digits.
    f.txtTempo.setText("120");
    u.type(f.txtTempo, "9a,-5");
    EXPECT_EQ(f.txtTempo.Text(), "9,5");
    u.type(f.txtTimeNum, "1x2");
    EXPECT_EQ(f.txtTimeNum.Text(), "12");
    struct Beats {
        const char* typed;
        const char* kept;
    } beats[] = {{"0", "1"}, {"150", "99"}, {"7", "7"}, {"Auto", "Auto"}};
    for (const auto& b : beats) {
        SCOPED_TRACE(b.typed);
        f.txtTimeNum.setText(b.typed);
        f.txtTimeNum_LostFocus();
        EXPECT_EQ(f.txtTimeNum.Text(), b.kept);
    }
    f.txtTimeNum.setText("1");
    f.spnTimeNum.setValue(1);
    f.spnTimeNum.userPress(false);
    EXPECT_EQ(f.txtTimeNum.Text(), "Auto");

    // Keep hands tempo, beats and the click volume over.
    f.txtTempo.setText("100");
    f.sldVolume.setValue(-90);
    f.cmdKeep_Click();
    EXPECT_FLOAT_EQ(editor->settings.tempo, 100);
    EXPECT_EQ(editor->settings.timeNum, "Auto");
    EXPECT_EQ(G().Volume, 90);
    EXPECT_FALSE(f.cmdKeep.Enabled());
}

TEST_F(RecorderWindow, TheWizardsFormUnloadOnAHiddenWindow) {
    Global& g = G();
    g.WizardRunning = true;
    auto mirror = std::make_shared<RecordingMirror>();
    ScopedHook<std::shared_ptr<WizardRecordPage>> registered(Windows().wizardRecordPage, mirror);
    frmRecord& f = recorder();  // hidden, driven by calls
    f.MirrorsWizard = true;
    recordTake(f, 1500);
    EXPECT_EQ(mirror->counters.back(), ":01");

    const std::string target = folder("wiz") + "wizard take.wav";
    ui.expectFileDialog({.title = "Save Wave File As"}).choose(target);
    f.cmdSave_Click();
    EXPECT_EQ(editor->filesAdded, 1);  // the wizard's lists follow

    // Playback ended by the clock goes to the wizard's Stop.
    int cancel = 0;
    f.MMControl_PlayClick(cancel);
    ui.advance(1500);
    EXPECT_EQ(mirror->stops, 1);
    f.MMControl_StopClick(cancel);

    int Cancel = 0;
    f.Form_Unload(Cancel);
    EXPECT_EQ(Cancel, 0);
    EXPECT_TRUE(f.loaded());  // a plain call: the wizard unloads the window itself
    EXPECT_FALSE(fs::exists(takePath()));
    EXPECT_EQ(editor->tempoDetect, 1);
    EXPECT_EQ(meter.calls.back(), "close");
}

// A recorder the wizard does not drive (one opened from the settings dialog while the wizard
// runs) leaves the wizard's record page alone.
TEST_F(RecorderWindow, OnlyTheRecorderTheWizardDrivesMirrorsIntoItsPage) {
    G().WizardRunning = true;
    auto mirror = std::make_shared<RecordingMirror>();
    ScopedHook<std::shared_ptr<WizardRecordPage>> registered(Windows().wizardRecordPage, mirror);
    frmRecord& f = recorder();
    recordTake(f, 1500);
    EXPECT_TRUE(mirror->counters.empty());
    ui.expectFileDialog({.title = "Save Wave File As"}).choose(folder("plain") + "take.wav");
    f.cmdSave_Click();
    int cancel = 0;
    f.MMControl_PlayClick(cancel);
    ui.advance(1500);
    EXPECT_EQ(mirror->stops, 0);
    f.MMControl_StopClick(cancel);
}

TEST_F(RecorderWindow, OutsidePrograms) {
    Global& g = G();
    g.CDPlayer = "/nowhere/cdplayer";
    frmRecord& f = shownRecorder();
    ui.expectBox(Box("You should use the Direct CD Transfer feature rather than this window unless "
                     "Direct CD Transfer is incompatible with your CD drive.",
                     "CD Player", 64))
        .answer(ui::Answer::OK);
    shell.result = false;
    ui.expectBox(Box("Unable to open CD Player.", "CD Player", 16, 144)).answer(ui::Answer::OK);
    f.cmdCDPlayer_Click();
    ASSERT_FALSE(shell.calls.empty());
    EXPECT_EQ(shell.calls.back().arguments, std::vector<std::string>{"/nowhere/cdplayer"});
    f.cmdHelp_Click();
    EXPECT_EQ(ui.helpCalls().back(), 125);
}

}  // namespace
}  // namespace velt::desk::test_recorder
