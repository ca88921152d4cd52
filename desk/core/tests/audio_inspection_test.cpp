// What the inspection of an audio file finds, without any window: each road from a path to its
// finding, the decoding hand-over it leaves in the shared module, the usable length of a sox
// recording and when the recording level is measured.
#include "desk/core/shared/audio_inspection.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "desk/core/global.h"
#include "test_support.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;

class InspectingAudio : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetGlobal();
        G().TempFolder = (dir / "temp").string();
        fs::create_directories(dir / "temp");
    }
    void TearDown() override { ResetGlobal(); }

    // Two seconds of a quiet 440 Hz tone, 16-bit mono at 8 kHz.
    std::string sox(const fs::path& path) {
        EXPECT_EQ(test::runCommand("sox -D -r 8000 -n -r 8000 -c 1 -b 16 -t wav " +
                                   test::shellQuote(path.string()) +
                                   " synth 2 sine 440 vol 0.2 2>/dev/null")
                      .exitCode,
                  0);
        return path.string();
    }

    test::TempDir dir;
};

TEST_F(InspectingAudio, EachRoadFromAPathToItsFinding) {
    Global& g = G();
    const std::string wav = sox(dir / "take.WAV");
    const std::string decoded = g.TempFolder + "/~temp.wav";
    test::writeFile(dir / "song.mp3", "ID3");
    test::writeFile(dir / "song.ogg", "OggS");
    test::writeFile(dir / "song.wma", "WMA");

    int decodes = 0;
    struct Case {
        const char* name;
        std::string path;
        bool waveReady;  // before the inspection
        std::function<DecodeOutcome(const std::string&)> decode;
        AudioFinding finding;
        std::string waveFile;
        bool accepted;
        int decodesAfter;
    } cases[] = {
        {"real time", "", false, nullptr, AudioFinding::RealTime, "", false, 0},
        {"missing", (dir / "gone.wav").string(), false, nullptr, AudioFinding::Missing, "", false,
         0},
        {"a wave file, any case of the extension", wav, false, nullptr, AudioFinding::Wave, wav,
         true, 0},
        {"no format the program decodes", (dir / "song.ogg").string(), false, nullptr,
         AudioFinding::NotSupported, "", false, 0},
        {"the decoder is not installed", (dir / "song.wma").string(), false,
         [&](const std::string&) {
             ++decodes;
             return DecodeOutcome::ComponentMissing;
         },
         AudioFinding::DecoderMissing, "", false, 1},
        {"the decode fails", (dir / "song.mp3").string(), false,
         [&](const std::string&) {
             ++decodes;
             return DecodeOutcome::Shown;  // WaveReady stays unset
         },
         AudioFinding::NotDecoded, "", false, 2},
        {"the decode writes the copy", (dir / "song.mp3").string(), false,
         [&](const std::string& file) {
             ++decodes;
             EXPECT_EQ(file, g.SourceAudioFile);
             fs::copy_file(wav, g.WorkWaveFile, fs::copy_options::overwrite_existing);
             g.WaveReady = true;
             return DecodeOutcome::Shown;
         },
         AudioFinding::Wave, decoded, true, 3},
        {"an earlier decode is reused", (dir / "song.mp3").string(), true,
         [&](const std::string&) {
             ++decodes;
             return DecodeOutcome::Shown;
         },
         AudioFinding::Wave, decoded, true, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g.WaveReady = c.waveReady;
        g.SourceAudioFile = "earlier.mp3";
        const AudioInspection found = InspectAudioFile(c.path, "", c.decode);
        EXPECT_EQ(found.finding, c.finding);
        EXPECT_EQ(found.waveFile, c.waveFile);
        EXPECT_EQ(found.accepted(), c.accepted);
        EXPECT_EQ(decodes, c.decodesAfter);
        if (c.finding == AudioFinding::RealTime || found.waveFile == wav) {
            EXPECT_EQ(g.SourceAudioFile, "");  // nothing to decode
        } else if (c.decode && !c.waveReady) {
            EXPECT_EQ(g.SourceAudioFile, c.path);
            EXPECT_EQ(g.WorkWaveFile, decoded);
        }
        if (found.finding == AudioFinding::Wave) {
            EXPECT_TRUE(g.WaveReady);
        }
    }
}

TEST_F(InspectingAudio, LengthAndLevelOfAnAcceptedFile) {
    const std::string wav = sox(dir / "take.wav");
    const AudioInspection found = InspectAudioFile(wav, "");
    ASSERT_TRUE(found.accepted());
    EXPECT_EQ(found.head.channelCount, 1);
    EXPECT_EQ(found.head.sampleRate, 8000);
    // The usable length leaves out the last 116 bytes of the data (58 samples).
    EXPECT_FLOAT_EQ(found.exactSeconds, (16000.0f - 58) / 8000);
    ASSERT_TRUE(found.level.has_value());
    EXPECT_NEAR(found.level->peak, 0.2, 0.01);
    EXPECT_EQ(found.level->distortion, 0);

    // The file whose level is already shown is not measured again; a refused one never is.
    EXPECT_FALSE(InspectAudioFile(wav, wav).level.has_value());
    EXPECT_TRUE(InspectAudioFile(wav, wav).accepted());
    test::writeFile(dir / "text.wav", std::string(5000, 'x'));
    const AudioInspection refused = InspectAudioFile((dir / "text.wav").string(), "");
    EXPECT_EQ(refused.head.verdict, WaveVerdict::NotWave);
    EXPECT_FALSE(refused.level.has_value());
}

}  // namespace
}  // namespace velt::desk
