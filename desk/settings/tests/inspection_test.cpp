// The audio file inspection: the header checks and their messages, the usable length, the level
// warnings, decoding of compressed files and the WMA support question.
#include <chrono>
#include <cmath>
#include <thread>

#include "desk/core/help_topics.h"
#include "desk/media/frm_mp3.h"
#include "settings_fixture.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using test_boxes::Box;

using SettingsInspection = SettingsTest;

void put16(std::string& bytes, size_t at, uint16_t v) {
    bytes[at] = static_cast<char>(v & 0xFF);
    bytes[at + 1] = static_cast<char>(v >> 8);
}
void put32(std::string& bytes, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
}

TEST_F(SettingsInspection, HeaderChecksTheirMessagesAndTheUsableLength) {
    frmProperties& f = dialog();
    Global& g = G();
    // One second of 16-bit stereo at 44.1 kHz: a 44-byte header, "data" at byte 37.
    const std::string base = test::readFile(sox("base.wav"));
    ASSERT_EQ(base.substr(36, 4), "data");
    const uint32_t riff = 36 + 176400;
    const std::string tooShort = "This audio file is too short.";
    const std::string invalid = "Wave file format not supported.  Not a valid wave file.";
    const std::string accessError = "Error accessing Audio File information.";
    struct Case {
        const char* name;
        std::function<void(std::string&)> damage;
        std::string message;  // "" when accepted
        long help;
        double seconds;  // ExactAudioSeconds when accepted
    } cases[] = {
        {"as made", [](std::string&) {}, "", 0, (176400.0 - 116) / 4 / 44100},
        {"permuted RIFF", [](std::string& b) { b.replace(0, 4, "FFIR"); }, "", 0,
         (176400.0 - 116) / 4 / 44100},
        // A "data" text in a chunk before the real one is taken as the data chunk.
        {"earlier data text",
         [riff](std::string& b) {
             b.insert(12, std::string("LIST") + std::string("\4\0\0\0", 4) + "data");
             put32(b, 4, riff + 12);
         },
         "", 0, (176400.0 - 88) / 4 / 44100},
        // Too short is less than the engine's shortest analysis window (0.04269 s, 1882 frames
        // at 44.1 kHz) where the engine reads the samples.
        {"exactly one window", [](std::string& b) { put32(b, 4, 1882 * 4 + 152); }, "", 0,
         1882.0 / 44100},
        {"a byte under one window", [](std::string& b) { put32(b, 4, 1882 * 4 + 151); }, tooShort,
         0, 0},
        {"116 data bytes: no sample the engine reads", [](std::string& b) { put32(b, 4, 152); },
         tooShort, 0, 0},
        {"4000 bytes", [](std::string& b) { b.resize(4000); }, tooShort, 0, 0},
        {"tag 3", [](std::string& b) { put16(b, 20, 3); },
         "This wave file is compressed.  Only uncompressed wave files are supported.", 91, 0},
        {"3 channels", [](std::string& b) { put16(b, 22, 3); },
         "This audio file has 3 tracks. Only audio files with 1 or 2 tracks are supported.", 91, 0},
        {"12 bits", [](std::string& b) { put16(b, 34, 12); },
         "This audio file has 12 bits per sample. Only audio files with 8, 16, 24, or 32 bits "
         "per sample are supported.",
         91, 0},
        {"negative rate", [](std::string& b) { b[27] = static_cast<char>(0x80); }, accessError, 92,
         0},
        {"zero block align", [](std::string& b) { put16(b, 32, 0); }, accessError, 92, 0},
        // The only "fmt " stands so late that its fields lie beyond the bytes read.
        {"tag near byte 4130",
         [](std::string& b) {
             b[14] = 'X';
             b.replace(4126, 4, "fmt ");
         },
         accessError, 92, 0},
        // The only "data" stands at the end of the bytes read: its size lies beyond them.
        {"data near byte 4130",
         [](std::string& b) {
             b[36] = 'D';
             b.replace(4127, 4, "data");
         },
         accessError, 92, 0},
        {"not RIFF", [](std::string& b) { b.replace(0, 4, "RIFX"); }, invalid, 91, 0},
        {"no data", [](std::string& b) { b[36] = 'D'; }, invalid, 91, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = base;
        c.damage(bytes);
        const std::string path = (dir / (std::string(c.name) + ".wav")).string();
        test::writeFile(path, bytes);
        if (!c.message.empty()) ui.expectBox(Box(c.message, "Project", 48, c.help)).answer(ui::OK);
        f.GetWaveInfo(path);
        EXPECT_EQ(g.AudioFileValid, c.message.empty());
        EXPECT_EQ(f.cmdPlay.Enabled(), c.message.empty());
        if (c.message.empty()) {
            EXPECT_FLOAT_EQ(f.ExactAudioSeconds, static_cast<float>(c.seconds));
            EXPECT_EQ(f.SampleRate, 44100);
        } else {
            EXPECT_EQ(f.AudioSeconds, 3600);
            EXPECT_EQ(f.SampleRate, 44100);
            EXPECT_EQ(f.ChannelCount, 2);
        }
    }
}

// Valid WAV files shorter than the 4,132 bytes the header is searched in are audio like any
// other: refused as too short only below one analysis window.
TEST_F(SettingsInspection, SmallValidFilesAreTooShortOnlyBelowOneWindow) {
    frmProperties& f = dialog();
    Global& g = G();
    struct Case {
        const char* name;
        const char* seconds;
        bool accepted;
    } cases[] = {{"fifty ms", "0.05", true}, {"forty ms", "0.04", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = sox(std::string(c.name) + ".wav", "-r 22050 -c 1 -b 16",
                                     std::string("synth ") + c.seconds + " sine 440 vol 0.5");
        ASSERT_LT(fs::file_size(path), 4132u);
        if (!c.accepted)
            ui.expectBox(Box("This audio file is too short.", "Project", 48, 0)).answer(ui::OK);
        f.GetWaveInfo(path);
        EXPECT_EQ(g.AudioFileValid, c.accepted);
        EXPECT_EQ(f.cmdPlay.Enabled(), c.accepted);
    }
}

TEST_F(SettingsInspection, FilesOfEveryKindAndThePathsThatLeadToThem) {
    frmProperties& f = dialog();
    Global& g = G();
    fs::create_directories(dir / "with blanks");
    // Ten seconds of samples plus 116 bytes: exactly 10.0 s.
    const std::string tenSeconds =
        sox("with blanks/ten seconds.wav", "-r 44100 -c 2 -b 16", "synth 441029s sine 440 vol 0.5");
    const std::string mono = sox("mono.wav", "-r 22050 -c 1 -b 8");
    const std::string wide = sox("wide.wav", "-r 48000 -c 2 -b 24");  // extensible header
    const std::string deep = sox("deep.wav", "-r 44100 -c 1 -b 32");
    const std::string floats = sox("float.wav", "-r 44100 -c 1 -e floating-point -b 32");
    test::writeFile(dir / "notes.wav", "just some text, not audio\n");
    test::writeFile(dir / "song.ogg", "OggS");
    fs::create_directories(dir / "folder.wav");

    f.GetWaveInfo(tenSeconds);
    EXPECT_TRUE(g.AudioFileValid);
    EXPECT_EQ(f.ExactAudioSeconds, 10.0f);
    EXPECT_EQ(f.AudioSeconds, 10);
    EXPECT_EQ(f.txtEndPoint.Text(), "00:00:10");  // the end follows a shorter file
    EXPECT_EQ(f.sldTimeRange.Max(), 10);
    EXPECT_TRUE(f.sldStereoPan.Enabled());
    EXPECT_TRUE(g.WaveReady);
    EXPECT_TRUE(g.SourceAudioFile.empty());

    f.GetWaveInfo(mono);
    EXPECT_TRUE(g.AudioFileValid);
    EXPECT_EQ(f.ChannelCount, 1);
    EXPECT_EQ(g.AudioChannels, 1);
    EXPECT_FALSE(f.sldStereoPan.Enabled());  // mono: no balance
    EXPECT_FALSE(f.cmdStereoPanZero.Enabled());
    EXPECT_EQ(f.TopNote, 124);  // half of 22050 Hz lies between notes 124 and 125

    for (const std::string& path : {wide, deep}) {
        f.GetWaveInfo(path);
        EXPECT_TRUE(g.AudioFileValid) << path;
        EXPECT_EQ(f.FormatTag, 1) << path;
    }

    struct Refused {
        std::string path, text;
        long help;
    } refused[] = {
        {floats, "This wave file is compressed.  Only uncompressed wave files are supported.", 91},
        {(dir / "notes.wav").string(), "Wave file format not supported.  Not a valid wave file.",
         91},
        {(dir / "gone.wav").string(), "Audio file does not currently exist.", 90},
        {(dir / "folder.wav").string(), "Error accessing Audio File information.", 92},
    };
    for (const Refused& r : refused) {
        ui.expectBox(Box(r.text, "Project", 48, r.help)).answer(ui::OK);
        f.GetWaveInfo(r.path);
        EXPECT_FALSE(g.AudioFileValid) << r.path;
        EXPECT_EQ(f.AudioSeconds, 3600);
    }

    // An unsupported extension ends early: nothing of the previous description changes.
    f.AudioSeconds = 77;
    g.WaveReady = false;
    ui.expectBox(
          Box("Audio file format not supported.  Select a wave, MP3, WMA, AAC, or AIFF file.",
              "Project", 48, 91))
        .answer(ui::OK);
    f.GetWaveInfo((dir / "song.ogg").string());
    EXPECT_FALSE(g.AudioFileValid);
    EXPECT_EQ(f.AudioSeconds, 77);
    EXPECT_EQ(g.SourceAudioFile, (dir / "song.ogg").string());

    // Real-time mode: no file, no MIDI file, stereo controls on.
    f.GetWaveInfo("");
    EXPECT_TRUE(g.AudioFileValid);
    EXPECT_EQ(f.CurrentMidiFile, "[Real Time Mode]");
    EXPECT_EQ(f.cboMidiFile.Text(), "[Real Time Mode]");
    EXPECT_FALSE(f.cboMidiFile.Enabled());
    EXPECT_TRUE(f.sldStereoPan.Enabled());
    EXPECT_EQ(f.AudioSeconds, 3600);
}

TEST_F(SettingsInspection, LevelWarningsOnceAndNotAfterACdTransfer) {
    frmProperties& f = dialog();
    Global& g = G();
    const std::string quiet = sox("quiet.wav", "-r 44100 -c 2 -b 16", "synth 1 sine 440 vol 0.1");
    const std::string loud = sox("loud.wav", "-r 44100 -c 1 -b 16", "synth 1 sine 440 vol 4");

    ui.expectBox(Box("For best results, we recommend a recording level of at least 25%.  This "
                     "audio file was recorded at only 10%.  Click the Help button for "
                     "instructions on increasing the recording level.",
                     "Audio Recording Level Warning", 48, 154))
        .answer(ui::OK);
    f.GetWaveInfo(quiet);
    EXPECT_EQ(f.PeakLevel, 10);
    EXPECT_TRUE(g.AudioFileValid);  // informational only

    ui.expectBox(Box("For best results, we recommend using a cleanly recorded audio file.  This "
                     "audio file has a distortion level of 100%.  Click the Help button for more "
                     "information.",
                     "Distortion Level Warning", 48, 154))
        .answer(ui::OK);
    f.GetWaveInfo(loud);
    EXPECT_EQ(f.PeakLevel, 100);

    // The file whose settings the dialog shows is not measured again.
    f.PreviousAudioFile = quiet;
    f.PeakLevel = -1;
    f.GetWaveInfo(quiet);
    EXPECT_EQ(f.PeakLevel, -1);

    // After a CD transfer nothing is shown, but the level is kept.
    f.PreviousAudioFile.clear();
    g.CDTransferDone = true;
    f.GetWaveInfo(quiet);
    EXPECT_EQ(f.PeakLevel, 10);
    EXPECT_EQ(ui.boxes().size(), 2u);
}

TEST_F(SettingsInspection, CompressedFilesGoThroughTheDecodingWindow) {
    frmProperties& f = dialog();
    Global& g = G();
    const std::string take = sox("take.wav");
    test::writeFile(dir / "song.mp3", "ID3");
    const std::string mp3 = (dir / "song.mp3").string();
    const std::string decoded = g.TempFolder + "/~temp.wav";
    int decodes = 0;
    bool succeed = true;
    f.DecodeAudio = [&](const std::string& file) {
        ++decodes;
        EXPECT_EQ(file, mp3);
        EXPECT_EQ(g.SourceAudioFile, mp3);
        EXPECT_EQ(g.WorkWaveFile, decoded);
        g.WaveReady = false;
        if (succeed) {
            fs::copy_file(take, decoded, fs::copy_options::overwrite_existing);
            g.WaveReady = true;
        }
        return DecodeOutcome::Shown;
    };

    g.WaveReady = false;
    f.GetWaveInfo(mp3);
    EXPECT_EQ(decodes, 1);
    EXPECT_TRUE(g.AudioFileValid);
    EXPECT_EQ(g.SourceAudioFile, mp3);

    // A second look at the same file reads the decoded copy again.
    f.GetWaveInfo(mp3);
    EXPECT_EQ(decodes, 1);
    EXPECT_TRUE(g.AudioFileValid);

    // A failed decode ends at once: no defaults, no time range, Play stays off.
    succeed = false;
    g.WaveReady = false;
    f.AudioSeconds = 55;
    f.GetWaveInfo(mp3);
    EXPECT_EQ(decodes, 2);
    EXPECT_FALSE(g.AudioFileValid);
    EXPECT_FALSE(f.cmdPlay.Enabled());
    EXPECT_EQ(f.AudioSeconds, 55);
}

TEST_F(SettingsInspection, AnMp3FileIsDecodedByItsWindowOnce) {
    Global& g = G();
    g.InstallFolder = test::binDir().string() + "/";  // mpunpack
    const std::string wav = sox("melody.wav", "-r 44100 -c 2 -b 16", "synth 2 sine 440 vol 0.5");
    const std::string mp3 = (dir / "my melody.mp3").string();
    ASSERT_EQ(
        test::runCommand("lame --quiet " + test::shellQuote(wav) + " " + test::shellQuote(mp3))
            .exitCode,
        0);
    frmProperties& f = dialog();
    int windows = 0;
    ui.onModal<frmMP3>([&](frmMP3& w, ui::test::User&) {
        ++windows;
        // The decoder works in real time; the window polls it on its timer.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (w.loaded() && std::chrono::steady_clock::now() < deadline) {
            ui.advance(500);
            if (w.loaded()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_FALSE(w.loaded());
    });
    f.CurrentAudioFile = mp3;
    f.AddToFileList();
    EXPECT_EQ(windows, 1);
    EXPECT_TRUE(g.WaveReady);
    EXPECT_TRUE(g.AudioFileValid);
    EXPECT_EQ(g.SourceAudioFile, mp3);
    EXPECT_EQ(f.cboAudioFile.List(0), "1. my melody");
    EXPECT_EQ(f.CurrentMidiFile, (dir / "my melody.mid").string());
    EXPECT_NEAR(f.ExactAudioSeconds, 2.0, 0.1);
    EXPECT_TRUE(fs::exists(g.TempFolder + "/~temp.wav"));

    // Looking again reads the decoded copy: no second window.
    f.GetWaveInfo(mp3);
    EXPECT_EQ(windows, 1);
    EXPECT_TRUE(g.AudioFileValid);
}

TEST_F(SettingsInspection, AMissingDecoderExplainsWhatTheSystemNeeds) {
    frmProperties& f = dialog();
    Global& g = G();
    test::writeFile(dir / "song.wma", "WMA");
    f.DecodeAudio = [](const std::string&) { return DecodeOutcome::ComponentMissing; };
    const std::string upgrade =
        "To use WMA files with Veltrane, you will need to upgrade to "
        "Windows Media Player ";
    const std::string tooOld =
        "To use WMA files with Veltrane, your computer needs to be "
        "running Windows 98 Second Editon or later.";
    struct Case {
        const char* system;
        SystemVersion version;
        std::string text;
        int answer;
    } cases[] = {
        {"this system", SystemVersion{}, upgrade + "10.  Would you like to install it now?",
         ui::Yes},
        {"98 SE",
         {4, 10, 1, (0x040Au << 16) | 2222u},
         upgrade + "9.  Would you like to install it now?",
         ui::No},
        {"98", {4, 10, 1, (0x040Au << 16) | 1998u}, tooOld, ui::OK},
        {"Me", {4, 90, 1, 0}, upgrade + "9.  Would you like to install it now?", ui::No},
        {"2000", {5, 0, 2, 0}, upgrade + "9.  Would you like to install it now?", ui::No},
        {"NT 4", {4, 0, 2, 0}, tooOld, ui::OK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.system);
        f.VersionProvider = [&c] { return c.version; };
        if (c.text == tooOld)
            ui.expectBox(Box(tooOld, "Decode Error", 16)).answer(ui::OK);
        else
            ui.expectBox(Box(c.text, "Decode", 32)).answer(c.answer);
        g.WaveReady = false;
        f.GetWaveInfo((dir / "song.wma").string());
        EXPECT_FALSE(g.AudioFileValid);
        EXPECT_EQ(f.AudioSeconds, 3600);
    }
    EXPECT_EQ(ui.helpCalls(), std::vector<long>{help_topic::CompressedAudioDecoders});
}

}  // namespace
}  // namespace velt::desk
