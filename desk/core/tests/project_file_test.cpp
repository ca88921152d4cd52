// The project file: golden saved and working files, reading formats 1 to 3 with their fix-ups,
// refusals, values that can't be trusted, the tap file, and saves that fail.
#include "desk/core/project/project_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "box_match.h"
#include "desk/core/global.h"
#include "desk/core/project/tap_file.h"
#include "test_support.h"

namespace velt::desk {
namespace {

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string golden(const std::string& name, const std::string& dir) {
    return replaceAll(test::readFile(test::sourceDir() / "desk/core/tests/golden" / name), "@DIR@",
                      dir);
}

class ProjectFile : public ::testing::Test {
  protected:
    void SetUp() override { ResetGlobal(); }
    void TearDown() override { ResetGlobal(); }

    // A project with two audio files, taps, an ensemble of two parts and non-default values.
    void fillProject() {
        Global& g = G();
        const std::string d = dir.path().string();
        g.InstallFolder = "/opt/veltrane/";
        g.AudioFileCount = 2;
        g.AudioFiles.redim(2);
        g.MidiFiles.redim(2);
        g.AudioFiles(1) = d + "/take 1.wav";
        g.AudioFiles(2) = d + "/b.wav";
        g.MidiFiles(1) = d + "/take 1.mid";
        g.MidiFiles(2) = d + "/b.mid";
        g.EntireAudio = 0;
        g.StartPoint = 2.5f;
        g.EndPoint = 61;
        g.StereoPan = 40;
        g.ReferencePitch = 439.5f;
        g.PitchMode = 1;
        g.KeyMin = 40;
        g.KeyMax = 90;
        g.KeySignature = -3;
        g.MajorMinor = 1;
        g.Transpose = -12;
        g.Tempo = 97.5f;
        g.Resolution = 2.584963f;
        g.TimeSignatureNumerator = 3;
        g.ChordRes = 6;
        g.Gain = 150;
        g.Filter = 12;
        g.MidiChan = 2;
        g.MidiPat = 40;
        g.MasterFile = d + "/master.mid";
        g.Ensemble = "Strings";
        g.AutoEnsName = 0;
        g.PartActive[1] = 1;
        g.PartChannel[1] = 3;
        g.PartPatch[1] = 41;
        g.PartTrack[1] = 1;
        g.PartKeyMin[1] = 36;
        g.PartKeyMax[1] = 84;
        g.TempoTaps = std::string("\xE8\x03\xF4\x01", 4);
        g.AudioDevice = 2;
        g.MidiDevice = 3;
        g.WorkWaveFile = d + "/take 1.wav";
        g.WorkMidiFile = d + "/take 1.mid";
    }

    ui::test::Script ui;  // a box that no test expects fails the test
    test::TempDir dir;
};

TEST_F(ProjectFile, SavedProjectMatchesTheGoldenFile) {
    fillProject();
    G().ProjectFile = (dir / "song.vpr").string();
    ASSERT_TRUE(SaveProfile());
    EXPECT_EQ(test::readFile(dir / "song.vpr"), golden("saved.vpr", dir.path().string()));
    EXPECT_EQ(test::readFile(dir / "song.tt"), std::string("\xE8\x03\xF4\x01", 4));
    EXPECT_EQ(G().TempoFile, (dir / "song.tt").string());
}

TEST_F(ProjectFile, WorkingProjectMatchesTheGoldenFile) {
    fillProject();
    G().ProjectFile = (dir / "song.vpr").string();
    G().TempProject = (dir / "~temp.vpr").string();
    G().ProjectChanged = true;
    ASSERT_TRUE(SaveProfile(true));
    EXPECT_EQ(test::readFile(dir / "~temp.vpr"), golden("working.vpr", dir.path().string()));
    EXPECT_EQ(test::readFile(dir / "~temp.tt"), std::string("\xE8\x03\xF4\x01", 4));
    EXPECT_EQ(G().ProjectFile, (dir / "song.vpr").string());  // restored
    EXPECT_TRUE(G().ProjectChanged);                          // a working copy saves nothing
    EXPECT_FALSE(std::filesystem::exists(dir / "song.vpr"));
}

// What the main window was told, through its hooks.
struct Commands {
    std::string caption;
    int menuUpdates = 0;
    int saveEnabled = -1, playerEnabled = -1, recognizeEnabled = -1;
    void install() {
        MainWindow().setCaption = [this](const std::string& c) { caption = c; };
        MainWindow().updateMenu = [this] { ++menuUpdates; };
        MainWindow().enableSave = [this](bool on) { saveEnabled = on; };
        MainWindow().enablePlayer = [this](bool on) { playerEnabled = on; };
        MainWindow().enableRecognize = [this](bool on) { recognizeEnabled = on; };
    }
};

TEST_F(ProjectFile, NewProjectHoldsTheDefaults) {
    Commands seen;
    seen.install();
    G().Tempo = 77;
    G().AudioFileCount = 3;
    ASSERT_TRUE(OpenProfile(""));
    const Global& g = G();
    const ProjectRecord d;
    EXPECT_EQ(g.ProjectFile, "");
    EXPECT_EQ(g.ProjectFormat, 3);
    EXPECT_EQ(g.AudioFileCount, 0);
    EXPECT_EQ(g.Tempo, 120);
    EXPECT_EQ(g.EndPoint, 3600);
    EXPECT_EQ(g.ReferencePitch, 440);
    EXPECT_EQ(g.Resolution, -1);
    EXPECT_EQ(g.KeyMin, 28);
    EXPECT_EQ(g.KeyMax, 85);
    EXPECT_EQ(g.InputThreshold, 384);
    EXPECT_EQ(g.Filter, -1);
    EXPECT_EQ(g.TempoDetect, 1);
    EXPECT_EQ(g.Brightness, d.Brightness);
    EXPECT_EQ(seen.caption, "Veltrane Rizaduzede MP3 to MIDI Converter");
    EXPECT_EQ(seen.menuUpdates, 0);
    EXPECT_EQ(seen.saveEnabled, 0);
    EXPECT_EQ(g.PartKeyMin.size(), 17u);
    EXPECT_EQ(g.PartKeyMax.size(), 17u);
}

TEST_F(ProjectFile, SavedProjectReadsBackWithItsPartsAndTaps) {
    fillProject();
    G().ProjectFile = (dir / "song.vpr").string();
    ASSERT_TRUE(SaveProfile());
    const Global saved = G();
    test::writeFile(dir / "take 1.wav", "");  // the taps belong to an audio file that exists

    ResetGlobal();
    Commands seen;
    seen.install();
    ASSERT_TRUE(OpenProfile((dir / "song.vpr").string()));
    const Global& g = G();
    EXPECT_EQ(g.AudioFileCount, 2);
    for (int i = 1; i <= 2; ++i) {
        EXPECT_EQ(g.AudioFiles(i), saved.AudioFiles(i));
        EXPECT_EQ(g.MidiFiles(i), saved.MidiFiles(i));
    }
    EXPECT_EQ(g.EntireAudio, 0);
    EXPECT_FLOAT_EQ(g.StartPoint, 2.5f);
    EXPECT_FLOAT_EQ(g.ReferencePitch, 439.5f);
    EXPECT_FLOAT_EQ(g.Tempo, 97.5f);
    EXPECT_FLOAT_EQ(g.Resolution, 2.584963f);
    EXPECT_EQ(g.KeySignature, -3);
    EXPECT_EQ(g.Transpose, -12);
    EXPECT_EQ(g.Gain, 150);
    EXPECT_EQ(g.Filter, 12);
    EXPECT_EQ(g.MidiChan, 2);
    EXPECT_EQ(g.MidiPat, 40);
    EXPECT_EQ(g.PartChannel, saved.PartChannel);
    EXPECT_EQ(g.PartPatch, saved.PartPatch);
    EXPECT_EQ(g.PartActive, saved.PartActive);
    EXPECT_EQ(g.PartKeyMin, saved.PartKeyMin);
    EXPECT_EQ(g.Ensemble, "Strings");
    EXPECT_EQ(g.MasterFile, saved.MasterFile);
    EXPECT_EQ(g.AutoEnsName, 0);
    EXPECT_EQ(g.TempoTaps, saved.TempoTaps);
    EXPECT_FLOAT_EQ(g.AudioLength, 1.5f + 2.5f);  // 1000 + 500 ms after the start point
    EXPECT_EQ(g.ProjectFolder, dir.path().string() + "/");
    EXPECT_EQ(seen.caption, "Veltrane Rizaduzede MP3 to MIDI Converter - song");
    EXPECT_EQ(seen.menuUpdates, 1);
    EXPECT_FALSE(g.ProjectChanged);
    EXPECT_FALSE(g.WaveReady);
    EXPECT_EQ(seen.playerEnabled, 1);

    // Without its audio file the project's taps are dropped; the player stays enabled by name.
    std::filesystem::remove(dir / "take 1.wav");
    ASSERT_TRUE(OpenProfile((dir / "song.vpr").string()));
    EXPECT_EQ(G().TempoTaps, "");
    EXPECT_EQ(seen.playerEnabled, 1);
}

TEST_F(ProjectFile, RefusalsLeaveTheOpenProjectAlone) {
    test::writeFile(dir / "zero.vpr", "[other]\nVprFormat=0\n[timing]\nTempo=50\n");
    test::writeFile(dir / "none.vpr", "[timing]\nTempo=50\n");
    test::writeFile(dir / "future.vpr", "[other]\nVprFormat=4\n[timing]\nTempo=50\n");
    std::filesystem::create_directory(dir / "folder.vpr");
    const std::string d = dir.path().string();
    struct Case {
        std::string file, text;
        long help;
    } cases[] = {
        {d + "/missing.vpr", "The file '" + d + "/missing.vpr' does not exist.", 99},
        {d + "/zero.vpr", "The file '" + d + "/zero.vpr' is not a valid Veltrane project.", 0},
        {d + "/none.vpr", "The file '" + d + "/none.vpr' is not a valid Veltrane project.", 0},
        {d + "/folder.vpr", "The file '" + d + "/folder.vpr' is not a valid Veltrane project.", 0},
        {d + "/future.vpr",
         "The project '" + d +
             "/future.vpr' is not supported by this version of Veltrane.  Please upgrade to a "
             "newer version.",
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        int format = -1;
        auto refusal = ProjectRefusal(c.file, format);
        ASSERT_TRUE(refusal.has_value());
        EXPECT_EQ(refusal->text, c.text);
        EXPECT_EQ(refusal->helpTopic, c.help);

        G().ProjectFile = "/open/project.vpr";
        G().Tempo = 88;
        ui.expectBox(test_boxes::Box(c.text, "Open Project", 16, c.help)).answer(ui::OK);
        EXPECT_FALSE(OpenProfile(c.file));
        EXPECT_EQ(G().ProjectFile, "/open/project.vpr");
        EXPECT_EQ(G().Tempo, 88);
    }
}

TEST_F(ProjectFile, FormatOneFileWithItsFixUps) {
    // Written with CR LF, as the old program wrote it.
    test::writeFile(dir / "old.vpr",
                    "[wave]\r\nWaveFile=a.wav|Samples/b.wav\r\nEntireWave=0\r\nStartPoint=1\r\n"
                    "StereoPan=70\r\nReferencePitch=441\r\n[midi]\r\nChannel=5\r\nPatch=33\r\n"
                    "Filter=7\r\nMidiFile=|x.mid\r\n[other]\r\nVprFormat=1\r\n");
    ASSERT_TRUE(OpenProfile((dir / "old.vpr").string()));
    const Global& g = G();
    const std::string d = dir.path().string() + "/";
    EXPECT_EQ(g.ProjectFormat, 1);
    ASSERT_EQ(g.AudioFileCount, 2);
    EXPECT_EQ(g.AudioFiles(1), d + "a.wav");
    EXPECT_EQ(g.AudioFiles(2), d + "Samples/b.wav");
    EXPECT_EQ(g.MidiFiles(1), d + "a.mid");  // an empty piece is named after the audio
    EXPECT_EQ(g.MidiFiles(2), d + "x.mid");
    EXPECT_EQ(g.EntireAudio, 0);
    EXPECT_FLOAT_EQ(g.StartPoint, 1);
    EXPECT_EQ(g.StereoPan, 70);
    EXPECT_FLOAT_EQ(g.ReferencePitch, 441);
    EXPECT_EQ(g.Filter, 0);
    EXPECT_EQ(g.TempoDetect, 0);
    EXPECT_EQ(g.MidiChan, 5);
    EXPECT_EQ(g.MidiPat, 33);

    // Format 2: tempo detection defaults to on; saved again, the file is format 3.
    test::writeFile(dir / "two.vpr", "[wave]\nWaveFile=/m/a.wav\n[other]\nVprFormat=2\n");
    ASSERT_TRUE(OpenProfile((dir / "two.vpr").string()));
    EXPECT_EQ(G().TempoDetect, 1);
    EXPECT_EQ(G().AudioFiles(1), "/m/a.wav");
    ASSERT_TRUE(SaveProfile());
    std::string text = test::readFile(dir / "two.vpr");
    EXPECT_NE(text.find("VprFormat=3\n"), std::string::npos);
    EXPECT_NE(text.find("AudioFile=/m/a.wav\n"), std::string::npos);
    EXPECT_EQ(text.find("[wave]"), std::string::npos);
}

TEST_F(ProjectFile, DecimalCommasAndUntrustedValues) {
    struct Case {
        const char* name;
        std::string lines;
        std::function<void(const Global&)> check;
    } cases[] = {
        {"decimal comma", "[audio]\nReferencePitch=439,5\n[timing]\nTempo=97,5\nStartPoint=1,25\n",
         [](const Global& g) {
             EXPECT_FLOAT_EQ(g.ReferencePitch, 439.5f);
             EXPECT_FLOAT_EQ(g.Tempo, 97.5f);
             EXPECT_FLOAT_EQ(g.StartPoint, 1.25f);
         }},
        {"ChordRes 30 over 4 beats", "[timing]\nChordRes=30\nTimeSignatureNumerator=4\n",
         [](const Global& g) { EXPECT_EQ(g.ChordRes, 24); }},
        {"ChordRes 30 over 7 beats", "[timing]\nChordRes=30\nTimeSignatureNumerator=7\n",
         [](const Global& g) { EXPECT_EQ(g.ChordRes, 21); }},
        {"ChordRes 30, automatic measure", "[timing]\nChordRes=30\n",
         [](const Global& g) { EXPECT_EQ(g.ChordRes, 24); }},
        {"old gain 268", "[dynamics]\nGain=268\n", [](const Global& g) { EXPECT_EQ(g.Gain, 100); }},
        {"not numbers", "[pitch]\nKeyMin=abc\nKeyMax=\n[timing]\nTempo=fast\nSpeed=x\n",
         [](const Global& g) {
             EXPECT_EQ(g.KeyMin, 28);
             EXPECT_EQ(g.KeyMax, 85);
             EXPECT_FLOAT_EQ(g.Tempo, 120);
             EXPECT_EQ(g.Speed, 100);
         }},
        {"out of range",
         "[audio]\nStereoPan=150\nReferencePitch=9999\nEndPoint=-5\n[pitch]\nKeySignature=9\n"
         "KeyMax=300\n[timing]\nTempo=0\nResolution=99\nTimeSignatureDenominator=9\n"
         "[midi]\nMidiChan=0\nMidiPat=200\nBrightness=-1\n",
         [](const Global& g) {
             EXPECT_EQ(g.StereoPan, 50);
             EXPECT_FLOAT_EQ(g.ReferencePitch, 440);
             EXPECT_FLOAT_EQ(g.EndPoint, 3600);
             EXPECT_EQ(g.KeySignature, 8);
             EXPECT_EQ(g.KeyMax, 85);
             EXPECT_FLOAT_EQ(g.Tempo, 120);
             EXPECT_FLOAT_EQ(g.Resolution, -1);
             EXPECT_EQ(g.TimeSignatureDenominator, 2);
             EXPECT_EQ(g.MidiChan, 1);
             EXPECT_EQ(g.MidiPat, 0);
             EXPECT_EQ(g.Brightness, 74);
         }},
        {"switches other than 1", "[pitch]\nPitchBend=0\nConstrain=5\n",
         [](const Global& g) {
             EXPECT_EQ(g.PitchBend, 0);
             EXPECT_EQ(g.Constrain, 1);
         }},
        {"percussion part off channel 10",
         "[midi]\nChannel15=9\n[other]\nVprFormat=3\nActive15=1\n",
         [](const Global& g) { EXPECT_EQ(g.PartActive[15], 0); }},
        {"percussion part on channel 10",
         "[midi]\nChannel15=10\n[other]\nVprFormat=3\nActive15=1\n",
         [](const Global& g) { EXPECT_EQ(g.PartActive[15], 1); }},
        {"relative and absolute audio", "[audio]\nAudioFile=Samples/x.wav|/m/y.wav\n",
         [this](const Global& g) {
             ASSERT_EQ(g.AudioFileCount, 2);
             EXPECT_EQ(g.AudioFiles(1), dir.path().string() + "/Samples/x.wav");
             EXPECT_EQ(g.AudioFiles(2), "/m/y.wav");
             EXPECT_EQ(g.MidiFiles(2), "/m/y.mid");
         }},
        {"a 5,000-character audio path", "[audio]\nAudioFile=/" + std::string(5000, 'a') + "\n",
         [](const Global& g) {
             ASSERT_EQ(g.AudioFileCount, 1);
             EXPECT_EQ(g.AudioFiles(1).size(), 5001u);
         }},
        {"a 5,000-entry audio list", "[audio]\nAudioFile=/x" + std::string(4999, '|') + "\n",
         [](const Global& g) { EXPECT_EQ(g.AudioFileCount, 5000); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetGlobal();
        bool hasOther = c.lines.find("[other]") != std::string::npos;
        test::writeFile(dir / "p.vpr", (hasOther ? "" : "[other]\nVprFormat=3\n") + c.lines);
        ASSERT_TRUE(OpenProfile((dir / "p.vpr").string()));
        c.check(G());
    }
}

TEST_F(ProjectFile, TapFiles) {
    EXPECT_EQ(TapFileFor("/a/song.vpr"), "/a/song.tt");
    EXPECT_EQ(TapFileFor("/a/song.VPR"), "/a/song.VPR.tt");
    EXPECT_EQ(TapFileFor("/a/song"), "/a/song.tt");

    struct Case {
        const char* name;
        std::string bytes;
        std::string taps;
        float length;  // with StartPoint 2
    } cases[] = {
        {"two seconds of taps", std::string("\xE8\x03\xE8\x03", 4),
         std::string("\xE8\x03\xE8\x03", 4), 4},
        {"one byte", std::string("\x05", 1), "", 2},
        {"odd length", std::string("\xE8\x03\x07", 3), std::string("\xE8\x03", 2), 3},
        {"end marker stops the sum", std::string("\xE8\x03\xFF\xFF\xE8\x03", 6),
         std::string("\xE8\x03\xFF\xFF\xE8\x03", 6), 3},
        {"words above 0x8000 count unsigned", std::string("\x00\x90", 2),
         std::string("\x00\x90", 2), 2 + 36.864f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetGlobal();
        test::writeFile(dir / "t.vpr", "[other]\nVprFormat=3\n[audio]\nStartPoint=2\n");
        test::writeFile(dir / "t.tt", c.bytes);
        ASSERT_TRUE(OpenProfile((dir / "t.vpr").string()));
        EXPECT_EQ(G().TempoTaps, c.taps);
        EXPECT_FLOAT_EQ(G().AudioLength, c.length);
    }

    // A folder where the tap file should be reads as no taps.
    std::filesystem::remove(dir / "t.tt");
    std::filesystem::create_directory(dir / "t.tt");
    ResetGlobal();
    ASSERT_TRUE(OpenProfile((dir / "t.vpr").string()));
    EXPECT_EQ(G().TempoTaps, "");
}

TEST_F(ProjectFile, SavingWithoutTapsRemovesAnOldTapFile) {
    G().ProjectFile = (dir / "song.VPR").string();
    test::writeFile(dir / "song.VPR.tt", "old!");
    ASSERT_TRUE(SaveProfile());
    EXPECT_FALSE(std::filesystem::exists(dir / "song.VPR.tt"));
    EXPECT_TRUE(std::filesystem::exists(dir / "song.VPR"));
}

TEST_F(ProjectFile, LiveProjectSavesEmptyListsAndReopensReady) {
    Commands seen;
    seen.install();
    G().ProjectFile = (dir / "live.vpr").string();
    ASSERT_TRUE(SaveProfile());
    std::string text = test::readFile(dir / "live.vpr");
    EXPECT_NE(text.find("\nAudioFile=\n"), std::string::npos);
    EXPECT_NE(text.find("\nMidiFile=\n"), std::string::npos);
    ResetGlobal();
    seen.install();
    ASSERT_TRUE(OpenProfile((dir / "live.vpr").string()));
    EXPECT_EQ(G().AudioFileCount, 0);
    EXPECT_TRUE(G().AudioFileValid);
    EXPECT_EQ(seen.recognizeEnabled, 1);
}

TEST_F(ProjectFile, AFailedSaveKeepsTheOldProject) {
    fillProject();
    const auto project = dir / "song.vpr";
    test::writeFile(project, "[other]\nVprFormat=3\n; the user's project\n");
    test::writeFile(dir / "song.tt", "taps");
    const std::string before = test::readFile(project);
    G().ProjectFile = project.string();
    G().ProjectChanged = true;

    // The temporary file's name is taken by a folder: nothing can be written.
    const auto blocker = dir / ("song.vpr.~" + std::to_string(getpid()));
    std::filesystem::create_directory(blocker);
    auto expectSaveError = [&] {
        ui.expectBox(test_boxes::Box("Error saving project: ", "Save Project", 48, 0, true))
            .answer(ui::OK);
    };
    expectSaveError();
    EXPECT_FALSE(SaveProfile());
    EXPECT_EQ(test::readFile(project), before);
    EXPECT_TRUE(G().ProjectChanged);
    std::filesystem::remove(blocker);

    // The same for the tap file: neither file changes.
    const auto tapBlocker = dir / ("song.tt.~" + std::to_string(getpid()));
    std::filesystem::create_directory(tapBlocker);
    expectSaveError();
    EXPECT_FALSE(SaveProfile());
    EXPECT_EQ(test::readFile(project), before);
    EXPECT_EQ(test::readFile(dir / "song.tt"), "taps");
    std::filesystem::remove(tapBlocker);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              2);  // no temporary file left behind

    // A line break in a name would split its line: refused, the old file kept.
    G().Ensemble = "two\nlines";
    expectSaveError();
    EXPECT_FALSE(SaveProfile());
    EXPECT_EQ(test::readFile(project), before);
    G().Ensemble = "Strings";

    // A read-only folder (root may write anyway, so only checked for other users).
    if (geteuid() != 0) {
        chmod(dir.path().c_str(), 0555);
        expectSaveError();
        EXPECT_FALSE(SaveProfile());
        chmod(dir.path().c_str(), 0755);
        EXPECT_EQ(test::readFile(project), before);
        EXPECT_EQ(test::readFile(dir / "song.tt"), "taps");
    }

    // A working save that fails restores the project's name.
    G().TempProject = (dir / "missing-folder/~temp.vpr").string();
    expectSaveError();
    EXPECT_FALSE(SaveProfile(true));
    EXPECT_EQ(ui.boxes().size(), geteuid() != 0 ? 5u : 4u);
    EXPECT_EQ(G().ProjectFile, project.string());
}

}  // namespace
}  // namespace velt::desk
