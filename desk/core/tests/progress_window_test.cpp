// The Convert command and its progress window, driven by the real bridge and a fake engine whose
// status lines the test writes, under the test clock: percent and time texts, outcomes and their
// boxes, Stop, several files, start failures, damaged status lines, and the follow-ups.
#include <gtest/gtest.h>

#include <filesystem>

#include "box_match.h"
#include "desk/core/recognize.h"
#include "desk/core/run/frm_results.h"
#include "desk/core/run/frm_status.h"
#include "desk/media/frm_mp3.h"
#include "run_fixture.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using test_boxes::Box;
using test_run::Line;
using User = ui::test::User;
using test_run::waitUntil;

class ProgressWindow : public test_run::RunTest {};

TEST_F(ProgressWindow, ShowsPercentAndTimesThenAdoptsWhatTheRunDetected) {
    installFakeEngine();
    singleFileProject();
    Global& g = G();
    g.StartPoint = 0;
    g.EndPoint = 60;
    g.Tempo = 100;
    g.AutoDetectNote = 1;
    g.PartPatch[0] = 33;

    ui.onModal<frmStatus>([&](frmStatus& f, User&) {
        EXPECT_EQ(f.Caption(), "Converting: song");
        EXPECT_EQ(statusText, "Converting...");
        EXPECT_EQ(caption, "Veltrane: Initializing");
        ASSERT_TRUE(waitUntil([&] { return !startedProjects().empty(); }));
        EXPECT_EQ(startedProjects(), std::vector<std::string>{g.TempProject});
        EXPECT_NE(test::readFile(g.TempProject).find("AudioFile=" + g.AudioFiles(1)),
                  std::string::npos);

        writeStatus("0.000");  // the engine's first line: no progress, no clock yet
        ui.advance(56);
        EXPECT_EQ(f.lblStatus.Caption(), "Initializing");

        writeStatus("12.500");  // t = 112 ms: the clock starts
        ui.advance(56);
        EXPECT_EQ(f.lblStatus.Caption(), "12% completed");
        EXPECT_DOUBLE_EQ(f.ProgressBar.Value(), 12.5);
        EXPECT_EQ(caption, "Veltrane: 12% completed");
        EXPECT_EQ(f.lblTimeElapsed.Caption(), ":00");
        EXPECT_EQ(f.lblEstTimeRemain.Caption(), "");

        Line midway;  // values a run reports while it goes reach the project only at its end
        midway.status = "37.500";
        midway.tempo = "99.000000";
        writeStatus(midway);
        ui.advance(896);  // t = 1008 ms: one second boundary crossed
        EXPECT_EQ(f.lblStatus.Caption(), "38% completed");
        EXPECT_EQ(f.lblTimeElapsed.Caption(), ":01");
        EXPECT_EQ(f.lblEstTimeRemain.Caption(), ":02");  // 1 / 37.5 * 62.5 = 1.67
        EXPECT_EQ(f.lblEstTotTime.Caption(), ":03");
        EXPECT_EQ(g.Tempo, 100);

        Line closing;
        closing.status = "100.250";
        writeStatus(closing);
        ui.advance(56);
        EXPECT_EQ(f.lblStatus.Caption(), "Closing...");
        EXPECT_FALSE(f.cmdCancel.Enabled());
        EXPECT_FALSE(f.lblTimeElapsed.Visible());
        EXPECT_DOUBLE_EQ(f.ProgressBar.Value(), 100);

        Line done;
        done.status = "100000.000";
        done.lowKey = 45;
        done.highKey = 76;
        done.keySig = -3;
        done.keyMode = 1;
        done.tempo = "96.500000";
        done.resolution = "2.000000";
        done.start = "1.250000";
        done.chordRes = 4;
        done.numerator = 12;
        done.pitch = "445.000000";
        writeStatus(done);
        test::writeFile(g.MidiFiles(1), "MThd");
        ui.advance(56);
        EXPECT_FALSE(ui::isLoaded<frmStatus>());
    });
    ui.onModal<frmResults>([&](frmResults& r, User& u) {
        EXPECT_EQ(r.txtFile.Text(), g.MidiFiles(1));
        EXPECT_EQ(r.lblTempo1.Caption(), "96 bpm");  // 96.5: halves to even
        EXPECT_EQ(r.lblMeter1.Caption(), "12 / 8");
        EXPECT_EQ(r.lblTuning1.Caption(), "+20 cents");
        EXPECT_EQ(r.lblKey1.Caption(), "C minor (3 flats)");
        u.click(r.optAction(5));  // build a score: closes, the New command follows
    });
    RunRecognize();

    EXPECT_EQ(statusText, "Finished");
    EXPECT_EQ(caption, "Veltrane Rizaduzede MP3 to MIDI Converter - song");
    EXPECT_FLOAT_EQ(g.Tempo, 96.5f);
    EXPECT_FLOAT_EQ(g.Resolution, 2.0f);
    EXPECT_FLOAT_EQ(g.StartPoint, 1.25f);
    EXPECT_EQ(g.EntireAudio, 0);
    EXPECT_EQ(g.ChordRes, 4);
    EXPECT_EQ(g.TimeSignatureNumerator, 12);
    EXPECT_EQ(g.TimeSignatureDenominator, 3);  // 12 beats: eighths
    EXPECT_FLOAT_EQ(g.ReferencePitch, 445.0f);
    EXPECT_EQ(g.KeyMin, 45);
    EXPECT_EQ(g.KeyMax, 76);
    EXPECT_EQ(g.KeySignature, -3);
    EXPECT_EQ(g.MajorMinor, 1);
    EXPECT_TRUE(g.ProjectChanged);
    EXPECT_TRUE(saveEnabled);
    EXPECT_FALSE(fs::exists(g.TempProject));
    EXPECT_EQ(g.ResultAction, 5);
    EXPECT_EQ(g.ScoreBuilderMaster, g.MidiFiles(1));
    EXPECT_EQ(g.ScoreBuilderPatch, 33);
    EXPECT_EQ(commands, std::vector<std::string>{"New"});
}

TEST_F(ProgressWindow, AFailedRunShowsNoEstimatesWithoutDurationAndKeepsTheProject) {
    installFakeEngine();
    singleFileProject();
    Global& g = G();
    g.StartPoint = 5;
    g.EndPoint = 5;  // no duration known: no estimates
    g.Tempo = 97;
    g.ReferencePitch = 442;
    g.TimeSignatureNumerator = 3;
    g.AutoDetectNote = 1;
    ui.onModal<frmStatus>([&](frmStatus& f, User&) {
        writeStatus("10.000");
        ui.advance(56);
        writeStatus("30.000");
        ui.advance(2000);
        EXPECT_EQ(f.lblTimeElapsed.Caption(), ":02");
        EXPECT_EQ(f.lblEstTimeRemain.Caption(), "");
        EXPECT_EQ(f.lblEstTotTime.Caption(), "");
        Line failed;  // an early failure reports the engine's defaults
        failed.status = "-2.033";
        failed.lowKey = 50;
        failed.highKey = 60;
        writeStatus(failed);
        ui.advance(56);
    });
    ui.expectBox(Box("Error reading from file.  -2.033", "Conversion error", 16)).answer(ui::OK);
    RunRecognize();
    EXPECT_EQ(statusText, "Error");
    EXPECT_FALSE(ui.boxes().back().systemModal);
    EXPECT_FLOAT_EQ(g.Tempo, 97);
    EXPECT_FLOAT_EQ(g.StartPoint, 5);
    EXPECT_FLOAT_EQ(g.ReferencePitch, 442);
    EXPECT_EQ(g.TimeSignatureNumerator, 3);
    EXPECT_EQ(g.KeyMin, 28);
    EXPECT_FALSE(g.ProjectChanged);
}

TEST_F(ProgressWindow, EachOutcomeShowsItsBoxWithItsHelpTopic) {
    struct Case {
        const char* status;
        const char* text;
        long help;
    } cases[] = {
        {"-3.015", "Specified Audio File does not exist.  -3.015", 101},
        {"-2.016", "Unable to read Audio File.  -2.016", 102},
        {"-5.022", "Unable to write to MIDI File.  -5.022", 105},
        {"-4.011", "Wave format not supported or invalid.  -4.011", 103},
        {"-9.036",
         "Insufficient information to detect timing settings. You must manually tap in the "
         "tempo and select a Timing Resolution for this audio file.  -9.036",
         167},
        {"-13.500", "  -13.5", 0},
    };
    singleFileProject();
    std::vector<long> helps;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        installFakeEngine();
        ui.onModal<frmStatus>([&](frmStatus&, User&) {
            writeStatus(c.status);
            ui.advance(56);
        });
        auto& box = ui.expectBox(Box(c.text, "Conversion error", 16, c.help));
        if (c.help != 0) {
            box.pressHelp();
            helps.push_back(c.help);
        }
        box.answer(ui::OK);
        RunRecognize();
        EXPECT_EQ(ui.boxes().back().systemModal, c.help != 0);
        EXPECT_EQ(statusText, "Error");
    }
    EXPECT_EQ(ui.helpCalls(), helps);
}

TEST_F(ProgressWindow, AnEngineThatStopsWithoutAWordEndsTheRun) {
    installFakeEngine("exit 0");
    singleFileProject();
    ui.onModal<frmStatus>([&](frmStatus&, User&) {
        for (int i = 0; i < 500 && ui::isLoaded<frmStatus>(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            ui.advance(56);
        }
    });
    ui.expectBox(Box("The converter stopped without reporting.  -8", "Conversion error", 16))
        .answer(ui::OK);
    RunRecognize();
    EXPECT_EQ(statusText, "Error");
}

TEST_F(ProgressWindow, StopEndsWithUserAbortAndConvertAgainAsksAgain) {
    installFakeEngine();
    singleFileProject();
    ui.onModal<frmStatus>([&](frmStatus& f, User& u) {
        writeStatus("20.000");
        ui.advance(56);
        u.click(f.cmdCancel);
        EXPECT_EQ(statusText, "User abort");
        EXPECT_EQ(caption, "Veltrane: 20% completed");
        EXPECT_EQ(f.lblStatus.Caption(), "Closing...");
        EXPECT_FALSE(f.lblEstTimeRemain.Visible());
        EXPECT_FALSE(f.lblEstTotTime.Visible());
        EXPECT_FALSE(f.lblTimeElapsed.Visible());
        // The window stays until the engine's cancel line arrives.
        ASSERT_TRUE(waitUntil([&] {
            return fs::exists(statusFile()) && test::readFile(statusFile()).rfind("-1.000", 0) == 0;
        }));
        EXPECT_TRUE(ui::isLoaded<frmStatus>());
        test::writeFile(G().MidiFiles(1), "MThd");  // a cancelled run keeps its MIDI file
        ui.advance(56);
        EXPECT_FALSE(ui::isLoaded<frmStatus>());
    });
    ui.onModal<frmResults>([&](frmResults& r, User& u) { u.click(r.optAction(2)); });
    ui.expectBox(Box("The file '" + G().MidiFiles(1) +
                         "' already exists.  Do you want to replace existing file?",
                     "Converter", 32))
        .answer(ui::No);
    RunRecognize();
    EXPECT_EQ(statusText, "User abort");
    EXPECT_EQ(G().ResultAction, 2);
    EXPECT_EQ(startedProjects().size(), 1u);
}

TEST_F(ProgressWindow, SeveralFilesEachGetAWindowAndTheirRangesAreMerged) {
    installFakeEngine();
    Global& g = G();
    g.AudioFileCount = 3;
    g.AudioFiles.redim(3);
    g.MidiFiles.redim(3);
    const char* names[] = {"a.wav", "b.mp3", "c.WAV"};
    for (int i = 1; i <= 3; ++i) {
        g.AudioFiles(i) = (work_ / names[i - 1]).string();
        g.MidiFiles(i) = (work_ / (std::string(1, char('a' + i - 1)) + ".mid")).string();
    }
    g.AutoDetectNote = 1;
    g.Tempo = 90;
    struct Run {
        const char* caption;
        int index;
        int low, high;
        const char* pitch;
    } runs[] = {{"Converting: a", 1, 40, 70, "442.000000"},
                {"Converting: c", 3, 45, 80, "438.000000"}};
    auto expectRun = [&](const Run& run) {
        ui.onModal<frmStatus>([&, run](frmStatus& f, User&) {
            EXPECT_EQ(f.Caption(), run.caption);
            EXPECT_EQ(g.ConvertIndex, run.index);
            EXPECT_NE(test::readFile(g.TempProject).find("AudioFile=" + g.AudioFiles(run.index)),
                      std::string::npos);
            Line done;
            done.status = "100000.000";
            done.lowKey = run.low;
            done.highKey = run.high;
            done.tempo = "140.000000";
            done.pitch = run.pitch;
            writeStatus(done);
            ui.advance(56);
        });
    };
    expectRun(runs[0]);
    ui.onModal<frmMP3>([&](frmMP3& decoder, User&) {
        EXPECT_FALSE(g.WaveReady);
        EXPECT_EQ(g.SourceAudioFile, g.AudioFiles(2));
        EXPECT_EQ(g.WorkWaveFile, g.TempFolder + "/~temp.wav");
        // The real decoder reports the missing file; the window's ticks read its line.
        EXPECT_TRUE(waitUntil([&] {
            ui.advance(decoder.tmrStatus.Interval());
            return !decoder.loaded();
        }));
    });
    expectRun(runs[1]);
    ui.expectBox(Box("ERROR: Cannot open mp3 file (no such file)", "Decode Error", 16, 170))
        .answer(ui::OK);
    RunRecognize();
    EXPECT_TRUE(waitUntil([&] { return startedProjects().size() == 2; }));
    EXPECT_FLOAT_EQ(g.ReferencePitch, 440.0f);
    EXPECT_EQ(g.KeyMin, 40);
    EXPECT_EQ(g.KeyMax, 80);
    EXPECT_TRUE(g.ProjectChanged);
    EXPECT_FLOAT_EQ(g.Tempo, 90);  // several files never set the tempo
    EXPECT_EQ(g.SourceAudioFile, g.AudioFiles(2));
    EXPECT_FALSE(g.WaveReady);
}

TEST_F(ProgressWindow, AnEngineThatCannotStartClosesBothWindows) {
    singleFileProject();  // no engine installed
    ui.expectBox(Box("Unable to run converter. Error: 3\r\nVeltrane must now close. Please try "
                     "again.",
                     "Converter", 16, 98))
        .answer(ui::OK);
    RunRecognize();
    EXPECT_EQ(programClosed, 1);
    EXPECT_TRUE(ui.boxes().back().systemModal);
    EXPECT_FALSE(fs::exists(G().TempProject));
}

TEST_F(ProgressWindow, AMissingBridgeIsAnInvalidInstallAndTheMainWindowStays) {
    installFakeEngine();
    singleFileProject();
    UseBridgeLibrary(root_ / "lib" / "libkvxvtpd.so");
    ui.expectBox(Box("Unable to run converter. Invalid install.", "Converter", 16, 98))
        .answer(ui::OK);
    RunRecognize();
    EXPECT_EQ(programClosed, 0);
    EXPECT_TRUE(startedProjects().empty());
}

TEST_F(ProgressWindow, DamagedStatusLinesSkipTheirTick) {
    installFakeEngine();
    singleFileProject();
    G().Tempo = 100;
    ui.onModal<frmStatus>([&](frmStatus& f, User&) {
        writeStatus("25.000");
        ui.advance(56);
        ASSERT_EQ(f.lblStatus.Caption(), "25% completed");
        Line nan;
        nan.status = "nan";
        Line hugeTempo;
        hugeTempo.status = "40.000";
        hugeTempo.tempo = "1e30";
        Line hugeStatus;
        hugeStatus.status = "1e30";
        Line extra;
        extra.status = "45.000";
        extra.tail = " 7 8";
        for (const Line& bad : {nan, hugeTempo, hugeStatus, extra}) {
            SCOPED_TRACE(bad.text());
            writeStatus(bad);
            ui.advance(56);
            EXPECT_EQ(f.lblStatus.Caption(), "25% completed");
            EXPECT_TRUE(ui::isLoaded<frmStatus>());
        }
        Line done;
        done.status = "100000.000";
        done.tempo = "nan";  // the end counts, its values don't
        writeStatus(done);
        ui.advance(56);
        EXPECT_FALSE(ui::isLoaded<frmStatus>());
    });
    ui.onModal<frmResults>([&](frmResults& r, User& u) { u.click(r.cmdClose); });
    RunRecognize();
    EXPECT_EQ(statusText, "Finished");
    EXPECT_FLOAT_EQ(G().Tempo, 100);
}

TEST_F(ProgressWindow, ClosingTheWindowWhileItRunsStopsTheEngineFirst) {
    installFakeEngine();
    singleFileProject();
    ui.onModal<frmStatus>([&](frmStatus& f, User& u) {
        writeStatus("20.000");
        ui.advance(56);
        u.closeBox(f);
        EXPECT_TRUE(ui::isLoaded<frmStatus>());
        EXPECT_EQ(statusText, "User abort");
        ASSERT_TRUE(waitUntil([&] {
            return fs::exists(statusFile()) && test::readFile(statusFile()).rfind("-1.000", 0) == 0;
        }));
        ui.advance(56);
        EXPECT_FALSE(ui::isLoaded<frmStatus>());
    });
    ui.onModal<frmResults>([&](frmResults& r, User& u) { u.click(r.cmdClose); });
    RunRecognize();
}

// An engine that never answers a stop (hung): after the bounded wait the window gives the run up
// (the bridge ends the engine), closes with a message, and the next Convert starts as usual.
TEST_F(ProgressWindow, AnEngineThatNeverConfirmsTheStopIsGivenUpAndTheNextConvertWorks) {
    struct Case {
        const char* name;
        bool byFrame;  // the frame's close button instead of Stop
    };
    for (const Case& c : {Case{"Stop", false}, Case{"frame", true}}) {
        SCOPED_TRACE(c.name);
        // This engine notes its start and then ignores every command.
        const std::string quit = test::shellQuote((system_ / "quit").string());
        test::writeFile(system_ / "kvxvtpd64",
                        "#!/bin/sh\necho \"$1\" >> " +
                            test::shellQuote((system_ / "started").string()) +
                            "\ntrap '' TERM\ni=0\nwhile [ ! -e " + quit +
                            " ] && [ $i -lt 3000 ]; do sleep 0.01; i=$((i+1)); done\n");
        fs::permissions(system_ / "kvxvtpd64", fs::perms::owner_all);
        fs::remove(system_ / "started");
        singleFileProject();
        ui.onModal<frmStatus>([&](frmStatus& f, User& u) {
            ASSERT_TRUE(waitUntil([&] { return !startedProjects().empty(); }));
            writeStatus("20.000");
            ui.advance(56);
            if (c.byFrame)
                u.closeBox(f);
            else
                u.click(f.cmdCancel);
            ui.advance(frmStatus::kStopWaitMs - 100);
            EXPECT_TRUE(ui::isLoaded<frmStatus>()) << "still waiting for the engine";
            EXPECT_EQ(test::readFile(commandFile()), "1");
            ui.expectBox(Box("The converter did not confirm that it stopped.", "Converter", 16, 98))
                .answer(ui::OK);
            ui.advance(200);  // the first tick after the wait
            EXPECT_FALSE(ui::isLoaded<frmStatus>());
        });
        RunRecognize();
        EXPECT_EQ(statusText, "Error");
        EXPECT_FALSE(fs::exists(statusFile()));
        EXPECT_FALSE(fs::exists(commandFile()));
        EXPECT_FALSE(fs::exists(G().TempProject));

        // The next Convert starts a new engine and finishes.
        installFakeEngine();
        ui.onModal<frmStatus>([&](frmStatus&, User&) {
            ASSERT_TRUE(waitUntil([&] { return startedProjects().size() == 2; }));
            writeStatus("100000.000");
            ui.advance(56);
            EXPECT_FALSE(ui::isLoaded<frmStatus>());
        });
        ui.onModal<frmResults>([&](frmResults& r, User& u) { u.click(r.cmdClose); });
        RunRecognize();
        EXPECT_EQ(statusText, "Finished");
    }
}

TEST_F(ProgressWindow, ReplacementQuestionsAndTheLiveRoad) {
    Global& g = G();
    // Live: no audio file, the working project names none.
    RunRecognize();
    EXPECT_EQ(commands, std::vector<std::string>{"Live"});
    auto lines = test::splitLines(test::readFile(g.TempProject));
    EXPECT_NE(std::find(lines.begin(), lines.end(), "AudioFile="), lines.end());

    // Two of three MIDI files exist.
    g.AudioFileCount = 3;
    g.AudioFiles.redim(3);
    g.MidiFiles.redim(3);
    for (int i = 1; i <= 3; ++i) {
        g.AudioFiles(i) = (work_ / (std::to_string(i) + ".wav")).string();
        g.MidiFiles(i) = (work_ / (std::to_string(i) + ".mid")).string();
    }
    test::writeFile(g.MidiFiles(1), "");
    test::writeFile(g.MidiFiles(3), "");
    auto several = Box("2 of the MIDI files already exist.  Do you want to replace existing files?",
                       "Converter", 32);
    several.defaultAnswer = ui::No;
    ui.expectBox(several).answer(ui::No);
    RunRecognize();

    // One exists and is the master file.
    fs::remove(g.MidiFiles(1));
    g.MasterFile = g.MidiFiles(3);
    ui.expectBox(Box("The Master file has the same name as the MIDI file.  This will cause the "
                     "MIDI file to be replaced with the merged file.  Do you want to proceed?",
                     "Rerar Odaduza", 32))
        .answer(ui::No);
    RunRecognize();
    EXPECT_TRUE(startedProjects().empty());

    // Started by the wizard: no question, and the flag is consumed.
    singleFileProject();
    test::writeFile(g.MidiFiles(1), "");
    g.WizardRunning = true;
    UseBridgeLibrary(root_ / "none.so");
    ui.expectBox(Box("Unable to run converter. Invalid install.", "Converter", 16, 98))
        .answer(ui::OK);
    RunRecognize();
    EXPECT_FALSE(g.WizardRunning);
}

}  // namespace
}  // namespace velt::desk
