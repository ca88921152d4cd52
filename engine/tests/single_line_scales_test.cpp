// Single-line runs (PitchMode 1) on rendered instruments and synthetic tones: the line names the
// played keys, not their overtones, and the keys of pure tones stay as they were.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "instrument_scales.h"
#include "midicsv_reader.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace velt::test;

class SingleLineRuns : public ::testing::Test {
  protected:
    std::vector<ScoreNote> transcribe(const fs::path& wav, const std::string& keys = "") {
        bool ok = false;
        auto notes =
            transcribeWav(binDir() / "kvxvtpd64", wav, dir.path(), "PitchMode=1\n" + keys, ok);
        EXPECT_TRUE(ok) << wav;
        return notes;
    }
    std::set<int> keysOf(const std::vector<ScoreNote>& notes) {
        std::set<int> keys;
        for (const ScoreNote& n : notes) keys.insert(n.key);
        return keys;
    }
    // The keys of the notes as written (no bend applied), in order.
    std::vector<int> writtenKeys(const fs::path& wav) {
        transcribe(wav);
        return readMidi(dir / (wav.stem().string() + ".mid")).keysInOrder();
    }
    fs::path sox(const std::string& name, const std::string& synth) {
        fs::path wav = dir / name;
        auto result = runCommand("sox -D -n -r 44100 -b 16 -c 1 " + shellQuote(wav.string()) +
                                 " synth " + synth + " 2>&1");
        EXPECT_EQ(result.exitCode, 0) << result.output;
        return wav;
    }
    TempDir dir;
};

TEST_F(SingleLineRuns, RenderedScalesGiveThePlayedKeys) {
    struct Case {
        const char* instrument;
        int maxWrong;
    };
    // The clarinet's attack starts about half a semitone flat; its notes are still written on
    // their own keys (the line no longer holds them on the key below with a bend).
    const Case cases[] = {{"bassoon", 2}, {"trumpet", 2}, {"oboe", 2},    {"piano", 2},
                          {"violin", 2},  {"flute", 2},   {"clarinet", 2}};
    for (const Case& c : cases) {
        const InstrumentScale& scale = instrumentScale(c.instrument);
        auto score = scaleScore(scale.firstKey);
        fs::path wav = dir / (std::string(c.instrument) + ".wav");
        ASSERT_TRUE(renderScore(score, dir.path(), wav, 44100, scale.program));
        NoteCount count = countNotes(score, transcribe(wav));
        EXPECT_GE(count.found, 15) << c.instrument;
        EXPECT_LE(count.wrong, c.maxWrong) << c.instrument;
    }
}

// A held note is written on the key nearest its pitch, also when its attack lands between two
// keys: the line does not stay on the key of the first frames with a bend of a semitone.
TEST_F(SingleLineRuns, HeldNotesAreWrittenOnTheKeyNearestTheirPitch) {
    // C D E F G, 0.4 s each (the D was written as C# bent up a semitone).
    std::string melody;
    for (const char* f : {"261.63", "293.66", "329.63", "349.23", "392"}) {
        if (!melody.empty()) melody += " : synth";
        melody += std::string(" 0.4 sine ") + f + " fade 0.01 0.4 0.02";
    }
    EXPECT_EQ(writtenKeys(sox("melody.wav", melody.substr(1) + " gain -3 pad 0 0.5")),
              (std::vector<int>{60, 62, 64, 65, 67}));

    // A harmonica's scale (most of its notes were written one key low).
    const int harmonica = 22;
    auto score = scaleScore(60);
    fs::path wav = dir / "harmonica.wav";
    ASSERT_TRUE(renderScore(score, dir.path(), wav, 44100, harmonica));
    std::vector<int> played;
    for (const ScoreNote& n : score) played.push_back(n.key);
    EXPECT_EQ(writtenKeys(wav), played);
}

TEST_F(SingleLineRuns, SyntheticTonesAreDecidedOnTheirFundamental) {
    struct Case {
        const char* name;
        std::string synth;
        std::set<int> keys;
    };
    const Case cases[] = {
        // Key 48 with a weak fundamental and its 5th harmonic (key 76) strongest, in the octave
        // below KeyMax 85.
        {"weak fundamental",
         "2 sine 130.81 sine 261.63 sine 392.44 sine 523.25 sine 654.06 "
         "remix 1v0.04,2v0.15,3v0.15,4v0.15,5v0.5",
         {48}},
        // A harmonic tone: not taken for the key an octave below, whose own level is 0.
        {"harmonic tone",
         "2 sine 261.63 sine 523.25 sine 784.88 sine 1046.5 "
         "remix 1v0.3,2v0.3,3v0.2,4v0.1",
         {60}},
        {"sine near KeyMax", "2 sine 1046.5 vol 0.5", {84}},
        {"sine near KeyMin", "2 sine 46.25 vol 0.5", {30}},
        {"sine A4", "2 sine 440 vol 0.5", {69}},
    };
    for (const Case& c : cases) {
        auto notes = transcribe(sox("tone.wav", c.synth));
        EXPECT_EQ(keysOf(notes), c.keys) << c.name;
    }
}

}  // namespace
