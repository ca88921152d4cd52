// A working project written by the desktop program runs in the engine: the engine reads every
// key it needs from it (audio, MIDI file, timing, range, part 0) and converts a sox WAV.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "desk/core/global.h"
#include "desk/core/project/project_file.h"
#include "midicsv_reader.h"
#include "test_support.h"

namespace velt::desk {
namespace {

std::string lastLine(const std::string& text) {
    auto lines = test::splitLines(text);
    return lines.empty() ? "" : lines.back();
}

class EngineReadsTheWorkingProject : public ::testing::Test {
  protected:
    void SetUp() override {
        auto made = test::runCommand("sox -D -n -r 44100 -b 16 -c 1 " +
                                     test::shellQuote(wav.string()) + " synth 3 sine 440 gain -6");
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
        g.TimeSignatureNumerator = 4;
        g.ChordRes = 4;
        g.PitchMode = 1;
    }
    void TearDown() override { ResetGlobal(); }

    // Writes the working project, runs the engine on it and gives its last status line's fields.
    std::vector<std::string> convert() {
        EXPECT_TRUE(SaveProfile(true));
        const auto status = dir / "status.txt";
        auto run = test::runCommand(test::shellQuote((test::binDir() / "kvxvtpd64").string()) +
                                    " " + test::shellQuote(G().TempProject) + " " +
                                    test::shellQuote(status.string()) + " " +
                                    test::shellQuote((dir / "command.txt").string()));
        EXPECT_EQ(run.exitCode, 0);
        std::vector<std::string> fields;
        std::istringstream line(lastLine(test::readFile(status)));
        for (std::string f; line >> f;) fields.push_back(f);
        return fields;
    }

    test::MidiContents midi() { return test::readMidi(dir / "a4 tone.mid"); }

    test::TempDir dir;
    std::filesystem::path wav = dir / "a4 tone.wav";
};

TEST_F(EngineReadsTheWorkingProject, ConvertsASoxWav) {
    G().Tempo = 97.5f;  // written as "97.5", read back by the engine's own number reading
    auto fields = convert();
    ASSERT_EQ(fields.size(), 14u);
    EXPECT_EQ(fields[0], "100000.000");
    EXPECT_EQ(fields[5], "97.500000");  // tempo
    EXPECT_EQ(fields[8], "4");          // chord resolution
    EXPECT_EQ(fields[9], "4");          // beats per measure
    // The engine wrote the MIDI file the project names, with the tone's note (A4 = 69) on the
    // single-instrument channel.
    EXPECT_TRUE(midi().hasNote(0, 69));
}

TEST_F(EngineReadsTheWorkingProject, FollowsTheTapFile) {
    // Beats every 1000 ms from the start, half the project's tempo: the engine follows the working
    // tap file the project names and writes the tapped tempo (60 BPM) into the MIDI file.
    G().Tempo = 120;
    std::string taps;
    for (int i = 0; i < 3; ++i) taps += std::string("\xE8\x03", 2);
    G().TempoTaps = taps;
    auto fields = convert();
    ASSERT_EQ(fields.size(), 14u);
    EXPECT_EQ(fields[0], "100000.000");
    EXPECT_EQ(test::readFile(dir / "~temp.tt"), taps);
    const test::MidiContents written = midi();
    EXPECT_TRUE(written.hasTempo(1000000)) << written.text;
    EXPECT_TRUE(written.hasNote(0, 69));
}

}  // namespace
}  // namespace velt::desk
