// The file output module: the 44-byte WAV header rewritten with the final sizes at close, the raw
// forms chosen by prefix, and every failure to write the file reported at close.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "fake_modules.h"
#include "framework/control_block.h"
#include "framework/error_codes.h"
#include "modules/file_output.h"
#include "modules/wav_header.h"
#include "requirements.h"
#include "test_support.h"
#include "wav_bytes.h"

namespace velt::mp3 {
namespace {

namespace fs = std::filesystem;
using wavbytes::readHeader;

TEST(WavHeader, DescribesSixteenBitPcmWithTheGivenSizes) {
    const auto h = makeWavHeader(1000, 2, 44100);
    const std::string bytes(h.begin(), h.end());
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(bytes.substr(36, 4), "data");
    EXPECT_EQ(wavbytes::readLe(bytes, 16, 4), 16u);
    EXPECT_EQ(wavbytes::readLe(bytes, 20, 2), 1u);
    const auto f = readHeader(bytes);
    EXPECT_EQ(f.riffSize, 1036u);
    EXPECT_EQ(f.dataSize, 1000u);
    EXPECT_EQ(f.channels, 2u);
    EXPECT_EQ(f.sampleRate, 44100u);
    EXPECT_EQ(f.byteRate, 176400u);
    EXPECT_EQ(f.blockAlign, 4u);
    EXPECT_EQ(f.bits, 16u);
}

class FileOutputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_GE(control.registerOutputModule(fileOutputModule()), 0);
        ASSERT_GE(control.registerInputModule(fake::inputModule(log)), 0);
    }

    // Decodes the scripted steps into the named output and closes it; returns close's result.
    int decodeInto(const std::string& outputName, std::deque<fake::Step> script) {
        control.registerCodecModule(fake::codecModule(log, std::move(script)));
        control.selectOutput(outputName);
        if (const int r = control.openOutput(); r < 0) return r;
        control.selectInput("in");
        EXPECT_EQ(control.openInput(), kOk);
        while (control.decodeStep() == kOk) {
        }
        control.closeInput();
        return control.closeOutput();
    }

    velt::test::TempDir dir;
    fake::Log log;
    ControlBlock control;
};

TEST_F(FileOutputTest, WavFileGetsItsFinalSizesAndTheFirstWritesFormat) {
    const fs::path path = dir / "out.wav";
    ASSERT_EQ(
        decodeInto(
            "wav:" + path.string(),
            {fake::Step{.samplesPerChannel = 100, .channels = 1, .sampleRate = 22050, .fill = 0x42},
             fake::Step{
                 .samplesPerChannel = 50, .channels = 1, .sampleRate = 22050, .fill = 0x43}}),
        kOk);
    const std::string file = velt::test::readFile(path);
    ASSERT_EQ(file.size(), 44u + 300u);
    const auto h = readHeader(file);
    EXPECT_EQ(h.dataSize, 300u);
    EXPECT_EQ(h.riffSize, 336u);
    EXPECT_EQ(h.channels, 1u);
    EXPECT_EQ(h.sampleRate, 22050u);
    EXPECT_EQ(file.substr(44, 200), std::string(200, '\x42'));
    EXPECT_EQ(file.substr(244), std::string(100, '\x43'));
}

TEST_F(FileOutputTest, AStreamWithoutPcmLeavesOnlyTheDefaultHeader) {
    const fs::path path = dir / "empty.wav";
    ASSERT_EQ(decodeInto("wav:" + path.string(), {}), kOk);
    const std::string file = velt::test::readFile(path);
    ASSERT_EQ(file.size(), 44u);
    const auto h = readHeader(file);
    EXPECT_EQ(h.dataSize, 0u);
    EXPECT_EQ(h.sampleRate, 44100u);
    EXPECT_EQ(h.channels, 2u);
}

TEST_F(FileOutputTest, AnOutputThatIsNeverFinishedStaysEmpty) {
    const fs::path path = dir / "left.wav";
    control.selectOutput("wav:" + path.string());
    ASSERT_EQ(control.openOutput(), kOk);
    control.discardOutput();
    ASSERT_TRUE(fs::exists(path));
    EXPECT_EQ(fs::file_size(path), 0u);
}

TEST_F(FileOutputTest, OtherPrefixesWriteHeaderlessPcmUnderTheStrippedName) {
    const char* prefixes[] = {"raw:", "aiff:", "sun:", ""};
    for (const char* prefix : prefixes) {
        SCOPED_TRACE(prefix);
        const fs::path path = dir / (std::string("pcm") + prefix + "x");
        ASSERT_EQ(decodeInto(prefix + path.string(), {fake::Step{.samplesPerChannel = 8}}), kOk);
        EXPECT_EQ(fs::file_size(path), 32u);
    }
}

TEST_F(FileOutputTest, FailuresToCreateOrWriteTheFileAreReported) {
    EXPECT_EQ(decodeInto("wav:" + (dir / "no" / "such" / "folder.wav").string(), {}), kOpenFailed);
    // A full device takes the buffered writes and fails when they reach it.
    EXPECT_EQ(decodeInto("wav:/dev/full", {fake::Step{.samplesPerChannel = 1152}}), kWriteFailed);
    EXPECT_EQ(decodeInto("wav:/dev/full", {}), kWriteFailed);  // the header alone fails too
}

TEST_F(FileOutputTest, AWriteProtectedTargetIsPermissionDenied) {
    if (geteuid() == 0) VELT_SKIP_BECAUSE("root may write anywhere");
    const fs::path path = dir / "locked.wav";
    velt::test::writeFile(path, "");
    fs::permissions(path, fs::perms::owner_read);
    EXPECT_EQ(decodeInto("wav:" + path.string(), {}), kPermissionDenied);
}

TEST(FileOutputLimits, RefusesDataTheWavHeaderCannotDescribe) {
    std::unique_ptr<OutputInstance> out;
    ControlBlock control;
    ASSERT_EQ(fileOutputModule().create(out, "wav:/dev/null", 0, control), kOk);
    ASSERT_EQ(out->open(), kOk);
    const std::vector<std::uint8_t> mebibyte(1 << 20);
    std::int64_t accepted = 0;
    for (int i = 0; i < 4096; ++i) accepted += out->write(mebibyte, 2, 2, 44100);
    EXPECT_EQ(static_cast<std::uint64_t>(accepted), 4095ull << 20);  // the last one would overflow
    EXPECT_EQ(out->close(), kWriteFailed);
}

// Points the process's standard output at another file while it lives.
class StandardOutputTo {
  public:
    explicit StandardOutputTo(int fd) : saved_(::dup(STDOUT_FILENO)) {
        std::fflush(stdout);
        ::dup2(fd, STDOUT_FILENO);
    }
    StandardOutputTo(const StandardOutputTo&) = delete;
    StandardOutputTo& operator=(const StandardOutputTo&) = delete;
    ~StandardOutputTo() {
        std::fflush(stdout);
        ::dup2(saved_, STDOUT_FILENO);
        ::close(saved_);
    }

  private:
    int saved_;
};

// Standard output opened to append: when something else appended to the file while the WAV was
// written, where the WAV began is no longer known, and the streaming header stays (never a
// header written over the other bytes or added after the data).
TEST(FileOutputOnStandardOutput, AnAppendedFileSomethingElseWroteToKeepsTheStreamingHeader) {
    velt::test::TempDir dir;
    const fs::path path = dir / "f";
    velt::test::writeFile(path, "before");
    std::unique_ptr<OutputInstance> out;
    ControlBlock control;
    ASSERT_EQ(fileOutputModule().create(out, "wav:-", 0, control), kOk);
    const std::vector<std::uint8_t> pcm(400, 0x5a);
    int opened = -1;
    std::int64_t written = 0;
    int closed = -1;
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        const StandardOutputTo redirect(fd);
        ::close(fd);
        opened = out->open();
        if (opened == kOk) {
            written = out->write(pcm, 2, 2, 44100);
            const int other = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
            if (other >= 0) {
                [[maybe_unused]] const ssize_t r = ::write(other, "other", 5);
                ::close(other);
            }
            closed = out->close();
        }
    }
    ASSERT_EQ(opened, kOk);
    EXPECT_EQ(written, 400);
    EXPECT_EQ(closed, kOk);
    const std::string file = velt::test::readFile(path);
    ASSERT_EQ(file.size(), 11u + 44u + 400u);
    EXPECT_EQ(file.substr(0, 11), "beforeother");
    const std::string wav = file.substr(11);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(readHeader(wav).dataSize, 0u);
    EXPECT_EQ(readHeader(wav).sampleRate, 44100u);
    EXPECT_EQ(wav.substr(44), std::string(400, '\x5a'));
}

}  // namespace
}  // namespace velt::mp3
