// The mpunpack program as its caller runs it: arguments, outcome lines on standard output and in
// the status file, exit codes, and the files left behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "requirements.h"
#include "test_support.h"
#include "wav_bytes.h"

namespace velt::mp3 {
namespace {

namespace fs = std::filesystem;
using velt::test::readFile;
using velt::test::shellQuote;

class CommandLineTest : public ::testing::Test {
  protected:
    velt::test::CommandResult mpunpack(const std::string& args) {
        return velt::test::runCommand(shellQuote((velt::test::binDir() / "mpunpack").string()) +
                                      " " + args);
    }

    std::string path(const std::string& name) const { return (dir / name).string(); }
    std::string q(const std::string& name) const { return shellQuote(path(name)); }

    // A small 16-bit stereo WAV made by sox.
    void makeWav(const std::string& name) {
        const auto r = velt::test::runCommand("sox -D -n -r 44100 -c 2 -b 16 " + q(name) +
                                              " synth 0.2 sine 440 2>&1");
        ASSERT_EQ(r.exitCode, 0) << r.output;
    }

    velt::test::TempDir dir;
};

TEST_F(CommandLineTest, FewerThanTwoArgumentsGiveTheUsageLine) {
    for (const std::string& args : {std::string(), q("only.mp3")}) {
        const auto r = mpunpack(args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.output, "USAGE: \"mp3 filename\" \"wav filename\" [\"status filename\"]\n");
    }
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST_F(CommandLineTest, DecodesAWavInputAndWritesDoneToTheStatusFile) {
    makeWav("in.wav");
    const auto r = mpunpack(q("in.wav") + " " + q("out.wav") + " " + q("stat.txt"));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.output, "DONE\n");
    EXPECT_EQ(readFile(path("stat.txt")), "DONE\r\n");
    EXPECT_TRUE(readFile(path("out.wav")) == readFile(path("in.wav")));
}

TEST_F(CommandLineTest, AMissingInputLeavesAnEmptyWavAndTheErrorInTheStatusFile) {
    const auto r = mpunpack(q("missing.mp3") + " " + q("out.wav") + " " + q("stat.txt"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.output, "ERROR: Cannot open mp3 file (no such file)\n");
    EXPECT_EQ(readFile(path("stat.txt")), "ERROR: Cannot open mp3 file (no such file)\r\n");
    ASSERT_TRUE(fs::exists(path("out.wav")));
    EXPECT_EQ(fs::file_size(path("out.wav")), 0u);
}

TEST_F(CommandLineTest, OutputsThatCannotBeWrittenAreReported) {
    makeWav("in.wav");
    struct Case {
        std::string output;
        std::string line;
    };
    const Case cases[] = {
        {q("no/such/folder/out.wav"), "ERROR: Cannot write to wav file (open failed)\n"},
        // Not even the header reaches the device; the line says why, in the system's words.
        {"/dev/full",
         "ERROR: Cannot write to wav file (write failed, No space left on device, header not "
         "written)\n"},
        {"''", "ERROR: Cannot write to wav file (open failed)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        const auto r = mpunpack(q("in.wav") + " " + c.output + " " + q("stat.txt"));
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.output, c.line);
        EXPECT_EQ(readFile(path("stat.txt")), c.line.substr(0, c.line.size() - 1) + "\r\n");
    }
}

TEST_F(CommandLineTest, TheInputIsNeverItsOwnOutputOrStatusFile) {
    makeWav("in.wav");
    const std::string before = readFile(path("in.wav"));
    auto r = mpunpack(q("in.wav") + " " + shellQuote(dir.path().string() + "/./in.wav"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.output, "ERROR: Cannot write to wav file (invalid parameters)\n");
    EXPECT_TRUE(readFile(path("in.wav")) == before);

    // A status file naming the input is not used; the run itself goes on.
    r = mpunpack(q("in.wav") + " " + q("out.wav") + " " + q("in.wav"));
    EXPECT_EQ(r.output, "DONE\n");
    EXPECT_TRUE(readFile(path("in.wav")) == before);
}

TEST_F(CommandLineTest, PcmOnStandardOutputKeepsTheOutcomeOnStandardError) {
    makeWav("in.wav");
    const auto r = mpunpack(q("in.wav") + " - 2>" + q("err.txt"));
    EXPECT_EQ(r.exitCode, 0);
    const std::string in = readFile(path("in.wav"));
    // Through a pipe the header cannot be rewritten: it keeps its placeholder sizes.
    ASSERT_EQ(r.output.size(), in.size());
    EXPECT_TRUE(r.output.substr(44) == in.substr(44));
    EXPECT_EQ(wavbytes::readHeader(r.output).dataSize, 0u);
    EXPECT_EQ(readFile(path("err.txt")), "DONE\n");
}

// Standard output that is a file holding bytes before the decoder's (a script's group of
// commands) or opened to append: the final header goes where the WAV begins, so the bytes after
// the others are the same WAV a file of its own gets, sizes included, and sox reads all of it.
TEST_F(CommandLineTest, TheHeaderOnStandardOutputGoesWhereTheWavBegan) {
    VELT_REQUIRE(velt::test::missingTools({"lame", "sox", "soxi"}));
    const auto made = velt::test::runCommand(
        "sox -D -n -r 44100 -c 2 -b 16 " + q("in.wav") + " synth 1.5 sine 300-900 gain -6" +
        " && lame --quiet -b 128 " + q("in.wav") + " " + q("in.mp3") + " 2>&1");
    ASSERT_EQ(made.exitCode, 0) << made.output;
    ASSERT_EQ(mpunpack(q("in.mp3") + " " + q("own.wav")).output, "DONE\n");
    const std::string own = readFile(path("own.wav"));
    ASSERT_GT(own.size(), 44u + 4 * 44100);
    ASSERT_EQ(wavbytes::readHeader(own).dataSize, own.size() - 44);

    const std::string tool = shellQuote((velt::test::binDir() / "mpunpack").string());
    const std::string run = tool + " " + q("in.mp3") + " - 2>" + q("err.txt");
    const struct {
        const char* form;
        std::string command;
        std::string before;  // what the file holds ahead of the WAV
    } cases[] = {
        {"after other output", "{ printf x; " + run + "; } > " + q("f"), "x"},
        {"appended", "printf 'RIFF....' > " + q("f") + " && " + run + " >> " + q("f"), "RIFF...."},
        {"appended to an empty file", ": > " + q("f") + " && " + run + " >> " + q("f"), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.form);
        fs::remove(path("f"));
        const auto r = velt::test::runCommand(c.command);
        ASSERT_EQ(r.exitCode, 0) << r.output;
        EXPECT_EQ(readFile(path("err.txt")), "DONE\n");
        const std::string file = readFile(path("f"));
        ASSERT_EQ(file.size(), c.before.size() + own.size());
        EXPECT_EQ(file.substr(0, c.before.size()), c.before);
        EXPECT_TRUE(file.substr(c.before.size()) == own) << "the WAV after the other bytes";

        velt::test::writeFile(path("rest.wav"), file.substr(c.before.size()));
        const auto samples = velt::test::runCommand("soxi -s " + q("rest.wav") + " 2>&1");
        EXPECT_EQ(samples.output, std::to_string((own.size() - 44) / 4) + "\n");
    }
}

TEST_F(CommandLineTest, InputsThatGiveNoAudioEndInAnError) {
    velt::test::writeFile(path("notes.txt"), "not audio at all\n");
    const struct {
        std::string input;
        std::string lineStart;
    } cases[] = {
        // Until a codec takes such a stream it has none; a codec that takes every stream finds
        // no audio in it. Either way the caller must see an error.
        {q("notes.txt"), "ERROR: Cannot "},
        {"''", "ERROR: Cannot open mp3 file (internal error)"},
        {q(""), "ERROR: Cannot open mp3 file (open failed)"},  // the folder
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        const auto r = mpunpack(c.input + " " + q("out.wav") + " " + q("stat.txt"));
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.output.rfind(c.lineStart, 0), 0u) << r.output;
        EXPECT_EQ(readFile(path("stat.txt")).rfind(c.lineStart, 0), 0u);
    }
}

TEST_F(CommandLineTest, LongPathsAreUsedWhole) {
    makeWav("in.wav");
    const std::string folder = std::string(120, 'f');
    fs::create_directories(dir / folder / folder);
    const std::string out = folder + "/" + folder + "/" + std::string(200, 'o') + ".wav";
    const auto r = mpunpack(q("in.wav") + " " + q(out));
    EXPECT_EQ(r.output, "DONE\n");
    EXPECT_TRUE(fs::exists(path(out)));
}

}  // namespace
}  // namespace velt::mp3
