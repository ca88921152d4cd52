// The live control window, driven by the real bridge and a fake engine whose status lines the
// test writes, under the test clock: the level bar and its colours, the threshold mark and the
// set-threshold request, the note, bend, chord and drum displays, the patch list and its
// requests, closing (button, Esc, frame, an engine that never answers), each outcome's box and
// the start failures.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "box_match.h"
#include "desk/core/live/frm_live.h"
#include "desk/core/project/project_file.h"
#include "desk/core/run/other_windows.h"
#include "desk/core/shared/tools.h"
#include "desk/ui/help/help_window.h"
#include "run_fixture.h"
#include "scoped_hook.h"
#include "window_user.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using test_boxes::Box;
using test_run::waitUntil;
using User = ui::test::User;

class LiveWindow : public test_run::RunTest {
  protected:
    LiveWindow() {
        installFakeEngine();
        test::writeFile(G().TempProject, "[audio]\nAudioFile=\n");
        test::writeFile(G().TempTapFile, "");
    }

    // A live status line: the input level, the key just started with its bend, the chord.
    void writeLive(float level, int key = 0, float bend = 64, const std::string& chord = "N/C") {
        char text[200];
        std::snprintf(text, sizeof text,
                      "%.3f 128 -1 8 0 120.000000 -1.000000 0.000000 0 0 %d %f 440.000000 %s",
                      static_cast<double>(level), key, static_cast<double>(bend), chord.c_str());
        test::writeFile(statusFile().string() + ".new", text);
        fs::rename(statusFile().string() + ".new", statusFile());
    }
    // Loads the window (which starts the engine) and shows it modeless for the test to act on.
    frmLive& started() {
        frmLive& f = ui::Load<frmLive>();
        f.Show();
        EXPECT_TRUE(waitUntil([&] { return !startedProjects().empty(); }));
        return f;
    }
    std::string command() const {
        return fs::exists(commandFile()) ? test::readFile(commandFile()) : "";
    }
    // The level bar's top for a level, as the window computes it.
    static float barTop(const frmLive& f, float level) {
        const float b = static_cast<float>(f.shpBackground.Top());
        const float h = static_cast<float>(f.BarHeight);
        return b + h - level / 32768.0f * h;
    }
    // Closes through the Close button and lets the fake engine's cancel line arrive.
    void closeAndFinish(frmLive& f) {
        if (!f.Visible()) f.Show();
        ui.user().click(f.cmdClose);
        ASSERT_TRUE(
            waitUntil([&] { return test::readFile(statusFile()).rfind("-1.000", 0) == 0; }));
        ui.advance(56);
        EXPECT_FALSE(ui::isLoaded<frmLive>());
    }
};

TEST_F(LiveWindow, LevelBarThresholdAndColours) {
    Global& g = G();
    g.InputThreshold = 1000;
    frmLive& f = started();
    EXPECT_EQ(f.Caption(), "Real Time Control Panel");
    EXPECT_EQ(startedProjects(), std::vector<std::string>{g.TempProject});
    EXPECT_EQ(statusText, "Converting...");
    EXPECT_EQ(f.StatusBar.Text(), "Initializing...");
    EXPECT_EQ(f.BarHeight, 1040);  // 95 % of 1095, to the nearest twip
    EXPECT_FLOAT_EQ(f.lineThres.Y1(), barTop(f, 1000));
    EXPECT_DOUBLE_EQ(f.line50.Y1(), f.shpBackground.Top() + 0.75 * 1040);
    EXPECT_TRUE(f.line50.Visible());  // the threshold mark lies below it
    EXPECT_FALSE(f.fraLevel.Visible());

    writeLive(0);  // silence: nothing changes yet
    ui.advance(56);
    EXPECT_EQ(f.StatusBar.Text(), "Initializing...");
    EXPECT_EQ(command(), "");

    // The first level heard sets the threshold to twice its value.
    writeLive(191.6f);
    ui.advance(56);
    EXPECT_EQ(f.StatusBar.Text(), "Active");
    EXPECT_TRUE(f.fraLevel.Visible());
    EXPECT_EQ(f.CurrentLevel, 192);
    EXPECT_EQ(g.InputThreshold, 384);
    EXPECT_EQ(command(), "2");
    EXPECT_FLOAT_EQ(f.lineThres.Y1(), barTop(f, 384));
    EXPECT_FLOAT_EQ(f.lineThres.Y2(), barTop(f, 384));
    EXPECT_FALSE(g.ProjectChanged);

    struct Case {
        float level;
        long colour;
    } cases[] = {{383, frmLive::kRed},    {384, frmLive::kYellow},    {8191, frmLive::kYellow},
                 {8192, frmLive::kGreen}, {32511, frmLive::kGreen},   {32512, frmLive::kRed},
                 {32768, frmLive::kRed},  {1000.5f, frmLive::kYellow}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        writeLive(c.level);
        ui.advance(56);
        const float level = c.level == 1000.5f ? 1000 : c.level;  // halves go to even
        EXPECT_EQ(f.shpForeground.FillColor(), c.colour);
        EXPECT_FLOAT_EQ(f.shpForeground.Top(), barTop(f, level));
        EXPECT_DOUBLE_EQ(f.shpForeground.Top() + f.shpForeground.Height(),
                         f.shpBackground.Top() + f.shpBackground.Height());
    }

    // Set Threshold takes twice the current level; a double beyond full scale is only sent.
    writeLive(20000);
    ui.advance(56);
    test::writeFile(commandFile(), "");
    ui.user().click(f.cmdThres);
    EXPECT_EQ(command(), "2");
    EXPECT_EQ(g.InputThreshold, 384);
    writeLive(9000);
    ui.advance(56);
    ui.user().click(f.cmdThres);
    EXPECT_EQ(g.InputThreshold, 18000);
    EXPECT_FALSE(f.line50.Visible());  // the threshold mark now lies above the quarter mark

    // A level beyond full scale moves nothing.
    const double top = f.shpForeground.Top();
    writeLive(40000);
    ui.advance(56);
    EXPECT_DOUBLE_EQ(f.shpForeground.Top(), top);
    closeAndFinish(f);
}

TEST_F(LiveWindow, NoteAndTuningDisplay) {
    Global& g = G();
    g.PitchMode = 1;
    g.StereoMode = 0;
    g.Constrain = 1;  // the full bend range 32..96
    g.InputThreshold = 100;
    frmLive& f = started();
    EXPECT_TRUE(f.fraNote.Visible());
    EXPECT_EQ(f.fraNote.Caption(), "Current Note");
    EXPECT_EQ(f.lblNote.Width(), 615);
    EXPECT_EQ(f.sldNote.Min(), 32);
    EXPECT_EQ(f.sldNote.Max(), 96);

    struct Case {
        int key;
        float bend;
        std::string name;
        long colour;
        int slider;
    } cases[] = {
        {61, 64, "C#5", frmLive::kInTune, 64}, {60, 57, "C5", frmLive::kInTune, 71},
        {60, 71, "C5", frmLive::kInTune, 57},  {60, 56, "C5", frmLive::kNearly, 72},
        {60, 72, "C5", frmLive::kNearly, 56},  {69, 41, "A5", frmLive::kNearly, 87},
        {69, 40, "A5", frmLive::kRed, 88},     {69, 88, "A5", frmLive::kRed, 40},
        {69, 120, "A5", frmLive::kRed, 32},    {0 + 12, 64.5f, "C1", frmLive::kInTune, 64}};
    float level = 1000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " " + std::to_string(c.bend));
        writeLive(level += 10, c.key, c.bend);
        ui.advance(56);
        EXPECT_TRUE(f.lblNote.Visible());
        EXPECT_EQ(f.lblNote.Caption(), c.name);
        EXPECT_EQ(f.lblNote.ForeColor(), c.colour);
        EXPECT_TRUE(f.sldNote.Visible());
        EXPECT_EQ(f.sldNote.Value(), c.slider);
    }
    // The same level again changes nothing, even with another note.
    writeLive(level, 62, 64);
    ui.advance(56);
    EXPECT_EQ(f.lblNote.Caption(), "C1");
    // No note: the display empties.
    writeLive(level += 10, 0, 64);
    ui.advance(56);
    EXPECT_FALSE(f.lblNote.Visible());
    EXPECT_FALSE(f.sldNote.Visible());

    // Without the constraint the slider spans 48..80 and a wild bend is held to it.
    closeAndFinish(f);
    ui::Release<frmLive>();
    g.Constrain = 0;
    frmLive& narrow = ui::Load<frmLive>();
    narrow.Show();
    EXPECT_EQ(narrow.sldNote.Min(), 48);
    EXPECT_EQ(narrow.sldNote.Max(), 80);
    writeLive(2000, 64, 20);
    ui.advance(56);
    EXPECT_EQ(narrow.sldNote.Value(), 80);
    EXPECT_EQ(narrow.lblNote.ForeColor(), frmLive::kNearly);
    closeAndFinish(narrow);
}

TEST_F(LiveWindow, ChordAndDrumDisplay) {
    Global& g = G();
    g.PitchMode = 30;
    g.InputThreshold = 100;
    frmLive& f = started();
    EXPECT_EQ(f.fraNote.Caption(), "Current Chord");
    EXPECT_TRUE(f.fraNote.Visible());
    writeLive(1000, 60, 64, "Cmaj7");
    ui.advance(56);
    EXPECT_TRUE(f.lblNote.Visible());
    EXPECT_EQ(f.lblNote.Caption(), "Cmaj7");
    EXPECT_FALSE(f.sldNote.Visible());
    // A shorter chord after a longer one shows only its own letters.
    writeLive(1010, 0, 64, "Am");
    ui.advance(56);
    EXPECT_EQ(f.lblNote.Caption(), "Am");
    writeLive(1020, 0, 64, "n/c");
    ui.advance(56);
    EXPECT_FALSE(f.lblNote.Visible());
    closeAndFinish(f);
    ui::Release<frmLive>();

    g.BeatDetect = 1;
    frmLive& drums = ui::Load<frmLive>();
    drums.Show();
    EXPECT_EQ(drums.fraNote.Caption(), "Current Drum");
    EXPECT_EQ(drums.imgDrum.Top(), drums.lblNote.Top());
    writeLive(1000, 38);
    ui.advance(56);
    EXPECT_TRUE(drums.imgDrum.Visible());
    EXPECT_FALSE(drums.sldNote.Visible());
    writeLive(1010, 0);
    ui.advance(56);
    EXPECT_FALSE(drums.imgDrum.Visible());
    closeAndFinish(drums);
    ui::Release<frmLive>();

    // Single voice in stereo mode 1: no note frame at all.
    g.BeatDetect = 0;
    g.PitchMode = 1;
    g.StereoMode = 1;
    frmLive& none = ui::Load<frmLive>();
    EXPECT_FALSE(none.fraNote.Visible());
    closeAndFinish(none);
}

TEST_F(LiveWindow, NoteNames) {
    frmLive& f = started();
    struct Case {
        int key, keySignature;
        std::string name;
    } cases[] = {{0, 0, "C0"},    {60, 0, "C5"},   {61, 2, "C#5"},  {61, -1, "Db5"},
                 {70, 0, "A#5"},  {70, -3, "Bb5"}, {68, -1, "Ab5"}, {66, -2, "Gb5"},
                 {127, 0, "G10"}, {63, 8, "D#5"}};
    for (const Case& c : cases) {
        G().KeySignature = c.keySignature;
        EXPECT_EQ(f.ValToKey(c.key), c.name) << c.key << " " << c.keySignature;
    }
    closeAndFinish(f);
}

TEST_F(LiveWindow, PatchListAndPatchRequests) {
    Global& g = G();
    const fs::path install = root_ / "install";
    fs::create_directories(install);
    g.InstallFolder = install.string() + "/";
    test::writeFile(install / "filter.txt",
                    "0 Acoustic Grand Piano,21,108,10\r\n24 Acoustic Guitar (nylon),40,84,6\r\n"
                    "73 Flute\r\n99999 Overflow,1,2,3\r\n");
    test::writeFile(install / "percussion.txt",
                    "35 Acoustic Bass Drum\n38 Acoustic Snare\n70000 Too Far\n");
    g.MidiPat = 24;
    g.InputThreshold = 100;

    frmLive& f = started();
    EXPECT_TRUE(f.cboPatch.Visible());
    EXPECT_EQ(f.lblPatch.Caption(), "Current Patch:");
    ASSERT_EQ(f.cboPatch.ListCount(), 4);
    EXPECT_EQ(f.cboPatch.List(1), "24 Acoustic Guitar (nylon)");
    EXPECT_EQ(f.cboPatch.List(2), "73 Flute");  // a line without a comma is taken whole
    EXPECT_EQ(f.cboPatch.ListIndex(), 1);
    User u = ui.user();
    u.pick(f.cboPatch, 2);
    EXPECT_EQ(command(), "3 73");
    test::writeFile(commandFile(), "");
    u.pick(f.cboPatch, 3);  // a number past 16 bits is no patch: nothing is sent
    EXPECT_EQ(command(), "");
    closeAndFinish(f);
    ui::Release<frmLive>();

    // Percussion: whole lines, the entry whose number is MidiPat, else the first.
    g.MidiChan = 10;
    struct Case {
        int patch;
        int row;
    } cases[] = {{38, 1}, {0, 0}, {36, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.patch);
        g.MidiPat = c.patch;
        frmLive& drums = ui::Load<frmLive>();
        EXPECT_EQ(drums.lblPatch.Caption(), "Current Percussion:");
        ASSERT_EQ(drums.cboPatch.ListCount(), 3);
        EXPECT_EQ(drums.cboPatch.List(0), "35 Acoustic Bass Drum");
        EXPECT_EQ(drums.cboPatch.ListIndex(), c.row);
        closeAndFinish(drums);
        ui::Release<frmLive>();
    }

    // Several parts of an ensemble under a filter, or no filter.txt: no patch list.
    g.MidiChan = 1;
    g.Filter = 0;
    g.EnsActive = {1, 1};
    frmLive& ensemble = ui::Load<frmLive>();
    EXPECT_FALSE(ensemble.cboPatch.Visible());
    EXPECT_FALSE(ensemble.lblPatch.Visible());
    closeAndFinish(ensemble);
    ui::Release<frmLive>();
    g.EnsActive = {1};
    g.MidiChan = 10;
    fs::remove(install / "filter.txt");
    frmLive& bare = ui::Load<frmLive>();
    EXPECT_FALSE(bare.cboPatch.Visible());
    closeAndFinish(bare);
}

TEST_F(LiveWindow, EveryWayOfClosingStopsTheEngine) {
    Global& g = G();
    g.InputThreshold = 100;
    struct Way {
        const char* name;
        std::function<void(frmLive&, User&)> close;
    } ways[] = {{"button", [](frmLive& f, User& u) { u.click(f.cmdClose); }},
                {"Esc", [](frmLive& f, User& u) { u.key(f.cboPatch, ui::Key::Esc); }},
                {"frame", [](frmLive& f, User& u) { u.closeBox(f); }}};
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        test::writeFile(g.TempProject, "x");
        test::writeFile(g.TempTapFile, "x");
        statusTexts.clear();
        frmLive& f = started();
        writeLive(500, 60, 64, "C");
        ui.advance(56);
        User u = ui.user();
        way.close(f, u);
        EXPECT_TRUE(ui::isLoaded<frmLive>());  // it waits for the engine's end
        EXPECT_EQ(f.StatusBar.Text(), "Closing...");
        EXPECT_FALSE(f.cmdClose.Enabled());
        EXPECT_FALSE(f.fraLevel.Visible());
        EXPECT_FALSE(f.lblNote.Visible());
        ASSERT_TRUE(
            waitUntil([&] { return test::readFile(statusFile()).rfind("-1.000", 0) == 0; }));
        ui.advance(56);
        EXPECT_FALSE(ui::isLoaded<frmLive>());
        EXPECT_EQ(statusText, "Ready");
        EXPECT_FALSE(fs::exists(g.TempProject));
        EXPECT_FALSE(fs::exists(g.TempTapFile));
        EXPECT_TRUE(ui.boxes().empty());
        ui::Release<frmLive>();
    }
}

TEST_F(LiveWindow, AnEngineThatNeverEndsIsGivenUp) {
    // This engine starts and then ignores every command until the test ends.
    const auto engine = system_ / "kvxvtpd64";
    const std::string quit = test::shellQuote((system_ / "quit").string());
    test::writeFile(engine, "#!/bin/sh\necho \"$1\" >> " +
                                test::shellQuote((system_ / "started").string()) +
                                "\ni=0\nwhile [ ! -e " + quit +
                                " ] && [ $i -lt 3000 ]; do sleep 0.01; i=$((i+1)); done\n");
    fs::permissions(engine, fs::perms::owner_all);
    frmLive& f = started();
    writeLive(500);
    ui.advance(56);
    ui.user().click(f.cmdClose);
    ui.advance(frmLive::kCloseWaitMs - 250);
    EXPECT_TRUE(ui::isLoaded<frmLive>());
    EXPECT_EQ(command(), "1");  // asked again and again
    ui.expectBox(Box("The converter did not confirm that it stopped.", "Converter", 16, 98))
        .answer(ui::OK);
    ui.advance(250);
    EXPECT_FALSE(ui::isLoaded<frmLive>());
    EXPECT_EQ(statusText, "Ready");
    ui::Release<frmLive>();

    // The bridge has ended that engine and forgotten its run: the next live run starts.
    ConvertStatus record{};
    EXPECT_EQ(Bridge()->GetStatus(&record), 1);
    EXPECT_FALSE(fs::exists(statusFile()));
    fs::remove(system_ / "started");
    installFakeEngine();
    test::writeFile(G().TempProject, "[audio]\nAudioFile=\n");
    frmLive& next = started();
    EXPECT_EQ(next.StartResult, 0);
    closeAndFinish(next);
    ui::Release<frmLive>();
}

TEST_F(LiveWindow, OutcomesAndTheirBoxes) {
    struct Case {
        const char* status;
        std::string text;  // "" when the window closes without a box
        long help;
    } cases[] = {
        {"-3.008", "Specified Project does not exist.  -3.008", 99},
        {"-2.021", "Error reading from file.  -2.021", 0},
        {"-3.002", "Error opening file.  -3.002", 0},
        {"-5.001", "Error writing to file.  -5.001", 0},
        {"-6.000", "Out of memory.  -6", 107},
        {"-10.001", "Unable to open MIDI device.  -10.001", 172},
        {"-11.002", "Unable to open audio device.  -11.002", 172},
        {"-7.003", "  -7.003", 0},
        {"-8.000", "The converter stopped without reporting.  -8", 0},
        {"-1.000", "", 0},
        {"-12.000", "", 0},
        {"-1.500", "", 0},
        {"100000.000", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        statusTexts.clear();
        frmLive& f = started();
        (void)f;
        test::writeFile(statusFile().string() + ".new",
                        std::string(c.status) +
                            " 128 -1 8 0 120.000000 -1.000000 0.000000 0 0 0 64.000000 "
                            "440.000000 N/C");
        fs::rename(statusFile().string() + ".new", statusFile());
        if (!c.text.empty())
            ui.expectBox(Box(c.text, "Conversion error", 16, c.help)).answer(ui::OK);
        ui.advance(56);
        EXPECT_FALSE(ui::isLoaded<frmLive>());
        if (!c.text.empty())
            EXPECT_EQ(statusTexts, (std::vector<std::string>{"Converting...", "Error", "Ready"}));
        else
            EXPECT_EQ(statusTexts, (std::vector<std::string>{"Converting...", "Ready"}));
        ui::Release<frmLive>();
    }
}

TEST_F(LiveWindow, StartFailures) {
    // The engine cannot be started: the program closes.
    fs::remove(system_ / "kvxvtpd64");
    ui.expectBox(Box("Unable to run converter. Error: 3\r\nVeltrane must now close. Please try "
                     "again.",
                     "Converter", 16, 98))
        .answer(ui::OK);
    ShowLiveWindow();
    EXPECT_EQ(programClosed, 1);
    EXPECT_FALSE(ui::isLoaded<frmLive>());
    EXPECT_FALSE(fs::exists(G().TempProject));

    // No bridge library: only this window closes.
    UseBridgeLibrary(root_ / "missing.so");
    ui.expectBox(Box("Unable to run converter. Invalid install.", "Converter", 16, 98))
        .answer(ui::OK);
    ShowLiveWindow();
    EXPECT_EQ(programClosed, 1);
    EXPECT_FALSE(ui::isLoaded<frmLive>());
}

TEST_F(LiveWindow, ShownModallyUntilTheRunEnds) {
    G().InputThreshold = 100;
    ui.onModal<frmLive>([&](frmLive& f, User& u) {
        ASSERT_TRUE(waitUntil([&] { return !startedProjects().empty(); }));
        writeLive(700);
        ui.advance(56);
        EXPECT_EQ(f.StatusBar.Text(), "Active");
        u.click(f.cmdHelp);
        u.click(f.cmdMixer);
        u.click(f.cmdClose);
        ASSERT_TRUE(
            waitUntil([&] { return test::readFile(statusFile()).rfind("-1.000", 0) == 0; }));
        ui.advance(56);
    });
    ShowLiveWindow();
    EXPECT_FALSE(ui::isLoaded<frmLive>());
    EXPECT_EQ(ui.helpCalls(), std::vector<long>{159});
    EXPECT_EQ(shell.calls.size(), 1u);  // the recording mixer
}

// The program's help window opened from the modal live window stays open beside it: the window's
// Close still ends the run, and Esc closes help afterwards.
TEST_F(LiveWindow, HelpStaysOpenBesideThePanelAndCloseStillWorks) {
    G().InputThreshold = 100;
    std::unique_ptr<platform::Help> help = MakeProgramHelp(test::binDir().string() + "/");
    ScopedHook<platform::Help*> realHelp(ui::runtime().help, help.get());
    QWidget* helpWindow = nullptr;
    ui.onModal<frmLive>([&](frmLive& f, User&) {
        ASSERT_TRUE(waitUntil([&] { return !startedProjects().empty(); }));
        test_keys::activate(f);
        test_keys::click(f.cmdHelp.widget());
        helpWindow = static_cast<ui::HelpWindow&>(*help).window();
        ASSERT_NE(helpWindow, nullptr);
        EXPECT_TRUE(helpWindow->isVisible());
        EXPECT_EQ(helpWindow->windowModality(), Qt::NonModal);
        EXPECT_EQ(helpWindow->windowHandle()->transientParent(), f.window()->windowHandle());
        test_keys::click(f.cmdClose.widget());
        EXPECT_EQ(f.StatusBar.Text(), "Closing...") << "Close did nothing while help was open";
        ASSERT_TRUE(
            waitUntil([&] { return test::readFile(statusFile()).rfind("-1.000", 0) == 0; }));
        ui.advance(56);
    });
    ShowLiveWindow();
    EXPECT_FALSE(ui::isLoaded<frmLive>());
    ASSERT_NE(helpWindow, nullptr);
    EXPECT_TRUE(helpWindow->isVisible()) << "help went with the panel";
    QCoreApplication::processEvents();
    QApplication::setActiveWindow(helpWindow);
    QTest::keyClick(helpWindow->focusWidget() != nullptr ? helpWindow->focusWidget() : helpWindow,
                    Qt::Key_Escape);
    EXPECT_FALSE(helpWindow->isVisible());
}

// The whole road without a sound card: the real engine hears a sox melody through the file-backed
// sound input and plays it on the MIDI log device; the window shows the notes as they come, and
// closing it stops the engine. Made to hold on a busy machine: the input is paced by the engine's
// reads (a starved engine hears the same notes later), every note fades so that the level, and
// with it the window's display, changes on every status line, the window is watched until the
// melody has ended, and two seconds of quiet noise come first, for the first level the window
// hears (which sets the threshold) to be that of the noise even when the window is slow to start.
TEST_F(LiveWindow, RealEngineHearsAMelodyAndStopsOnClose) {
    const fs::path lead = root_ / "lead.wav";
    const fs::path noise = root_ / "noise.wav";
    const fs::path tune = root_ / "tune.wav";
    const fs::path wav = root_ / "melody.wav";
    const fs::path log = root_ / "midi.log";
    std::string synth;  // C D E F G, 0.4 s each, each fading out over the whole note
    for (const char* f : {"261.63", "293.66", "329.63", "349.23", "392"})
        synth += std::string(synth.empty() ? "" : " : ") + "synth 0.4 sine " + f +
                 " fade t 0.01 0.4 0.39";
    const std::string sox = "sox -D -n -r 44100 -b 16 -c 1 ";
    // Quiet noise before and after the melody: its level (below 100, also as the peak of a frame
    // of a quarter second) tells that the melody is over.
    for (const std::string& cmd :
         {sox + test::shellQuote(lead.string()) + " synth 2 whitenoise vol 0.001",
          sox + test::shellQuote(noise.string()) + " synth 0.6 whitenoise vol 0.001",
          sox + test::shellQuote(tune.string()) + " " + synth + " gain -3",
          "sox -D " + test::shellQuote(lead.string()) + " " + test::shellQuote(tune.string()) +
              " " + test::shellQuote(noise.string()) + " " + test::shellQuote(wav.string())}) {
        auto made = test::runCommand(cmd + " 2>&1");
        ASSERT_EQ(made.exitCode, 0) << made.output;
    }
    test::ScopedEnv engineDir("VELTRANE_SYSTEM_DIR", test::binDir().string());
    test::ScopedEnv input("VELTRANE_WAVEIN_FILE", wav.string());
    test::ScopedEnv paced("VELTRANE_WAVEIN_PACED", "engine");
    test::ScopedEnv output("VELTRANE_MIDIOUT_LOG", log.string());

    Global& g = G();
    g.PitchMode = 1;
    g.KeyMin = 38;  // a single voice
    g.KeyMax = 84;
    g.OutputThreshold = 40;
    g.InputThreshold = 100;
    g.WorkWaveFile.clear();
    g.WorkMidiFile.clear();
    ASSERT_TRUE(SaveProfile(true));

    std::vector<std::string> shown;
    ui.onModal<frmLive>([&](frmLive& f, User& u) {
        // The window's clock follows real time while the engine plays the file, until the level
        // falls back to the noise after the melody (the limit only ends a run that went wrong).
        bool melodyHeard = false, melodyOver = false;
        for (int tick = 0; tick < 1200 && !melodyOver; ++tick) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ui.advance(56);
            if (!ui::isLoaded<frmLive>()) return;
            if (f.lblNote.Visible() && (shown.empty() || shown.back() != f.lblNote.Caption()))
                shown.push_back(f.lblNote.Caption());
            melodyHeard = melodyHeard || f.LastLevel > 5000;
            melodyOver = melodyHeard && f.LastLevel < 100;
        }
        EXPECT_TRUE(melodyOver) << "last level " << f.LastLevel;
        EXPECT_EQ(f.StatusBar.Text(), "Active");
        EXPECT_GT(g.InputThreshold, 0);
        u.click(f.cmdClose);
        ASSERT_TRUE(waitUntil([&] {
            return fs::exists(statusFile()) && test::readFile(statusFile()).rfind("-1.000", 0) == 0;
        }));
        ui.advance(56);
    });
    ShowLiveWindow();
    EXPECT_FALSE(ui::isLoaded<frmLive>());
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(statusText, "Ready");
    EXPECT_FALSE(fs::exists(g.TempProject));

    // The notes the window showed are the melody's, in order. A single voice is tracked with
    // short windows, so a note's onset may first read a semitone off; such names are passed over.
    const std::vector<std::string> melody = {"C5", "D5", "E5", "F5", "G5"};
    std::vector<std::string> heard;
    for (const std::string& name : shown)
        if (std::find(melody.begin(), melody.end(), name) != melody.end()) heard.push_back(name);
    EXPECT_GE(heard.size(), 3u) << testing::PrintToString(shown);
    EXPECT_TRUE(std::is_sorted(heard.begin(), heard.end())) << testing::PrintToString(shown);
    // The MIDI log holds the melody's notes in order, and the run ended with the output closed.
    std::vector<int> keys;
    std::vector<std::string> lines = test::splitLines(test::readFile(log));
    // A single line may start a note one key off and bend it onto its pitch: the bend sent with
    // the note-on (32 = one half step, more than half a half step moves the key) counts.
    bool bendPending = false;  // the last note-on's bend has not come yet
    unsigned noteMs = 0;
    for (const std::string& line : lines) {
        unsigned ms = 0, status = 0, key = 0, velocity = 0;
        if (std::sscanf(line.c_str(), "%u %x %x %x", &ms, &status, &key, &velocity) != 4) continue;
        if ((status & 0xF0) == 0xE0 && bendPending && ms == noteMs) {
            int bend = static_cast<int>(velocity) - 64;
            keys.back() += bend > 16 ? (bend + 15) / 32 : bend < -16 ? -((15 - bend) / 32) : 0;
            bendPending = false;
        }
        if ((status & 0xF0) == 0x90 && velocity > 0) {
            keys.push_back(static_cast<int>(key));
            bendPending = true;
            noteMs = ms;
        }
    }
    std::vector<int> melodyKeys;
    for (int key : keys)
        if (key == 60 || key == 62 || key == 64 || key == 65 || key == 67)
            melodyKeys.push_back(key);
    melodyKeys.erase(std::unique(melodyKeys.begin(), melodyKeys.end()), melodyKeys.end());
    EXPECT_GE(melodyKeys.size(), 4u) << testing::PrintToString(keys);
    EXPECT_TRUE(std::is_sorted(melodyKeys.begin(), melodyKeys.end()))
        << testing::PrintToString(keys);
    for (int key : keys) EXPECT_TRUE(key >= 59 && key <= 68) << key;
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find("close"), std::string::npos);
}

}  // namespace
}  // namespace velt::desk
