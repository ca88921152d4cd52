// Multimedia command strings: the word splitter, the alias table, every error number with its
// text, and waveaudio playback of WAV files in clock time.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "mci_fixture.h"
#include "platform/mci/command_words.h"

namespace velt::platform::mci {
namespace {

TEST(MciWords, SplitsAtBlanksAndKeepsQuotedWordsWhole) {
    struct Case {
        const char* name;
        std::string command;
        bool ok;
        std::vector<std::string> words;
    } cases[] = {
        {"plain", "play  wavefile\tfrom 10", true, {"play", "wavefile", "from", "10"}},
        {"quoted path with blanks",
         "open \"/a b/c d.mid\" type sequencer",
         true,
         {"open", "/a b/c d.mid", "type", "sequencer"}},
        {"empty quotes", "open \"\"", true, {"open", ""}},
        {"blank string", "   ", true, {}},
        {"unclosed quote", "open \"/a b/c.mid type sequencer", false, {}},
        {"quote inside a word", "open /a\"b.mid", false, {}},
        {"text glued after a quote", "open \"/a\"b.mid", false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Word> words;
        ASSERT_EQ(splitWords(c.command, words), c.ok);
        if (!c.ok) continue;
        std::vector<std::string> texts;
        for (const auto& w : words) texts.push_back(w.text);
        EXPECT_EQ(texts, c.words);
    }
}

TEST(MciErrors, EveryNumberHasItsOwnText) {
    std::vector<std::string> seen;
    for (int32_t n = kMciFirstError; n <= kMciLastError; ++n) {
        SCOPED_TRACE(n);
        std::string text;
        EXPECT_TRUE(mciGetErrorString(n, text));
        EXPECT_GT(text.size(), 20u);
        EXPECT_EQ(std::count(seen.begin(), seen.end(), text), 0);
        seen.push_back(text);
    }
    std::string text;
    EXPECT_FALSE(mciGetErrorString(999, text));
    EXPECT_NE(text.find("999"), std::string::npos);
}

class MciStrings : public MciTest {};

TEST_F(MciStrings, ErrorNumbersOfBadCommandsAliasesAndFiles) {
    auto wav = soxWav("tone.wav", "-r 22050 -c 1 -b 16", "synth 0.5 sine 440");
    auto mid = midiFile("one",
                        "0, 0, Header, 0, 1, 96\n1, 0, Start_track\n"
                        "1, 0, Note_on_c, 0, 60, 90\n1, 96, Note_off_c, 0, 60, 0\n"
                        "1, 96, End_track\n0, 0, End_of_file\n");
    test::writeFile(dir / "text.wav", "not a sound");
    test::writeFile(dir / "text.mid", "not a sequence");
    auto floatWav = soxWav("float.wav", "-r 22050 -c 1 -e float -b 32", "synth 0.1 sine 440");
    ASSERT_EQ(mciSendString("open \"" + wav.string() + "\" type waveaudio alias tone"), kMciOk);

    struct Case {
        const char* name;
        std::string command;
        int32_t result;
    } cases[] = {
        {"empty string", "", kMciUnknownCommand},
        {"unknown command", "fly tone", kMciUnknownCommand},
        {"unknown keyword", "play tone backwards", kMciUnknownKeyword},
        {"unknown status item", "status tone colour", kMciUnknownKeyword},
        {"unknown type", "open \"" + wav.string() + "\" type cdaudio alias x", kMciUnknownKeyword},
        {"a value missing", "play tone from", kMciBadString},
        {"no alias given", "stop", kMciBadString},
        {"a path with a quote", "open /tmp/a\"b.wav type waveaudio alias x", kMciBadString},
        {"alias not open", "play nothing", kMciAliasNotOpen},
        {"alias in use", "open \"" + wav.string() + "\" type waveaudio alias TONE", kMciAliasInUse},
        {"file not found", "open \"" + (dir / "none.wav").string() + "\" alias x",
         kMciFileNotFound},
        {"not a WAV file", "open \"" + (dir / "text.wav").string() + "\" alias x", kMciInvalidFile},
        {"not a MIDI file", "open \"" + (dir / "text.mid").string() + "\" alias x",
         kMciInvalidFile},
        {"float WAV", "open \"" + floatWav.string() + "\" alias x", kMciFormatNotSupported},
        {"position past the end", "play tone from 501", kMciOutOfRange},
        {"record on a file", "record tone", kMciUnknownCommand},
        {"save of a file", "save tone /tmp/x.wav", kMciUnknownCommand},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string returned = "old";
        EXPECT_EQ(mciSendString(c.command, returned), c.result);
        EXPECT_EQ(returned, "");
    }

    // No sound output at all, no MIDI device, a device in use, a failing device.
    wave_out::ClockWaveOut none(&timing.clock(), 0);
    wave_out::useDevices(&none);
    EXPECT_EQ(mciSendString("open \"" + wav.string() + "\" alias quiet"), kMciNoDevice);
    wave_out::ClockWaveOut failing(&timing.clock());
    failing.openResult = wave_out::NoDriver;
    wave_out::useDevices(&failing);
    EXPECT_EQ(mciSendString("open \"" + wav.string() + "\" alias broken"), kMciHardwareFailure);
    midi_out::RecordingMidiOut noMidi(0);
    midi_out::useDevices(&noMidi);
    ASSERT_EQ(mciSendString("open \"" + mid.string() + "\" alias seq"), kMciOk);
    EXPECT_EQ(mciSendString("play seq"), kMciNoDevice);
    midi_out::useDevices(&midi);
    int32_t held = 0;
    ASSERT_EQ(midi_out::open(held, 0), midi_out::NoError);
    EXPECT_EQ(mciSendString("play seq"), kMciBusy);
    midi_out::close(held);
    input.openResult = wave_in::BadFormat;
    ASSERT_EQ(mciSendString("open new type waveaudio alias take"), kMciOk);
    EXPECT_EQ(mciSendString("set take bitspersample 16 channels 2 samplespersec 44100"),
              kMciFormatNotSupported);
    EXPECT_EQ(mciSendString("set take bitspersample 8"), kMciFormatNotSupported);
    EXPECT_EQ(mciSendString("set take alignment 3"), kMciOutOfRange);
    std::string reason;
    EXPECT_EQ(mciSendString("save take " + (dir / "no folder" / "x.wav").string(), reason),
              kMciWriteFailed);
    EXPECT_EQ(reason, std::strerror(ENOENT));  // the system's reason comes with the number
    EXPECT_FALSE(std::filesystem::exists(dir / "no folder"));
    EXPECT_EQ(mciSendString("close all"), kMciOk);
    EXPECT_EQ(mciSendString("close tone"), kMciAliasNotOpen);
}

TEST_F(MciStrings, PlaysAWaveFileFromAndToInClockTime) {
    // A stereo 24-bit file at 48 kHz, its path with blanks and no quotes (up to "type").
    std::filesystem::create_directories(dir / "a folder");
    auto wav = soxWav("a folder/two seconds.wav", "-r 48000 -c 2 -b 24", "synth 2 sine 300");
    ASSERT_EQ(mciSendString("open " + wav.string() + " type waveaudio alias song"), kMciOk);
    std::string text;
    ASSERT_EQ(mciSendString("status song length", text), kMciOk);
    EXPECT_EQ(text, "2000");
    ASSERT_EQ(mciSendString("play song from 500 to 1500"), kMciOk);
    EXPECT_EQ(output.events.back().first, 24000);
    EXPECT_EQ(output.events.back().end, 72000);
    EXPECT_EQ(output.events.front().bitsPerSample, 24);
    timing.advance(250);
    mciSendString("status song position", text);
    EXPECT_EQ(text, "750");
    mciSendString("status song mode", text);
    EXPECT_EQ(text, "playing");
    ASSERT_EQ(mciSendString("pause song"), kMciOk);
    timing.advance(1000);
    mciSendString("status song mode", text);
    EXPECT_EQ(text, "paused");
    mciSendString("status song position", text);
    EXPECT_EQ(text, "750");
    ASSERT_EQ(mciSendString("resume song"), kMciOk);
    timing.advance(749);
    mciSendString("status song mode", text);
    EXPECT_EQ(text, "playing");
    timing.advance(1);
    mciSendString("status song mode", text);
    EXPECT_EQ(text, "stopped");
    mciSendString("status song position", text);
    EXPECT_EQ(text, "1500");
    EXPECT_EQ(output.framesPlayed(1), 48000);
}

}  // namespace
}  // namespace velt::platform::mci
