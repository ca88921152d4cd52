// Bad input through the decoding windows with the real decoders: each window shows its own
// message, WaveReady stays False and no ~temp.wav is left behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include "audio_fixtures.h"
#include "desk/core/run/decode_handover.h"
#include "desk/media/frm_aac.h"
#include "desk/media/frm_aiff.h"
#include "desk/media/frm_mp3.h"
#include "desk/media/frm_wma.h"
#include "main_window_fixture.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using test_boxes::Box;

class DecodeBadInput : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        G().InstallFolder = test::binDir().string() + "/";
        G().WorkWaveFile = G().TempFolder + "/~temp.wav";
    }
    fs::path copyCut(const fs::path& from, const std::string& name, double share) {
        std::string bytes = test::readFile(from);
        bytes.resize(static_cast<size_t>(double(bytes.size()) * share));
        test::writeFile(dir / name, bytes);
        return dir / name;
    }
};

TEST_F(DecodeBadInput, EachWindowShowsItsOwnMessageAndLeavesNoWav) {
    const fs::path melody = dir / "melody.wav";
    ASSERT_TRUE(test::makeMelody(melody, {.noteSeconds = 0.25}));
    const fs::path wma = dir / "melody.wma", aac = dir / "melody.aac", aiff = dir / "melody.aiff";
    ASSERT_TRUE(test::encode(melody, wma, test::Encoding::Wma));
    ASSERT_TRUE(test::encode(melody, aac, test::Encoding::Aac));
    ASSERT_TRUE(test::makeMelody(aiff, {.noteSeconds = 0.25}));
    const fs::path threeChannels = dir / "three.aiff";
    ASSERT_TRUE(test::makeMelody(threeChannels, {.channels = 3, .noteSeconds = 0.05}));
    const fs::path rate48k = dir / "48k.aiff";
    ASSERT_TRUE(test::makeMelody(rate48k, {.rate = 48000, .noteSeconds = 0.05}));
    // COMM promises more frames than the file holds.
    std::string longer = test::readFile(aiff);
    const size_t comm = longer.find("COMM");
    ASSERT_NE(comm, std::string::npos);
    longer[comm + 10] = static_cast<char>(longer[comm + 10] + 1);
    const fs::path overCount = dir / "overcount.aiff";
    test::writeFile(overCount, longer);

    enum class Window { MP3, WMA, AAC, AIFF };
    struct Case {
        std::string name;
        fs::path file;
        Window window;
        std::string text;
    };
    auto text = [&](const std::string& extension) {
        const fs::path file = dir / ("text." + extension);
        test::writeFile(file, "Just a text file, given an audio name.\n");
        return file;
    };
    std::vector<Case> cases = {
        {"text as MP3", text("mp3"), Window::MP3,
         "ERROR: Cannot decode mp3 file (unsupported format)"},
        {"text as WMA", text("wma"), Window::WMA, "Error: Not a valid WMA file."},
        {"text as AAC", text("aac"), Window::AAC, "Error: Unable to decode AAC file."},
        {"text as AIFF", text("aiff"), Window::AIFF, "Error 99: Not a valid AIFF file."},
    };
    cases.push_back({"cut WMA", copyCut(wma, "cut.wma", 0.5), Window::WMA,
                     "Error: Unable to decode WMA file."});
    cases.push_back({"cut AAC", copyCut(aac, "cut.aac", 0.5), Window::AAC,
                     "Error: Unable to decode AAC file."});
    cases.push_back({"cut AIFF", copyCut(aiff, "cut.aiff", 0.5), Window::AIFF,
                     "Error 39: Cannot read AIFF file."});
    cases.push_back({"frame count beyond the data", overCount, Window::AIFF,
                     "Error 39: Cannot read AIFF file."});
    cases.push_back({"3 channels", threeChannels, Window::AIFF,
                     "Error 91: Only audio files with 1 or 2 tracks are supported."});
    cases.push_back({"48 kHz", rate48k, Window::AIFF,
                     "Error 98: Only AIFF files with a sample rate of 11025, 22050, 44100, or "
                     "88200 Hz are supported."});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeFile(G().WorkWaveFile, "RIFF from before");
        G().SourceAudioFile = c.file.string();
        G().WaveReady = true;
        const bool mp3 = c.window == Window::MP3;
        ui.expectBox(Box(c.text, "Decode Error", 16, mp3 ? 170 : 0)).answer(ui::OK);
        switch (c.window) {
            case Window::MP3:
                tickUntilClosed<frmMP3>(500);
                break;
            case Window::WMA:
                tickUntilClosed<frmWMA>(20);
                break;
            case Window::AAC:
                tickUntilClosed<frmAAC>(20);
                break;
            case Window::AIFF:
                tickUntilClosed<frmAIFF>(1);
                break;
        }
        DecodeSourceAudio(c.file.string());
        EXPECT_FALSE(G().WaveReady);
        EXPECT_FALSE(fs::exists(G().WorkWaveFile));
        EXPECT_FALSE(fs::exists(G().TempFolder + "/~stat-" + std::to_string(getpid()) + ".txt"));
    }
}

}  // namespace
}  // namespace velt::desk
