// Tempo and metre detection and AutoTiming through the built engine: projects without a tempo
// over sox click tracks, silence, a single click, ten minutes of dense onsets and piano renders,
// checked in the status line and in the MIDI file (read back with midicsv).
#include <cmath>
#include <sstream>

#include "engine_fixtures.h"
#include "midicsv_reader.h"
#include "tempo_fixtures.h"

namespace velt::engine::test {
namespace {

// The blank-separated fields of the final status line (field 1 is element 0).
std::vector<std::string> statusFields(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> fields;
    for (std::string field; in >> field;) fields.push_back(field);
    return fields;
}

// The last time signature and tempo of a MIDI file.
struct MidiTimingRows {
    std::string timeSignature;  // "numerator, exponent"
    double tempoMicros = 0;
};
MidiTimingRows midiTiming(const fs::path& midi) {
    MidiTimingRows rows;
    const auto read = velt::test::readMidi(midi);
    if (!read.timeSignatures.empty()) {
        const auto& last = read.timeSignatures.back();
        rows.timeSignature =
            std::to_string(last.numerator) + ", " + std::to_string(last.denominatorPower);
    }
    if (!read.tempos.empty()) rows.tempoMicros = double(read.tempos.back().microsPerQuarter);
    return rows;
}

class TempoEngine : public ::testing::Test {
  protected:
    velt::test::TempDir dir;
    fs::path status = dir / "status.txt";
    fs::path command = dir / "command.txt";
    fs::path midi = dir / "out.mid";

    // A 16-bit mono 44.1 kHz WAV from a sox effect chain.
    fs::path soxWav(const std::string& name, const std::string& effects) {
        const fs::path file = dir / name;
        auto made = runCommand("sox -D -r 44100 -c 1 -n -b 16 " + shellQuote(file.string()) + " " +
                               effects + " 2>&1");
        EXPECT_EQ(made.exitCode, 0) << made.output;
        return file;
    }
    std::vector<std::string> convert(const fs::path& audio, const std::string& extra = "") {
        const std::string project =
            "AudioFile=" + audio.string() + "\nMidiFile=" + midi.string() + "\n" + extra;
        EngineRun result = runEngine(writeProject(dir / "p.vpr", project), status, command);
        EXPECT_EQ(result.exitCode, 0);
        return statusFields(result.status);
    }
};

// Clicks that fade from their first period, one every beat, after `lead` seconds of silence.
std::string clickTrack(double bpm, int beats, double lead = 0) {
    const int beatFrames = static_cast<int>(44100 * 60 / bpm);
    return "synth 0.02 sine 1000 fade 0 0.02 0.02 pad 0 " + std::to_string(beatFrames - 882) +
           "s repeat " + std::to_string(beats - 1) + " pad " + std::to_string(lead) + " 0";
}

TEST_F(TempoEngine, ClickTracksGiveTempoMetreAndStart) {
    struct Case {
        double bpm, expected;
    };
    const Case cases[] = {{90, 90}, {100, 100}, {200, 100}};  // 200 folds to 100
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bpm);
        const auto fields = convert(soxWav("clicks.wav", clickTrack(c.bpm, 48, 1.0)));
        ASSERT_EQ(fields.size(), 14u);
        EXPECT_EQ(fields[0], "100000.000");
        EXPECT_NEAR(std::stod(fields[5]), c.expected, 0.5);
        EXPECT_EQ(fields[8], "2");  // ChordRes: half the numerator
        EXPECT_EQ(fields[9], "4");
        // The start moves to a bar line at the first click or whole beats before it.
        const double beats = (1.0 - std::stod(fields[7])) / (60 / c.expected);
        EXPECT_NEAR(beats, std::round(beats), 0.02);
        EXPECT_GE(std::round(beats), 0);
        EXPECT_LE(std::round(beats), 3);

        const MidiTimingRows rows = midiTiming(midi);
        EXPECT_EQ(rows.timeSignature, "4, 2");
        EXPECT_NEAR(rows.tempoMicros, 60e6 / c.expected, 60e6 / c.expected * 0.01);
    }
}

// Too few onsets, or none a beat apart, end the run when the tempo or the resolution has to come
// from them; with both given the run goes on in 4/4 at the project's tempo.
TEST_F(TempoEngine, TooLittleAudioEndsTheRun) {
    // A legato melody of sines: one level onset at its start, none between its notes.
    const std::string legato =
        "synth 0.5 sine C4 : synth 0.5 sine E4 : synth 0.5 sine G4 : synth 0.5 sine C5 "
        ": synth 0.5 sine D4 : synth 0.5 sine F4 : synth 0.5 sine A4 : synth 0.5 sine D5";
    const struct {
        const char* name;
        std::string effects;
        std::string project;
        const char* outcome;
    } cases[] = {
        {"silence", "trim 0 10", "", "-9.036"},
        {"a single click", "synth 0.02 sine 1000 fade 0 0.02 0.02 pad 2 5", "", "-9.036"},
        {"two clicks too far apart for a beat",
         "synth 0.02 sine 1000 fade 0 0.02 0.02 pad 0 2.5 repeat 1 pad 1 1", "", "-9.037"},
        {"a legato melody, tempo to detect", legato, "", "-9.036"},
        {"a legato melody, tempo given, resolution automatic", legato, "Tempo=120\n", "-9.036"},
        {"a legato melody, tempo given, resolution below 0", legato, "Tempo=120\nResolution=-2\n",
         "-9.036"},
        {"two clicks too far apart, tempo given, resolution automatic",
         "synth 0.02 sine 1000 fade 0 0.02 0.02 pad 0 2.5 repeat 1 pad 1 1", "Tempo=120\n",
         "-9.037"},
        {"a legato melody, tempo and resolution given", legato, "Tempo=120\nResolution=4\n",
         "100000.000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(midi);
        const auto fields = convert(soxWav("little.wav", c.effects), c.project);
        ASSERT_FALSE(fields.empty());
        EXPECT_EQ(fields[0], c.outcome);
        EXPECT_EQ(fs::exists(midi), std::string(c.outcome) == "100000.000");
    }
}

TEST_F(TempoEngine, TenMinutesOfDenseOnsets) {
    // Sixteenths at 100 BPM for ten minutes: 24,000 onsets.
    const fs::path audio =
        soxWav("dense.wav", "synth 0.01 sine 1000 fade 0 0.01 0.01 pad 0 6174s repeat 23999");
    const auto fields = convert(audio);
    ASSERT_EQ(fields.size(), 14u);
    EXPECT_EQ(fields[0], "100000.000");
    EXPECT_NEAR(std::stod(fields[5]), 100, 0.5);
    EXPECT_EQ(fields[9], "4");
}

TEST_F(TempoEngine, WaltzAndMarchGiveTheirMetre) {
    const struct {
        const char* name;
        double bpm;
        int beatsPerBar;
        const std::vector<testing::BarNote>* figure;
        const char* timeSignature;
    } cases[] = {{"waltz", 80, 3, &testing::kWaltz, "3, 2"},
                 {"march", 112, 4, &testing::kMarch, "4, 2"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path audio =
            testing::RenderBars(dir / c.name, "wav", c.bpm, c.beatsPerBar, 16, *c.figure);
        const auto fields = convert(audio);
        ASSERT_EQ(fields.size(), 14u);
        EXPECT_EQ(fields[0], "100000.000");
        EXPECT_NEAR(std::stod(fields[5]), c.bpm, 2);
        EXPECT_EQ(fields[9], std::to_string(c.beatsPerBar));
        EXPECT_EQ(midiTiming(midi).timeSignature, c.timeSignature);
    }
}

TEST_F(TempoEngine, GivenMetreIsKeptAndChordResSettled) {
    // Tempo detected, numerator 6 given, ChordRes 4 neither divides nor is a multiple of 6.
    const auto fields = convert(soxWav("clicks.wav", clickTrack(100, 48)),
                                "TimeSignatureNumerator=6\nChordRes=4\n");
    ASSERT_EQ(fields.size(), 14u);
    EXPECT_EQ(fields[0], "100000.000");
    EXPECT_NEAR(std::stod(fields[5]), 100, 0.5);
    EXPECT_EQ(fields[8], "6");
    EXPECT_EQ(fields[9], "6");
    EXPECT_EQ(midiTiming(midi).timeSignature, "6, 2");
}

TEST_F(TempoEngine, AutoTimingFindsTheTempoOfATonePattern) {
    // 0.3 s of A4 and 0.3 s of silence: 100 BPM, after one second of silence.
    const fs::path audio =
        soxWav("tones.wav", "synth 0.3 sine 440 fade 0.005 0.3 0.02 pad 0 0.3 repeat 39 pad 1 0");
    const auto fields = convert(audio, "AutoTiming=1\n");
    ASSERT_EQ(fields.size(), 14u);
    EXPECT_EQ(fields[0], "100000.000");
    EXPECT_NEAR(std::stod(fields[5]), 100, 2);
    // The leading silence is not written: the start time moves past it.
    EXPECT_NEAR(std::stod(fields[7]), 1.0, 0.15);
    EXPECT_NEAR(midiTiming(midi).tempoMicros, 600000, 12000);
}

}  // namespace
}  // namespace velt::engine::test
