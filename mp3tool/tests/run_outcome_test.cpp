// How a run ends: the outcome line chosen from the decode loop's end, the output's close and the
// amount of audio, with scripted codecs standing in for real streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "app/mpunpack_run.h"
#include "fake_modules.h"
#include "modules/file_input.h"
#include "modules/file_output.h"
#include "test_support.h"
#include "wav_bytes.h"

namespace velt::mp3 {
namespace {

class RunOutcomeTest : public ::testing::Test {
  protected:
    // Runs the tool over a small real input file with the scripted codec as its only codec.
    std::string run(std::deque<fake::Step> script, std::vector<std::string> extraArgs = {}) {
        velt::test::writeFile(input(), std::string(1000, 'x'));
        std::vector<std::string> args = {input(), output()};
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        std::ostringstream out, err;
        exitCode = runMpunpack(args, out, err, [&](std::unique_ptr<ControlBlock>& d) {
            d = std::make_unique<ControlBlock>();
            if (!script.empty() || scriptedCodec) {
                d->registerCodecModule(fake::codecModule(log, script));
            }
            d->registerInputModule(fileInputModule());
            d->registerOutputModule(scriptedOutput ? fake::outputModule(log) : fileOutputModule());
            return 0;
        });
        return out.str();
    }

    std::string input() const { return (dir / "in.mp3").string(); }
    std::string output() const { return (dir / "out.wav").string(); }

    velt::test::TempDir dir;
    fake::Log log;
    bool scriptedCodec = true;
    bool scriptedOutput = false;
    int exitCode = -1;
};

const fake::Step kFrame{.samplesPerChannel = 1152};

TEST_F(RunOutcomeTest, SkipsRejectedFramesAndTimeoutsAndEndsWithDone) {
    EXPECT_EQ(run({kFrame, fake::Step{.reject = true}, fake::Step{.result = kTimeout},
                   fake::Step{.result = kInvalidFrame}, kFrame}),
              "DONE\n");
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(wavbytes::readHeader(velt::test::readFile(output())).dataSize, 2u * 1152 * 4);
}

TEST_F(RunOutcomeTest, AReadErrorEndsWithTheDecodeErrorAndAFinishedPartialFile) {
    EXPECT_EQ(run({kFrame, kFrame, fake::Step{.result = kReadFailed}, kFrame}),
              "ERROR: Cannot decode mp3 file (read failed)\n");
    EXPECT_EQ(exitCode, 1);
    const std::string file = velt::test::readFile(output());
    EXPECT_EQ(file.size(), 44u + 2 * 1152 * 4);
    EXPECT_EQ(wavbytes::readHeader(file).dataSize, 2u * 1152 * 4);
}

TEST_F(RunOutcomeTest, AnyOtherLoopEndIsAnErrorToo) {
    EXPECT_EQ(run({kFrame, fake::Step{.result = kOutOfMemory}}),
              "ERROR: Cannot decode mp3 file (out of memory)\n");
    EXPECT_EQ(exitCode, 1);
}

TEST_F(RunOutcomeTest, AStreamWithoutAudioIsAnUnsupportedFormat) {
    EXPECT_EQ(run({fake::Step{.reject = true}, fake::Step{.result = kEndOfStream}}),
              "ERROR: Cannot decode mp3 file (unsupported format)\n");
    EXPECT_EQ(exitCode, 1);
}

TEST_F(RunOutcomeTest, TheFirstFailedWriteEndsTheRun) {
    scriptedOutput = true;
    log.writesBeforeFailure = 2;
    EXPECT_EQ(run({kFrame, kFrame, kFrame, kFrame, kFrame}),
              "ERROR: Cannot write to wav file (write failed)\n");
    EXPECT_EQ(exitCode, 1);
    EXPECT_EQ(std::count(log.codecCalls.begin(), log.codecCalls.end(), "decode"), 3);
    EXPECT_EQ(log.written.size(), 2u * 1152 * 4);
    EXPECT_TRUE(log.outputClosed);
}

TEST_F(RunOutcomeTest, WithoutAnAcceptingCodecTheInputCannotBeOpened) {
    scriptedCodec = false;
    const std::string status = (dir / "status.txt").string();
    EXPECT_EQ(run({}, {status}), "ERROR: Cannot open mp3 file (no codec found for this stream)\n");
    EXPECT_EQ(exitCode, 1);
    EXPECT_EQ(velt::test::readFile(status),
              "ERROR: Cannot open mp3 file (no codec found for this stream)\r\n");
    EXPECT_EQ(std::filesystem::file_size(output()), 0u);  // created, never finished
}

TEST_F(RunOutcomeTest, ACreationFailureIsReportedWithoutALineEnd) {
    std::ostringstream out, err;
    const int code = runMpunpack({"a", "b"}, out, err,
                                 [](std::unique_ptr<ControlBlock>&) { return int{kOutOfMemory}; });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(out.str(), "ERROR: Cannot initialize decoder (out of memory)");
}

}  // namespace
}  // namespace velt::mp3
