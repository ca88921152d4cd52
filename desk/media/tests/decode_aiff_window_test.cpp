// The AIFF window: a sox AIFF file decodes once the window is on screen; each failure code of
// the reader gets "Error <n>: <text>" and leaves no WAV file.
#include <gtest/gtest.h>

#include <filesystem>

#include "audio_fixtures.h"
#include "desk/core/run/decode_handover.h"
#include "desk/media/frm_aiff.h"
#include "main_window_fixture.h"
#include "platform/wav/wav_file.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using test_boxes::Box;
using User = ui::test::User;

class DecodeAiffWindow : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        G().WorkWaveFile = G().TempFolder + "/~temp.wav";
    }
    void decode(const std::string& source) {
        G().SourceAudioFile = source;
        G().WaveReady = true;
        ui.onModal<frmAIFF>([&](frmAIFF& f, User&) {
            EXPECT_FALSE(G().WaveReady);
            EXPECT_EQ(f.lblStatus.Caption(), "Analyzing AIFF file... Please Wait");
            ui.advance(1);
            EXPECT_FALSE(f.loaded());
        });
        DecodeSourceAudio(source);
    }
};

TEST_F(DecodeAiffWindow, DecodesASoxFileAndShowsEachFailure) {
    const fs::path good = dir / "my song.aiff";
    ASSERT_TRUE(test::makeMelody(good, {.rate = 44100, .channels = 2, .noteSeconds = 0.1}));
    decode(good.string());
    EXPECT_TRUE(G().WaveReady);
    std::optional<platform::wav::Layout> layout = platform::wav::readLayout(G().WorkWaveFile);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->frames(), 4u * 4410u);

    const fs::path wide = dir / "48k.aif";
    ASSERT_TRUE(test::makeMelody(wide, {.rate = 48000, .channels = 1, .noteSeconds = 0.05}));
    const fs::path text = dir / "text.aiff";
    test::writeFile(text, "not audio at all\n");
    struct Case {
        fs::path source;
        std::string text;
    } cases[] = {
        {wide,
         "Error 98: Only AIFF files with a sample rate of 11025, 22050, 44100, or 88200 Hz are "
         "supported."},
        {text, "Error 99: Not a valid AIFF file."},
        {dir / "missing.aiff", "Error 43: Not a valid AIFF file."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        test::writeFile(G().WorkWaveFile, "RIFF old");
        ui.expectBox(Box(c.text, "Decode Error", 16)).answer(ui::OK);
        decode(c.source.string());
        EXPECT_FALSE(G().WaveReady);
        EXPECT_FALSE(fs::exists(G().WorkWaveFile));
    }
}

TEST_F(DecodeAiffWindow, EveryResultCodeHasItsText) {
    // The reader's own codes and the wider ranges of the outside library's table.
    struct Case {
        int16_t result;
        const char* text;
    } cases[] = {
        {-6, "Error 6: Unable to create wave file."},
        {-93, "Error 93: Unable to create wave file."},
        {-20, "Error 20: Unable to create wave file."},
        {-92, "Error 92: Only audio files with 8, 16, 24, or 32 bits per sample are supported."},
        {-91, "Error 91: Only audio files with 1 or 2 tracks are supported."},
        {-95, "Error 95: AIFF files with offsets are not supported."},
        {-94, "Error 94: AIFF files with offsets are not supported."},
        {-90, "Error 90: Not a valid AIFF file."},
        {-18, "Error 18: Not a valid AIFF file."},
        {-39, "Error 39: Cannot read AIFF file."},
        {-21, "Error 21: Cannot read AIFF file."},
        {-15, "Error 15: Cannot read AIFF file."},
        {-7, "Error 7: Unable to decode AIFF file."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        const int16_t result = c.result;
        ui::forms::install<frmAIFF>([result] {
            return std::make_unique<frmAIFF>(
                [result](const std::string&, const std::string&) { return result; });
        });
        ui.expectBox(Box(c.text, "Decode Error", 16)).answer(ui::OK);
        decode((dir / "song.aiff").string());
        EXPECT_FALSE(G().WaveReady);
    }
}

}  // namespace
}  // namespace velt::desk
