// A working project written by the desktop program runs in the engine: the engine reads every
// key it needs from it (audio, MIDI file, timing, range, part 0) and converts a sox WAV.
#include <gtest/gtest.h>

#include <filesystem>

#include "desk/core/global.h"
#include "desk/core/project/project_file.h"
#include "test_support.h"

namespace velt::desk {
namespace {

std::string lastLine(const std::string& text) {
    auto lines = test::splitLines(text);
    return lines.empty() ? "" : lines.back();
}

TEST(EngineReadsTheWorkingProject, ConvertsASoxWav) {
    test::TempDir dir;
    const auto wav = dir / "a4 tone.wav";
    auto made = test::runCommand("sox -D -n -r 44100 -b 16 -c 1 " + test::shellQuote(wav.string()) +
                                 " synth 3 sine 440 gain -6");
    ASSERT_EQ(made.exitCode, 0);

    ResetGlobal();
    Global& g = G();
    g.InstallFolder = test::binDir().string() + "/";
    g.ProjectFile = (dir / "song.vpr").string();
    g.TempProject = (dir / "~temp.vpr").string();
    g.AudioFileCount = 1;
    g.AudioFiles.redim(1);
    g.MidiFiles.redim(1);
    g.AudioFiles(1) = wav.string();
    g.MidiFiles(1) = (dir / "a4 tone.mid").string();
    g.WorkWaveFile = wav.string();
    g.WorkMidiFile = g.MidiFiles(1);
    g.TempoDetect = 0;
    g.Tempo = 120;
    g.TimeSignatureNumerator = 4;
    g.ChordRes = 4;
    g.ReferencePitch = 440;
    g.PitchMode = 1;
    ASSERT_TRUE(SaveProfile(true));

    const auto status = dir / "status.txt";
    auto run =
        test::runCommand(test::shellQuote((test::binDir() / "kvxvtpd64").string()) + " " +
                         test::shellQuote(g.TempProject) + " " + test::shellQuote(status.string()) +
                         " " + test::shellQuote((dir / "command.txt").string()));
    ASSERT_EQ(run.exitCode, 0);
    const std::string line = lastLine(test::readFile(status));
    ASSERT_EQ(line.rfind("100000.000 ", 0), 0u) << line;

    // The engine wrote the MIDI file the project names, with the tone's note (A4 = 69).
    ASSERT_TRUE(std::filesystem::exists(dir / "a4 tone.mid"));
    auto csv = test::runCommand("midicsv " + test::shellQuote((dir / "a4 tone.mid").string()));
    ASSERT_EQ(csv.exitCode, 0);
    EXPECT_NE(csv.output.find(", Note_on_c, 0, 69, "), std::string::npos) << csv.output;
    // Fields 9 and 10 of the status line: chord resolution and beats per measure as projected.
    EXPECT_NE(line.find(" 4 4 "), std::string::npos) << line;
    ResetGlobal();
}

}  // namespace
}  // namespace velt::desk
