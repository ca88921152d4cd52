// The MP3 window with fake decoder programs in the install folder (silent, "done", slow) and with
// the real mpunpack: its messages, the hand-over, and that no decoder, status file or partial WAV
// outlives the window.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "audio_fixtures.h"
#include "desk/core/run/decode_handover.h"
#include "desk/media/frm_mp3.h"
#include "main_window_fixture.h"
#include "platform/process/process.h"
#include "platform/wav/wav_file.h"
#include "scoped_file_size_limit.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using test_boxes::Box;
using User = ui::test::User;

bool waitUntil(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class DecodeMp3Window : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Global& g = G();
        g.WorkWaveFile = g.TempFolder + "/~temp.wav";
        g.SourceAudioFile = (dir / "my song.mp3").string();
        const std::string run = std::to_string(getpid());
        statusFile = g.TempFolder + "/~stat-" + run + ".txt";
        decodeFile = g.WorkWaveFile + ".~" + run;
    }
    // A decoder program in the install folder: a shell script that notes its pid and arguments.
    void installDecoder(const std::string& body) {
        const fs::path program = fs::path(G().InstallFolder) / "mpunpack";
        test::writeFile(program, "#!/bin/sh\necho $$ > " + test::shellQuote(pidFile().string()) +
                                     "\nprintf '%s\\n' \"$@\" > " +
                                     test::shellQuote(argsFile().string()) + "\n" + body + "\n");
        chmod(program.c_str(), 0755);
    }
    void useRealDecoder() { G().InstallFolder = test::binDir().string() + "/"; }
    fs::path pidFile() const { return dir / "decoder.pid"; }
    fs::path argsFile() const { return dir / "decoder.args"; }

    // Decodes through the conversion's dispatch, which shows the window modally when it is still
    // loaded after Form_Load; inside, the clock ticks (with real time for the decoder to work)
    // until the window has closed, after `during` ran.
    void show(const std::function<void(frmMP3&, User&)>& during = nullptr, bool opens = true) {
        G().WaveReady = true;
        if (opens) {
            ui.onModal<frmMP3>([&](frmMP3& f, User& u) {
                EXPECT_FALSE(G().WaveReady);
                if (during) during(f, u);
                EXPECT_TRUE(waitUntil([&] {
                    if (f.loaded()) ui.advance(500);
                    return !f.loaded();
                }));
            });
        }
        DecodeSourceAudio(G().SourceAudioFile);
        EXPECT_FALSE(fs::exists(statusFile)) << "the status file goes with the window";
    }

    std::string statusFile;
    std::string decodeFile;  // what the decoder writes before the window renames it
};

TEST_F(DecodeMp3Window, EachWayItEndsGetsItsMessage) {
    struct Case {
        const char* name;
        std::string decoder;  // script body; empty: no decoder installed
        std::optional<ui::test::BoxMatch> box;
        bool ready;
    } cases[] = {
        {"no decoder", "", Box("Unable to run decoder.", "Converter", 16, 169), false},
        {"silent exit", "exit 0",
         Box("Unable to run decoder: Decoder failure.", "Converter", 16, 169), false},
        {"error line", "printf 'ERROR: Cannot decode mp3 file (bad data)\\r\\n' > \"$3\"",
         Box("ERROR: Cannot decode mp3 file (bad data)", "Decode Error", 16, 170), false},
        {"a line without an outcome, then gone", "printf 'working\\r\\n' > \"$3\"",
         Box("Unable to run decoder: Decoder failure.", "Converter", 16, 169), false},
        {"done without its file", "printf 'DONE\\r\\n' > \"$3\"",
         Box("Unable to run decoder: Decoder failure.", "Converter", 16, 169), false},
        // A full folder takes no status line: the decoder's own line on its output tells why.
        {"an error line on the output only",
         "echo 'decoding'; printf 'ERROR: Cannot write to wav file (write failed, No space left "
         "on device)\\n'; exit 1",
         Box("ERROR: Cannot write to wav file (write failed, No space left on device)",
             "Decode Error", 16, 170),
         false},
        {"done in lower case", "printf 'RIFF' > \"$2\"; printf 'done\\r\\n' > \"$3\"", std::nullopt,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(fs::path(G().InstallFolder) / "mpunpack");
        if (!c.decoder.empty()) installDecoder(c.decoder);
        test::writeFile(G().WorkWaveFile, "RIFF old");
        if (c.box) ui.expectBox(*c.box).answer(ui::OK);
        show(nullptr, !c.decoder.empty());
        EXPECT_EQ(G().WaveReady, c.ready);
        EXPECT_EQ(fs::exists(G().WorkWaveFile), c.ready) << "a failed decode leaves no WAV";
    }
}

TEST_F(DecodeMp3Window, TheRealDecoderTakesPathsWithBlanksAndReportsAMissingFile) {
    useRealDecoder();
    const fs::path melody = dir / "melody.wav";
    ASSERT_TRUE(test::makeMelody(melody, {.noteSeconds = 0.25}));
    ASSERT_TRUE(test::encode(melody, G().SourceAudioFile, test::Encoding::Mp3));
    show();
    EXPECT_TRUE(G().WaveReady);
    std::optional<platform::wav::Layout> layout = platform::wav::readLayout(G().WorkWaveFile);
    ASSERT_TRUE(layout);
    EXPECT_GT(layout->frames(), 40000u);

    G().SourceAudioFile = (dir / "not here.mp3").string();
    ui.expectBox(Box("ERROR: Cannot open mp3 file (no such file)", "Decode Error", 16, 170))
        .answer(ui::OK);
    show();
    EXPECT_FALSE(G().WaveReady);
    EXPECT_FALSE(fs::exists(G().WorkWaveFile));
}

// The real decoder into a folder where nothing can be written (a file size limit of 0 bytes,
// which the decoder inherits, fails every write as a full disk does): neither the WAV file nor
// the status line can be written, and the box gives the system's reason all the same.
TEST_F(DecodeMp3Window, AFolderThatTakesNoBytesIsReportedWithTheSystemsReason) {
    useRealDecoder();
    const fs::path melody = dir / "melody.wav";
    ASSERT_TRUE(test::makeMelody(melody, {.noteSeconds = 0.25}));
    ASSERT_TRUE(test::encode(melody, G().SourceAudioFile, test::Encoding::Mp3));
    ui.expectBox({.textStartsWith = "ERROR: Cannot write to wav file (write failed, File too large",
                  .title = "Decode Error",
                  .icon = 16})
        .answer(ui::OK);
    {
        test::ScopedFileSizeLimit nothing(0);
        ASSERT_TRUE(nothing.held());
        show();
    }
    EXPECT_FALSE(G().WaveReady);
    EXPECT_FALSE(fs::exists(G().WorkWaveFile));
}

TEST_F(DecodeMp3Window, TheDecoderGetsThreeArgumentsAsTheyAre) {
    installDecoder("printf 'RIFF' > \"$2\"; printf 'DONE\\r\\n' > \"$3\"");
    show();
    EXPECT_TRUE(G().WaveReady);
    EXPECT_EQ(test::splitLines(test::readFile(argsFile())),
              (std::vector<std::string>{G().SourceAudioFile, decodeFile, statusFile}));
}

TEST_F(DecodeMp3Window, CancelEndsASlowDecoderAndRemovesItsWav) {
    // Writes part of a WAV, then takes its time (ignoring TERM, so only the KILL ends it).
    installDecoder("trap '' TERM; printf 'RIFF' > \"$2\"; while :; do sleep 0.05; done");
    pid_t decoder = 0;
    show([&](frmMP3& f, User& u) {
        ASSERT_TRUE(waitUntil([&] { return fs::exists(decodeFile) && fs::exists(pidFile()); }));
        ui.advance(1500);  // ticks that find no line yet
        EXPECT_TRUE(f.loaded());
        decoder = std::stoi(test::readFile(pidFile()));
        u.click(f.cmdCancel);
    });
    ASSERT_NE(decoder, 0);
    EXPECT_FALSE(fs::exists("/proc/" + std::to_string(decoder))) << "decoder gone and reaped";
    EXPECT_FALSE(G().WaveReady);
    EXPECT_FALSE(fs::exists(G().WorkWaveFile));
    EXPECT_FALSE(fs::exists(decodeFile));
}

TEST_F(DecodeMp3Window, ALineWrittenJustBeforeTheDecoderEndedStillCounts) {
    // The tick found the file empty; by the process test the decoder has written "DONE" and
    // ended. The window reads once more instead of reporting a failure.
    installDecoder("printf 'RIFF' > \"$2\"; exit 0");
    show([&](frmMP3& f, User&) {
        ASSERT_TRUE(waitUntil([&] { return !platform::isAlive(f.TaskId); }));
        test::writeFile(statusFile, "DONE\r\n");
        f.CheckDecoder();
    });
    EXPECT_TRUE(G().WaveReady);
}

}  // namespace
}  // namespace velt::desk
