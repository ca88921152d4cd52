// Sound input: handles and result numbers, the ring and its bounds, the in-process double and its
// failure switches, the WAV file device (format checks, wall-clock pace, pace by its reader, its
// end), the choice by VELTRANE_WAVEIN_FILE and VELTRANE_WAVEIN_PACED, and a machine without sound
// hardware.
#include "platform/wave_io/wave_in.h"

#include <gtest/gtest.h>

#include <chrono>
#include <numeric>
#include <thread>

#include "installed_devices.h"
#include "platform/clock/clock.h"
#include "platform/wave_io/fake_wave_in.h"
#include "platform/wave_io/file_wave_in.h"
#include "platform/wave_io/system_wave_in.h"
#include "scoped_env.h"
#include "test_support.h"

namespace velt::platform::wave_in {
namespace {

// A test installs its devices for its own body (test::InstalledDevices); the layer goes back to
// its own choice after each test, which matters where the environment chose it.
class WaveIn : public ::testing::Test {
  protected:
    void TearDown() override { useDevices(nullptr); }
};

std::vector<int16_t> ramp(int16_t from, size_t count) {
    std::vector<int16_t> samples(count);
    std::iota(samples.begin(), samples.end(), from);
    return samples;
}

// Makes a WAV file with sox; `format` holds sox's output options.
std::filesystem::path soxWav(const test::TempDir& dir, const std::string& name,
                             const std::string& format, const std::string& effect) {
    auto file = dir / name;
    auto result = test::runCommand("sox -D -n " + format + " " + test::shellQuote(file.string()) +
                                   " " + effect + " 2>&1");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    return file;
}

// The 16-bit samples after the "data" chunk header of a WAV file sox wrote.
std::vector<int16_t> dataOf(const std::filesystem::path& file) {
    std::vector<unsigned char> bytes = test::readBytes(file);
    std::string text(bytes.begin(), bytes.end());
    size_t at = text.find("data") + 8;
    std::vector<int16_t> samples;
    for (size_t i = at; i + 1 < bytes.size(); i += 2) {
        samples.push_back(static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8));
    }
    return samples;
}

TEST_F(WaveIn, HandlesAndResultNumbers) {
    test::InstalledDevices<FakeWaveIn> none(0);
    int32_t handle = 7;
    EXPECT_EQ(open(handle, -1), NoDevice);
    EXPECT_EQ(open(handle, 0), NoDevice);
    EXPECT_EQ(handle, 0);

    test::InstalledDevices<FakeWaveIn> devices(2);
    EXPECT_EQ(deviceCount(), 2);
    EXPECT_EQ(deviceName(1), "Fake Input 2");
    EXPECT_EQ(deviceName(2), "");
    EXPECT_EQ(open(handle, 2), BadDeviceId);
    EXPECT_EQ(open(handle, -2), BadDeviceId);
    EXPECT_EQ(open(handle, 0, Format{44100, 1, 8}), BadFormat);
    EXPECT_EQ(open(handle, 0, Format{44100, 3, 16}), BadFormat);
    ASSERT_EQ(open(handle, -1), NoError);  // the default device is the first
    EXPECT_NE(handle, 0);
    int32_t second = 0;
    EXPECT_EQ(open(second, 0), Allocated);
    EXPECT_EQ(close(handle), NoError);
    EXPECT_EQ(close(handle), InvalidHandle);
    int64_t samples = 0;
    bool done = true;
    std::vector<int16_t> out(1);
    for (int32_t result : {start(handle, 10), position(handle, samples), isDone(handle, done),
                           read(handle, 0, out), stop(handle)}) {
        EXPECT_EQ(result, InvalidHandle);
    }
    EXPECT_EQ(open(second, 0), NoError) << "a closed device can be opened again";

    devices->openResult = Allocated;
    EXPECT_EQ(open(handle, 1), Allocated) << "the device's own answer comes back";
    EXPECT_EQ(errorText(BadFormat),
              "The specified format is not supported or cannot be translated.");
    EXPECT_EQ(errorText(NoError), "");
    EXPECT_EQ(errorText(98), "Error 98.");
}

TEST_F(WaveIn, TheRingKeepsTheNewestSamplesAndRefusesOthers) {
    test::InstalledDevices<FakeWaveIn> devices;
    int32_t handle = 0;
    ASSERT_EQ(open(handle, 0), NoError);
    devices->deliver(ramp(0, 5));  // before the start: not captured
    int64_t samples = -1;
    EXPECT_EQ(position(handle, samples), NoError);
    EXPECT_EQ(samples, 0);
    EXPECT_EQ(start(handle, 0), InvalidParam);
    ASSERT_EQ(start(handle, 8), NoError);
    EXPECT_EQ(start(handle, 1000), NoError) << "a second start changes nothing";
    devices->deliver(ramp(100, 5));
    EXPECT_EQ(position(handle, samples), NoError);
    EXPECT_EQ(samples, 5);

    std::vector<int16_t> three(3);
    EXPECT_EQ(read(handle, 5, three), NoError);
    EXPECT_EQ(three, (std::vector<int16_t>{102, 103, 104}));
    EXPECT_EQ(read(handle, 6, three), InvalidParam) << "sample 5 has not arrived";
    EXPECT_EQ(read(handle, 2, three), InvalidParam) << "starts before the first sample";

    devices->deliver(ramp(105, 10));  // 15 captured, the ring holds 7..14
    std::vector<int16_t> eight(8), nine(9);
    EXPECT_EQ(read(handle, 15, eight), NoError);
    EXPECT_EQ(eight, ramp(107, 8));
    EXPECT_EQ(read(handle, 15, nine), InvalidParam) << "sample 6 has left the ring";
    EXPECT_EQ(read(handle, 10, three), NoError);
    EXPECT_EQ(three, ramp(107, 3));

    EXPECT_EQ(stop(handle), NoError);
    devices->deliver(ramp(0, 4));
    EXPECT_EQ(position(handle, samples), NoError);
    EXPECT_EQ(samples, 15) << "nothing arrives after a stop";
    EXPECT_EQ(read(handle, 15, three), NoError) << "what arrived stays readable";
}

TEST_F(WaveIn, TheDoubleFailsAsTold) {
    test::InstalledDevices<FakeWaveIn> devices;
    int32_t handle = 0;
    ASSERT_EQ(open(handle, 0), NoError);
    devices->ringFails = true;
    EXPECT_EQ(start(handle, 100), NoMemory);
    devices->ringFails = false;
    ASSERT_EQ(start(handle, 100), NoError);
    devices->reportsPosition = false;
    int64_t samples = -1;
    EXPECT_EQ(position(handle, samples), NotSupported);
    EXPECT_EQ(samples, 0);
    bool done = true;
    EXPECT_EQ(isDone(handle, done), NoError);
    EXPECT_FALSE(done);
    devices->finish();
    EXPECT_EQ(isDone(handle, done), NoError);
    EXPECT_TRUE(done);
    EXPECT_TRUE(devices->capturing);
    EXPECT_EQ(close(handle), NoError);
    EXPECT_FALSE(devices->capturing);
}

TEST_F(WaveIn, TheFileDeviceRefusesWhatIsNotLiveFormat) {
    test::TempDir dir;
    struct Case {
        const char* name;
        std::filesystem::path file;
        int32_t result;
    };
    const std::string tone = "synth 0.1 sine 440";
    test::writeFile(dir / "text.wav", "not a sound file at all");
    const Case cases[] = {
        {"live format", soxWav(dir, "ok.wav", "-r 44100 -c 1 -b 16", tone), NoError},
        {"stereo", soxWav(dir, "stereo.wav", "-r 44100 -c 2 -b 16", tone), NoError},
        {"four channels", soxWav(dir, "quad.wav", "-r 44100 -c 4 -b 16", tone), BadFormat},
        {"48 kHz", soxWav(dir, "48k.wav", "-r 48000 -c 1 -b 16", tone), BadFormat},
        {"8-bit", soxWav(dir, "8bit.wav", "-r 44100 -c 1 -b 8", tone), BadFormat},
        {"float", soxWav(dir, "float.wav", "-r 44100 -c 1 -e float -b 32", tone), BadFormat},
        {"not a WAV file", dir / "text.wav", BadFormat},
        {"missing", dir / "missing.wav", NoDriver},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::InstalledDevices<FileDevices> files(c.file);
        int32_t handle = 0;
        EXPECT_EQ(open(handle, 0), c.result);
        close(handle);
    }
    test::InstalledDevices<FileDevices> files(dir / "ok.wav");
    int32_t handle = 0;
    EXPECT_EQ(open(handle, 0, Format{22050, 1, 16}), BadFormat);
    EXPECT_EQ(open(handle, 0, Format{44100, 2, 8}), BadFormat);
}

TEST_F(WaveIn, TheFileDeviceTakesMonoAndStereoFilesInEitherCapture) {
    test::TempDir dir;
    // Left a rising ramp, right a falling one: sides that cannot be mistaken for each other.
    auto stereo = soxWav(dir, "ramps_stereo.wav", "-r 44100 -c 2 -b 16",
                         "synth 0.01 sawtooth 100 sawtooth 100 remix 1 2v-1");
    auto mono = soxWav(dir, "ramp_mono.wav", "-r 44100 -c 1 -b 16", "synth 0.01 sawtooth 100");
    const std::vector<int16_t> stereoData = dataOf(stereo), monoData = dataOf(mono);
    ASSERT_EQ(stereoData.size(), 882u);
    struct Case {
        const char* name;
        std::filesystem::path file;
        int32_t channels;
        std::vector<int16_t> expected;  // frames 10 and 11
    } cases[] = {
        {"stereo file, stereo capture",
         stereo,
         2,
         {stereoData[20], stereoData[21], stereoData[22], stereoData[23]}},
        {"mono file on both channels",
         mono,
         2,
         {monoData[10], monoData[10], monoData[11], monoData[11]}},
        {"stereo file, mono capture",
         stereo,
         1,
         {static_cast<int16_t>((stereoData[20] + stereoData[21]) / 2),
          static_cast<int16_t>((stereoData[22] + stereoData[23]) / 2)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ManualClock clock;
        test::InstalledDevices<FileDevices> files(c.file, &clock);
        int32_t handle = 0;
        ASSERT_EQ(open(handle, 0, Format{44100, c.channels, 16}), NoError);
        ASSERT_EQ(start(handle, 4096), NoError);
        clock.advance(5);
        int64_t frames = 0;
        ASSERT_EQ(position(handle, frames), NoError);
        EXPECT_EQ(frames, 220);
        std::vector<int16_t> out(c.expected.size());
        ASSERT_EQ(read(handle, 12, out), NoError);
        EXPECT_EQ(out, c.expected);
        close(handle);
    }
}

TEST_F(WaveIn, TheFileDevicePlaysAtWallClockPaceAndThenIsDone) {
    test::TempDir dir;
    auto wav = soxWav(dir, "sine_440hz_44100hz_mono_1s.wav", "-r 44100 -c 1 -b 16",
                      "synth 1 sine 440 vol 0.5");
    std::vector<int16_t> expected = dataOf(wav);
    ASSERT_EQ(expected.size(), 44100u);

    ManualClock clock(5000);
    test::InstalledDevices<FileDevices> files(wav, &clock);
    EXPECT_EQ(deviceName(0), "WAV File Input");
    int32_t handle = 0;
    ASSERT_EQ(open(handle, -1), NoError);
    clock.advance(300);  // time before the start does not count
    ASSERT_EQ(start(handle, 44100 * 30), NoError);
    int64_t samples = -1;
    EXPECT_EQ(position(handle, samples), NoError);
    EXPECT_EQ(samples, 0);
    clock.advance(100);
    EXPECT_EQ(position(handle, samples), NoError);
    EXPECT_EQ(samples, 4410);
    std::vector<int16_t> newest(1024);
    ASSERT_EQ(read(handle, samples, newest), NoError);
    EXPECT_TRUE(std::equal(newest.begin(), newest.end(), expected.begin() + 4410 - 1024));

    bool done = true;
    EXPECT_EQ(isDone(handle, done), NoError);
    EXPECT_FALSE(done);
    clock.advance(5000);
    EXPECT_EQ(position(handle, samples), NoError);
    EXPECT_EQ(samples, 44100) << "the position stops at the file's end";
    EXPECT_EQ(isDone(handle, done), NoError);
    EXPECT_TRUE(done);

    // A stop freezes the position where it was.
    ASSERT_EQ(close(handle), NoError);
    ASSERT_EQ(open(handle, 0), NoError);
    ASSERT_EQ(start(handle, 44100), NoError);
    clock.advance(200);
    ASSERT_EQ(stop(handle), NoError);
    clock.advance(200);
    EXPECT_EQ(position(handle, samples), NoError);
    EXPECT_EQ(samples, 8820);
}

// Paced by the reader, the file device is never more than one period past the newest read, and
// never ahead of the wall clock: a starved reader hears every sample, later.
TEST_F(WaveIn, TheReaderPacedFileDeviceStaysOnePeriodAheadOfTheReads) {
    test::TempDir dir;
    auto wav = soxWav(dir, "sine_440hz_44100hz_mono_0.1s.wav", "-r 44100 -c 1 -b 16",
                      "synth 0.1 sine 440 vol 0.5");
    std::vector<int16_t> expected = dataOf(wav);
    ASSERT_EQ(expected.size(), 4410u);

    ManualClock clock(0);
    test::InstalledDevices<FileDevices> files(wav, &clock, Pacing::Reader);
    int32_t handle = 0;
    ASSERT_EQ(open(handle, -1), NoError);
    ASSERT_EQ(start(handle, 44100), NoError);
    int64_t samples = -1;
    std::vector<int16_t> frame(441);
    // Each step moves the clock, then reads the newest 441 samples that have arrived (or a span
    // ending at `readEnd` when that is set), and expects the position after it.
    struct Step {
        const char* what;
        int64_t advanceMs;
        int64_t readEnd;  // 0: no read
        int64_t position;
    };
    const Step steps[] = {
        {"the wall clock limits", 5, 0, 220},
        {"a reader starved for a second: one period", 1000, 0, 441},
        {"a read lets one more period in", 0, 441, 882},
        {"an older read moves nothing", 0, 300, 882},
        {"the next read", 0, 882, 1323},
        {"a read of less than a period", 0, 1000, 1441},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        clock.advance(step.advanceMs);
        if (step.readEnd > 0) {
            ASSERT_EQ(read(handle, step.readEnd, std::span(frame).first(300)), NoError);
            EXPECT_TRUE(std::equal(frame.begin(), frame.begin() + 300,
                                   expected.begin() + step.readEnd - 300));
        }
        EXPECT_EQ(position(handle, samples), NoError);
        EXPECT_EQ(samples, step.position);
    }
    // Reading on delivers the whole file; the device is done at its end.
    bool done = true;
    EXPECT_EQ(isDone(handle, done), NoError);
    EXPECT_FALSE(done);
    ASSERT_EQ(position(handle, samples), NoError);
    for (int reads = 0; reads < 20 && samples < 4410; ++reads) {
        ASSERT_EQ(read(handle, samples, frame), NoError);
        ASSERT_EQ(position(handle, samples), NoError);
    }
    EXPECT_EQ(samples, 4410);
    ASSERT_EQ(read(handle, samples, frame), NoError);
    EXPECT_TRUE(std::equal(frame.begin(), frame.end(), expected.end() - 441));
    EXPECT_EQ(isDone(handle, done), NoError);
    EXPECT_TRUE(done);

    // A new start paces from the file's beginning again; a stop freezes the position.
    ASSERT_EQ(close(handle), NoError);
    ASSERT_EQ(open(handle, 0), NoError);
    ASSERT_EQ(start(handle, 44100), NoError);
    clock.advance(1000);
    ASSERT_EQ(stop(handle), NoError);
    ASSERT_EQ(read(handle, 441, frame), NoError);
    EXPECT_EQ(position(handle, samples), NoError);
    EXPECT_EQ(samples, 441);
}

// At file speed the reads alone move the device, with the clock standing still: one period
// past the newest read, the whole file, then done. The environment chooses it by "file".
TEST_F(WaveIn, AtFileSpeedTheReadsAloneMoveTheFileDevice) {
    test::TempDir dir;
    auto wav = soxWav(dir, "sine_440hz_44100hz_mono_0.1s.wav", "-r 44100 -c 1 -b 16",
                      "synth 0.1 sine 440 vol 0.5");
    std::vector<int16_t> expected = dataOf(wav);
    ASSERT_EQ(expected.size(), 4410u);
    ManualClock clock(0);
    test::InstalledDevices<FileDevices> files(wav, &clock, Pacing::FileSpeed);
    int32_t handle = 0;
    ASSERT_EQ(open(handle, -1), NoError);
    ASSERT_EQ(start(handle, 44100), NoError);
    int64_t samples = -1;
    ASSERT_EQ(position(handle, samples), NoError);
    EXPECT_EQ(samples, 441) << "one period before any read, with no time gone";
    std::vector<int16_t> frame(441);
    ASSERT_EQ(read(handle, 300, std::span(frame).first(300)), NoError);
    ASSERT_EQ(position(handle, samples), NoError);
    EXPECT_EQ(samples, 741) << "one period past a short read";
    bool done = true;
    for (int reads = 0; reads < 20 && samples < 4410; ++reads) {
        ASSERT_EQ(isDone(handle, done), NoError);
        EXPECT_FALSE(done);
        ASSERT_EQ(read(handle, samples, frame), NoError);
        EXPECT_TRUE(std::equal(frame.begin(), frame.end(), expected.begin() + samples - 441));
        ASSERT_EQ(position(handle, samples), NoError);
    }
    EXPECT_EQ(samples, 4410);
    EXPECT_EQ(isDone(handle, done), NoError);
    EXPECT_TRUE(done);
    ASSERT_EQ(close(handle), NoError);

    test::ScopedEnv env("VELTRANE_WAVEIN_FILE", wav.string());
    test::ScopedEnv fileSpeed("VELTRANE_WAVEIN_PACED", "file");
    useDevices(nullptr);  // choose again, now with the variables set
    ASSERT_EQ(open(handle, -1), NoError);
    ASSERT_EQ(start(handle, 44100), NoError);
    samples = 0;
    for (int reads = 0; reads < 20 && samples < 4410; ++reads) {
        ASSERT_EQ(position(handle, samples), NoError);
        ASSERT_EQ(read(handle, samples, frame), NoError);
    }
    ASSERT_EQ(position(handle, samples), NoError);
    EXPECT_EQ(samples, 4410) << "the whole file at once for a reader that keeps reading";
    ASSERT_EQ(close(handle), NoError);
}

TEST_F(WaveIn, TheEnvironmentSelectsTheFileDevice) {
    test::TempDir dir;
    auto wav = soxWav(dir, "short.wav", "-r 44100 -c 1 -b 16", "synth 0.2 sine 440");
    test::ScopedEnv env("VELTRANE_WAVEIN_FILE", wav.string());
    test::ScopedEnv wallClock("VELTRANE_WAVEIN_PACED", std::nullopt);
    useDevices(nullptr);  // choose again, now with the variable set
    ASSERT_EQ(deviceCount(), 1);
    int32_t handle = 0;
    ASSERT_EQ(open(handle, -1), NoError);
    ASSERT_EQ(start(handle, 44100), NoError);
    bool done = false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_EQ(isDone(handle, done), NoError);
    }
    EXPECT_TRUE(done);
    int64_t samples = 0;
    EXPECT_EQ(position(handle, samples), NoError);
    EXPECT_EQ(samples, 8820);
}

TEST_F(WaveIn, TheEnvironmentPacesTheFileDeviceByItsReader) {
    test::TempDir dir;
    auto wav = soxWav(dir, "short.wav", "-r 44100 -c 1 -b 16", "synth 0.2 sine 440");
    test::ScopedEnv env("VELTRANE_WAVEIN_FILE", wav.string());
    test::ScopedEnv paced("VELTRANE_WAVEIN_PACED", "engine");
    useDevices(nullptr);  // choose again, now with the variables set
    int32_t handle = 0;
    ASSERT_EQ(open(handle, -1), NoError);
    ASSERT_EQ(start(handle, 44100), NoError);
    // However long nothing reads, no more than one period arrives.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    int64_t samples = 0;
    EXPECT_EQ(position(handle, samples), NoError);
    EXPECT_LE(samples, 441);
    // Read as it comes: the whole file arrives.
    bool done = false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_EQ(position(handle, samples), NoError);
        std::vector<int16_t> newest(size_t(std::min<int64_t>(samples, 441)));
        ASSERT_EQ(read(handle, samples, newest), NoError);
        ASSERT_EQ(isDone(handle, done), NoError);
    }
    EXPECT_TRUE(done);
    EXPECT_EQ(position(handle, samples), NoError);
    EXPECT_EQ(samples, 8820);
}

TEST_F(WaveIn, WithoutSoundHardwareThereIsNoDeviceAndNothingIsPrinted) {
    testing::internal::CaptureStderr();
    test::InstalledDevices<Devices> system(makeSystemDevices());
    int32_t count = deviceCount();
    int32_t handle = 9;
    int32_t opened = open(handle, -1);
    close(handle);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    if (count == 0) {
        EXPECT_EQ(opened, NoDevice);
        EXPECT_EQ(handle, 0);
    }
}

}  // namespace
}  // namespace velt::platform::wave_in
