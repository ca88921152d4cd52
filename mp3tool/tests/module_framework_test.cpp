// The module framework: registration checks, selection by name and index, codec choice, the
// decode step with its change flags and error escape, input reads and seeks, options.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_modules.h"
#include "framework/control_block.h"
#include "framework/error_codes.h"
#include "test_support.h"

namespace velt::mp3 {
namespace {

struct Reported {
    int code;
    std::string message;
    std::string detail;
};

class FrameworkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        control.setErrorCallback(
            [this](int code, std::string_view message, std::string_view detail) {
                reported.push_back({code, std::string(message), std::string(detail)});
            });
    }

    // Registers the fake input and output and a codec with the given script, opens both ends.
    void openWith(std::deque<fake::Step> script, std::string inputName = "song.mp3") {
        ASSERT_GE(control.registerCodecModule(fake::codecModule(log, std::move(script))), 0);
        ASSERT_GE(control.registerInputModule(fake::inputModule(log)), 0);
        ASSERT_GE(control.registerOutputModule(fake::outputModule(log)), 0);
        ASSERT_EQ(control.selectOutput("out"), kOk);
        ASSERT_EQ(control.openOutput(), kOk);
        ASSERT_EQ(control.selectInput(inputName), kOk);
        ASSERT_EQ(control.openInput(), kOk);
    }

    fake::Log log;
    fake::Log other;  // a second codec's log; outlives the control block like the first
    ControlBlock control;
    std::vector<Reported> reported;
};

TEST_F(FrameworkTest, RegistrationChecksTheVersionAndTheRequiredOperations) {
    EXPECT_EQ(control.registerInputModule(fake::inputModule(log, 0x40300)), 0);
    EXPECT_EQ(control.registerInputModule(fake::inputModule(log, 0x40310)), 1);
    EXPECT_EQ(control.registerInputModule(fake::inputModule(log, 0x40400)), kVersionMismatch);
    EXPECT_EQ(control.registerInputModule(fake::inputModule(log, 0x40200)), kVersionMismatch);

    InputModule noNew = fake::inputModule(log);
    noNew.create = nullptr;
    EXPECT_EQ(control.registerInputModule(noNew), kInternalError);
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0].message, "internal error");
    EXPECT_EQ(reported[0].detail, "null 'new' method in module");

    CodecModule noQuery = fake::codecModule(log, {});
    noQuery.query = nullptr;
    EXPECT_EQ(control.registerCodecModule(noQuery), kInternalError);
    CodecModule noInfo = fake::codecModule(log, {});
    noInfo.info = nullptr;
    EXPECT_EQ(control.registerCodecModule(noInfo), kInternalError);
    EXPECT_EQ(control.registerCodecModule(fake::codecModule(log, {})), 0);
    EXPECT_EQ(control.registerCodecModule(fake::codecModule(log, {})), 1);

    ModuleDescription d;
    EXPECT_EQ(control.inputModuleInfo(7, d, kInfoName), kModuleNotFound);
    EXPECT_EQ(control.inputModuleInfo(0, d, kInfoName | kInfoDevices | kInfoDevice), kOk);
    EXPECT_EQ(d.name, "unknown module name");
    EXPECT_EQ(d.devices, 1);
    EXPECT_EQ(d.deviceName, "unknown device name");
}

TEST_F(FrameworkTest, SelectionWalksNewestFirstAndKeepsAnUnchangedSelection) {
    InputModule refusing = fake::inputModule(log);
    refusing.probe = [](std::string_view name) { return name == "taken" ? 0 : -1; };
    ASSERT_EQ(control.registerInputModule(fake::inputModule(log)), 0);
    ASSERT_EQ(control.registerInputModule(refusing), 1);
    ASSERT_GE(control.registerCodecModule(fake::codecModule(log, {})), 0);

    EXPECT_EQ(control.selectInput("other"), kOk);  // module 1 refuses, module 0 takes it
    ASSERT_EQ(control.openInput(), kOk);
    EXPECT_EQ(control.selectInput("other"), kOk);
    EXPECT_TRUE(control.inputIsOpen());  // same module, same name: nothing changed
    EXPECT_EQ(log.inputInstancesCreated, 1);
    EXPECT_EQ(control.selectInput("other", 1), kOk);  // by index: no probe
    EXPECT_FALSE(control.inputIsOpen());
    EXPECT_EQ(log.inputInstancesCreated, 2);
    EXPECT_EQ(control.selectInput("x", 5), kModuleNotFound);
    EXPECT_EQ(control.selectOutput("x"), kUnsupportedOutputType);  // no output module at all
    EXPECT_EQ(control.selectOutput("x", 0), kModuleNotFound);

    ControlBlock empty;
    EXPECT_EQ(empty.selectInput("x"), kUnsupportedInputType);
}

TEST_F(FrameworkTest, TheNewestCodecThatAcceptsTheStreamIsChosen) {
    ASSERT_EQ(control.registerCodecModule(fake::codecModule(other, {})), 0);        // all
    ASSERT_EQ(control.registerCodecModule(fake::codecModule(log, {}, ".wav")), 1);  // .wav
    ASSERT_GE(control.registerInputModule(fake::inputModule(log)), 0);

    ASSERT_EQ(control.selectInput("a.wav"), kOk);
    ASSERT_EQ(control.openInput(), kOk);
    EXPECT_EQ(log.codecInstancesCreated, 1);
    EXPECT_EQ(other.codecInstancesCreated, 0);
    EXPECT_EQ(log.codecCalls, (std::vector<std::string>{"newStream", "probe"}));
    // Options reach the codec when it is chosen, all three at once.
    EXPECT_EQ(log.optionMaskSeen, kOption1 | kOption2 | kOption3);

    ASSERT_EQ(control.closeInput(), kOk);
    ASSERT_EQ(control.selectInput("a.mp3"), kOk);
    ASSERT_EQ(control.openInput(), kOk);
    EXPECT_EQ(other.codecInstancesCreated, 1);
}

TEST_F(FrameworkTest, NoAcceptingCodecClosesTheInput) {
    ASSERT_GE(control.registerCodecModule(fake::codecModule(log, {}, ".wav")), 0);
    ASSERT_GE(control.registerInputModule(fake::inputModule(log)), 0);
    ASSERT_EQ(control.selectInput("notes.txt"), kOk);
    EXPECT_EQ(control.openInput(), kNoCodec);
    EXPECT_FALSE(control.inputIsOpen());
}

TEST_F(FrameworkTest, AnUnseekableInputIsNotProbed) {
    log.inputSeekable = false;
    openWith({});
    EXPECT_EQ(log.codecCalls, (std::vector<std::string>{"newStream"}));
    EXPECT_EQ(control.seekInput(10), -1);
}

TEST_F(FrameworkTest, DecodeStepNeedsAnOpenOutputAndInput) {
    ASSERT_GE(control.registerInputModule(fake::inputModule(log)), 0);
    ASSERT_GE(control.registerCodecModule(fake::codecModule(log, {})), 0);
    EXPECT_EQ(control.decodeStep(), kInternalError);
    EXPECT_EQ(reported.back().detail, "output not open");
    ASSERT_GE(control.registerOutputModule(fake::outputModule(log)), 0);
    control.selectOutput("out");
    ASSERT_EQ(control.openOutput(), kOk);
    EXPECT_EQ(control.decodeStep(), kInternalError);
    EXPECT_EQ(reported.back().detail, "input not open");
    EXPECT_EQ(control.openOutput(), kInternalError);
    EXPECT_EQ(reported.back().detail, "output not closed");
}

TEST_F(FrameworkTest, DecodeStepsWritePcmAndReportFormatChanges) {
    fake::Step stereo{.samplesPerChannel = 1152};
    fake::Step mono{.samplesPerChannel = 576, .channels = 1};
    fake::Step rejected{.reject = true};
    fake::Step halfRate{.samplesPerChannel = 10, .channels = 1, .sampleRate = 22050};
    openWith({stereo, stereo, rejected, mono, halfRate});

    EXPECT_EQ(control.decodeStep(), kOk);
    EXPECT_EQ(control.pcm().changeFlags, 1 | 2 | 4);  // the first step sets all three
    EXPECT_EQ(control.decodeStep(), kOk);
    EXPECT_EQ(control.pcm().changeFlags, 0);
    EXPECT_EQ(control.decodeStep(), kInvalidFrame);
    EXPECT_EQ(control.decodeStep(), kOk);
    EXPECT_EQ(control.pcm().changeFlags, 2 | 4);
    EXPECT_EQ(control.decodeStep(), kOk);
    EXPECT_EQ(control.pcm().changeFlags, 4);
    EXPECT_EQ(control.decodeStep(), kEndOfStream);

    EXPECT_EQ(log.controlMasks, (std::vector<int>{7, 6, 4}));
    const std::size_t expected = 2 * 1152 * 4 + 576 * 2 + 10 * 2;
    EXPECT_EQ(log.written.size(), expected);
    EXPECT_EQ(control.pcmBytesWritten(), expected);
}

TEST_F(FrameworkTest, ACodecClaimingMoreThanTheBufferIsRefused) {
    openWith({fake::Step{.samplesPerChannel = 100000}});
    EXPECT_EQ(control.decodeStep(), kInternalError);
    EXPECT_TRUE(log.written.empty());
}

TEST_F(FrameworkTest, ReadsDeliverWholeBlocksAndSeeksAreClampedAndNoticed) {
    log.inputBytes.assign(10000, 7);
    openWith({});
    std::vector<std::uint8_t> block(4096);
    EXPECT_EQ(control.readInput(block), kOk);
    EXPECT_EQ(control.readInput(block), kOk);
    EXPECT_EQ(control.readInput(block), kEndOfStream);  // the last 1808 bytes are no whole block
    EXPECT_EQ(control.inputBytePosition(), 10000u);

    ASSERT_EQ(control.seekInput(8192), kOk);
    EXPECT_EQ(control.readInputSome(block), 1808);
    EXPECT_EQ(control.readInputSome(block), kEndOfStream);
    EXPECT_EQ(control.seekInput(50000), kOk);
    EXPECT_EQ(control.inputBytePosition(), 10000u);
    EXPECT_EQ(control.seekInputFraction(0.5), kOk);
    EXPECT_EQ(control.inputBytePosition(), 5000u);
    EXPECT_DOUBLE_EQ(control.status().position, 0.5);
    EXPECT_EQ(log.codecCalls.back(), "seekNotice 5000");

    log.failReadAt = 6000;
    EXPECT_EQ(control.readInput(block), kReadFailed);
}

TEST_F(FrameworkTest, OpeningAnInputStartsAFreshPropertyList) {
    openWith({});
    EXPECT_EQ(control.setStreamString("id3/title", "A"), kOk);
    EXPECT_TRUE(control.status().info.validFields & kStreamPropertiesChanged);
    ASSERT_EQ(control.closeInput(), kOk);
    ASSERT_EQ(control.openInput(), kOk);
    std::string text;
    EXPECT_EQ(control.getStreamString("id3/title", text), kNoSuchProperty);
}

TEST_F(FrameworkTest, OptionsAreStoredAndHandedToTheCodec) {
    openWith({});
    std::array<std::int8_t, 64> gains{};
    gains[3] = -32;
    EXPECT_EQ(control.setOption1(3), kOk);
    EXPECT_EQ(log.optionMaskSeen, kOption1);
    EXPECT_EQ(control.setOption3(gains), kOk);
    EXPECT_EQ(log.optionMaskSeen, kOption3);
    ASSERT_TRUE(log.optionsSeen.option3.has_value());
    EXPECT_EQ((*log.optionsSeen.option3)[3], -32);
    EXPECT_EQ(control.options().option1, 3);
}

TEST(TimeRecord, SplitsSecondsIntoHoursMinutesSecondsAndHundredths) {
    const TimeRecord t = timeFromSeconds(3725.5);
    EXPECT_EQ(t.hours, 1);
    EXPECT_EQ(t.minutes, 2);
    EXPECT_EQ(t.seconds, 5);
    EXPECT_EQ(t.hundredths, 50);
    const TimeRecord zero = timeFromSeconds(-3);
    EXPECT_EQ(zero.hours + zero.minutes + zero.seconds + zero.hundredths, 0);
}

}  // namespace
}  // namespace velt::mp3
