// End to end: a project of one melody as MP3 (lame), WMA and AAC (ffmpeg) and AIFF (sox) is
// converted through the main window's Convert command with the real decoders, the real bridge
// and the real engine. Every file gets its decoding window and its run, and every run writes a
// MIDI file with notes. With VELT_E2E_OUT set, the MIDI files are kept in that folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "audio_fixtures.h"
#include "desk/core/project/project_file.h"
#include "desk/core/run/frm_status.h"
#include "desk/media/frm_aac.h"
#include "desk/media/frm_aiff.h"
#include "desk/media/frm_mp3.h"
#include "desk/media/frm_wma.h"
#include "main_window_fixture.h"
#include "midicsv_reader.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;

class DecodeRoad : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        G().InstallFolder = test::binDir().string() + "/";  // mpunpack
    }

    RealEngineEnv realEngine{dir.path()};
};

TEST_F(DecodeRoad, FourCompressedFormatsConvertThroughTheMainWindow) {
    const fs::path melody = dir / "melody.wav";
    ASSERT_TRUE(test::makeMelody(melody, {.rate = 44100, .channels = 2, .noteSeconds = 1.0}));
    const fs::path music = dir / "my music";
    fs::create_directories(music);
    const std::vector<fs::path> sources = {music / "song.mp3", music / "song.wma",
                                           music / "song.aac", music / "song.aiff"};
    ASSERT_TRUE(test::encode(melody, sources[0], test::Encoding::Mp3));
    ASSERT_TRUE(test::encode(melody, sources[1], test::Encoding::Wma));
    ASSERT_TRUE(test::encode(melody, sources[2], test::Encoding::Aac));
    ASSERT_EQ(test::runCommand("sox " + test::shellQuote(melody.string()) + " " +
                               test::shellQuote(sources[3].string()))
                  .exitCode,
              0);

    frmMain& m = start();
    Global& g = G();
    g.AudioFileCount = 4;
    g.AudioFiles.redim(4);
    g.MidiFiles.redim(4);
    const char* kinds[] = {"mp3", "wma", "aac", "aiff"};
    for (int i = 1; i <= 4; ++i) {
        g.AudioFiles(i) = sources[i - 1].string();
        g.MidiFiles(i) = (music / (std::string("song-") + kinds[i - 1] + ".mid")).string();
    }
    g.TempoDetect = 0;
    g.Tempo = 120;
    g.TimeSignatureNumerator = 4;
    g.ChordRes = 4;
    g.AudioFileValid = true;
    CheckRecognize();

    tickUntilClosed<frmMP3>(500);
    tickUntilClosed<frmStatus>(56);
    tickUntilClosed<frmWMA>(20);
    tickUntilClosed<frmStatus>(56);
    tickUntilClosed<frmAAC>(20);
    tickUntilClosed<frmStatus>(56);
    tickUntilClosed<frmAIFF>(1);
    tickUntilClosed<frmStatus>(56);
    ui.user().toolbar(m.Toolbar, "Recognize");

    EXPECT_EQ(m.sbStatusBar.Text(), "Finished");
    const char* keep = std::getenv("VELT_E2E_OUT");
    for (int i = 1; i <= 4; ++i) {
        SCOPED_TRACE(g.MidiFiles(i));
        ASSERT_TRUE(fs::exists(g.MidiFiles(i)));
        const test::MidiContents midi = test::readMidi(g.MidiFiles(i));
        // The melody's four notes, C4 E4 G4 C5, are among those heard.
        const std::set<int> keys = midi.keys();
        for (int key : {60, 64, 67, 72})
            EXPECT_TRUE(keys.count(key)) << "key " << key << "\n" << midi.text;
        if (keep != nullptr && *keep != '\0') {
            fs::create_directories(keep);
            fs::copy_file(g.MidiFiles(i), fs::path(keep) / fs::path(g.MidiFiles(i)).filename(),
                          fs::copy_options::overwrite_existing);
        }
    }
    g.ProjectChanged = false;  // no save question when the window closes
}

}  // namespace
}  // namespace velt::desk
