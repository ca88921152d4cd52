// The command-line conversion once the start-up has copied the project over the working project:
// one minimized progress window, one log line per run and the exit status. Scripted with the fake
// engine; then once with the real engine and the real clock, as the program runs it.
#include <gtest/gtest.h>

#include <filesystem>

#include "box_match.h"
#include "desk/core/recognize.h"
#include "desk/core/run/frm_status.h"
#include "midicsv_reader.h"
#include "run_fixture.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using test_run::Line;
using User = ui::test::User;

class BatchConversion : public test_run::RunTest {
  protected:
    BatchConversion() {
        // As the start-up leaves it: the project copied over the working project.
        test::writeFile(project, projectText);
        test::writeFile(G().TempProject, projectText);
        G().CmdLineProject = project.string();
        G().ProjectFile = project.string();
        G().LogFile = log.string();
        G().BatchMode = true;
    }
    std::vector<std::string> logLines() const {
        return fs::exists(log) ? test::splitLines(test::readFile(log)) : std::vector<std::string>{};
    }
    // The end of a log line, after its date and time.
    static std::string afterTime(const std::string& line) {
        return line.size() > 19 ? line.substr(19) : line;
    }

    fs::path project = work_ / "song.vpr";
    const std::string projectText =
        "[audio]\r\nAudioFile=song.wav\r\n[midi]\r\nMidiFile=song.mid\r\n";
    fs::path log = work_ / "log.txt";
};

TEST_F(BatchConversion, EachRunAppendsOneLineAndTellsByItsExitStatus) {
    struct Case {
        const char* status;
        int exitCode;
        std::string logged;
    } cases[] = {
        {"100000.000", 0, "Completed successfully."},
        {"-3.015", 1, "Specified Audio File does not exist.  -3.015"},
        {"-1.000", 1, "User aborted conversion process.  -1"},
        {"-12.500", 0, "Completed successfully."},  // counts as success
    };
    size_t runs = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        installFakeEngine();
        test::writeFile(G().TempProject, projectText);
        ui.onModal<frmStatus>([&](frmStatus& f, User&) {
            EXPECT_EQ(f.WindowState(), 1);  // minimized
            EXPECT_EQ(test::readFile(G().TempProject), projectText);
            writeStatus("50.000");
            ui.advance(56);
            writeStatus(c.status);
            ui.advance(56);
        });
        EXPECT_EQ(RunBatchConversion(), c.exitCode);
        auto lines = logLines();
        ASSERT_EQ(lines.size(), ++runs);
        EXPECT_EQ(afterTime(lines.back()), "  " + project.string() + "  " + c.logged);
    }
    EXPECT_TRUE(ui.boxes().empty());  // outcomes go to the log only
    EXPECT_TRUE(statusTexts.empty());
    EXPECT_FALSE(fs::exists(G().TempProject));
}

TEST_F(BatchConversion, ALogThatCannotBeWrittenFailsTheRun) {
    installFakeEngine();
    G().LogFile = (work_ / "missing" / "log.txt").string();
    ui.onModal<frmStatus>([&](frmStatus&, User&) {
        writeStatus("100000.000");
        ui.advance(56);
    });
    EXPECT_EQ(RunBatchConversion(), 1);
    EXPECT_TRUE(G().BatchLogLost);
    EXPECT_FALSE(fs::exists(work_ / "missing"));
}

TEST_F(BatchConversion, StartFailuresAreLoggedAndFail) {
    UseBridgeLibrary(root_ / "none.so");
    EXPECT_EQ(RunBatchConversion(), 1);
    UseBridgeLibrary("");  // the real bridge, but no engine
    EXPECT_EQ(RunBatchConversion(), 1);
    auto lines = logLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(afterTime(lines[0]),
              "  " + project.string() + "  Unable to run converter. Invalid install.");
    EXPECT_EQ(afterTime(lines[1]), "  " + project.string() + "  Unable to run converter. Error: 3");
    ASSERT_EQ(ui.boxes().size(), 2u);
    EXPECT_EQ(ui.boxes()[0].source, "batch");
    EXPECT_EQ(programClosed, 0);
}

// The real engine and the real clock: no script, the modal window runs its own event loop.
TEST(BatchConversionWithTheEngine, ConvertsASoxWav) {
    test::TempDir dir;
    test::ScopedEnv runtime("XDG_RUNTIME_DIR", test::makePrivateFolder(dir / "run"));
    test::ScopedEnv system("VELTRANE_SYSTEM_DIR", std::nullopt);
    const fs::path wav = dir / "tone.wav";
    ASSERT_EQ(test::runCommand("sox -D -n -r 44100 -b 16 -c 1 " + test::shellQuote(wav.string()) +
                               " synth 2 sine 440 gain -6")
                  .exitCode,
              0);
    const fs::path project = dir / "tone.vpr";
    test::writeFile(project, "[audio]\nAudioFile=" + wav.string() + "\n[pitch]\nPitchMode=1\n" +
                                 "[timing]\nTempoDetect=0\nTempo=120\nTimeSignatureNumerator=4\n" +
                                 "ChordRes=4\n[midi]\nMidiFile=" + (dir / "tone.mid").string() +
                                 "\n");
    ResetGlobal();
    G().TempProject = (dir / "~temp.vpr").string();
    fs::copy_file(project, G().TempProject);
    G().CmdLineProject = project.string();
    G().ProjectFile = project.string();
    G().LogFile = (dir / "log.txt").string();
    EXPECT_EQ(RunBatchConversion(), 0);
    EXPECT_TRUE(test::readMidi(dir / "tone.mid").hasNote(0, 69));
    auto lines = test::splitLines(test::readFile(dir / "log.txt"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("  " + project.string() + "  Completed successfully."),
              std::string::npos);
    ui::forms::releaseAll();
    ui::runtime().batchMode = false;
    ResetGlobal();
}

}  // namespace
}  // namespace velt::desk
