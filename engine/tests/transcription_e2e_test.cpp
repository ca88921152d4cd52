// WAV in, MIDI out: the engine program on sox and fluidsynth fixtures, the result read by midicsv.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <sstream>

#include "midicsv_reader.h"
#include "piano_score.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using velt::test::shellQuote;

struct Transcription {
    std::string status;             // the final status line
    velt::test::MidiContents midi;  // the MIDI file
};

// Status field n (1-based) of a status line.
std::string statusField(const std::string& status, int n) {
    std::stringstream in(status);
    std::string field;
    for (int i = 0; i < n; ++i) in >> field;
    return field;
}

class Transcribe : public ::testing::Test {
  protected:
    fs::path sox(const std::string& name, const std::string& args, int rate = 44100,
                 int bits = 16) {
        fs::path wav = dir / name;
        std::string cmd = "sox -D -n -r " + std::to_string(rate) + " -b " + std::to_string(bits) +
                          " -c 1 " + shellQuote(wav.string()) + " " + args + " 2>&1";
        auto result = velt::test::runCommand(cmd);
        EXPECT_EQ(result.exitCode, 0) << cmd << "\n" << result.output;
        return wav;
    }

    Transcription transcribe(const fs::path& wav, const std::string& keys) {
        fs::path project = dir / (wav.stem().string() + ".vpr");
        fs::path mid = dir / (wav.stem().string() + ".mid");
        fs::path status = dir / "status.txt";
        fs::remove(mid);  // no file of an earlier run in its place
        velt::test::writeFile(
            project, "[audio]\nAudioFile=" + wav.string() + "\n[midi]\nMidiFile=" + mid.string() +
                         "\n[timing]\nTempo=120\nTimeSignatureNumerator=4\nChordRes=1\n" + keys);
        std::string cmd = shellQuote((velt::test::binDir() / "kvxvtpd64").string()) + " " +
                          shellQuote(project.string()) + " " + shellQuote(status.string()) + " " +
                          shellQuote((dir / "command.txt").string()) + " >/dev/null";
        EXPECT_EQ(velt::test::runCommand(cmd).exitCode, 0);
        Transcription t;
        t.status = velt::test::readFile(status);
        // A run that ends with an error writes no MIDI file.
        if (statusField(t.status, 1) == "100000.000") t.midi = velt::test::readMidi(mid);
        return t;
    }

    velt::test::TempDir dir;
};

TEST_F(Transcribe, SineA4GivesOnlyKey69) {
    for (auto [rate, bits] : {std::pair{44100, 16}, std::pair{96000, 16}, std::pair{44100, 8}}) {
        SCOPED_TRACE(std::to_string(rate) + " Hz, " + std::to_string(bits) + " bits");
        auto t = transcribe(sox("a4.wav", "synth 2 sine 440 vol 0.5", rate, bits), "");
        EXPECT_EQ(statusField(t.status, 1), "100000.000") << t.status;
        EXPECT_EQ(t.midi.keys(), (std::set<int>{69}));
        EXPECT_EQ(statusField(t.status, 2), "69");
        EXPECT_EQ(statusField(t.status, 3), "69");
    }
}

TEST_F(Transcribe, SineTriadGivesItsThreeKeys) {
    auto t =
        transcribe(sox("triad.wav", "synth 2 sine 261.63 sine 329.63 sine 392.00 remix 1-3"), "");
    EXPECT_EQ(t.midi.keys(), (std::set<int>{60, 64, 67}));
}

TEST_F(Transcribe, ThreePartialToneGivesOnlyItsFundamental) {
    auto t = transcribe(
        sox("c3.wav", "synth 2 sine 130.81 sine 261.63 sine 392.44 remix 1v0.5,2v0.3,3v0.2"), "");
    EXPECT_EQ(t.midi.keys(), (std::set<int>{48}));
}

TEST_F(Transcribe, DMajorScaleGivesItsKeysAndKeySignature) {
    std::string args;
    for (double f : {293.66, 329.63, 369.99, 392.00, 440.00, 493.88, 554.37, 587.33})
        args += (args.empty() ? "" : " : ") + std::string("synth 0.5 sine ") + std::to_string(f) +
                " vol 0.5";
    auto t = transcribe(sox("scale.wav", args), "");
    EXPECT_EQ(t.midi.keys(), (std::set<int>{62, 64, 66, 67, 69, 71, 73, 74}));
    ASSERT_FALSE(t.midi.keySignatures.empty()) << t.midi.text;
    EXPECT_EQ(t.midi.keySignatures[0].sharps, 2);
    EXPECT_EQ(t.midi.keySignatures[0].mode, "major");
}

TEST_F(Transcribe, DrumClicksGiveOneNoteEachOnChannel10) {
    auto t = transcribe(sox("clicks.wav", "synth 0.004 square 800 pad 0 0.246 repeat 15"),
                        "[pitch]\nPitchMode=0\n[midi]\nChannel=10\nMidiPat=38\n");
    EXPECT_EQ(t.midi.notes.size(), 16u);
    for (const velt::test::MidiNote& n : t.midi.notes) {
        EXPECT_EQ(n.channel, 9);
        EXPECT_EQ(n.key, 38);
    }
}

TEST_F(Transcribe, AGlideGivesPitchBends) {
    auto t = transcribe(sox("glide.wav", "synth 3 sine 440-494 vol 0.5"), "[pitch]\nPitchMode=1\n");
    EXPECT_GT(t.midi.pitchBends.size(), 3u);
    EXPECT_FALSE(t.midi.notes.empty());
}

TEST_F(Transcribe, TheFinalReferencePitchReportsTheMeasuredTuning) {
    auto t = transcribe(sox("a446.wav", "synth 3 sine 446 vol 0.5"), "");
    EXPECT_NEAR(std::stod(statusField(t.status, 13)), 446, 1.0) << t.status;
}

TEST_F(Transcribe, PianoRenderScoresAgainstItsScore) {
    auto score = velt::test::pianoPiece(60);
    fs::path wav = dir / "piano.wav";
    ASSERT_TRUE(velt::test::renderScore(score, dir.path(), wav));
    auto t = transcribe(wav, "");
    const std::vector<velt::test::ScoreNote> found = velt::test::scoreNotes(t.midi, false);
    double f = velt::test::onsetFMeasure(score, found, 0.07);
    std::printf("piano render: %zu notes found, %zu in the score, F-measure %.3f\n", found.size(),
                score.size(), f);
    EXPECT_GE(f, 0.6);
}

}  // namespace

namespace {

// Runs with instrument filters: the shipped data files, or damaged and partial copies of them.
class TranscribeWithFilter : public Transcribe {
  protected:
    std::string filterKeys(const fs::path& folder, int filter, int program) {
        return "[midi]\nExePath=" + folder.string() + "/\nFilter=" + std::to_string(filter) +
               "\nPatch=" + std::to_string(program) + "\n";
    }
    fs::path installedData() { return velt::test::binDir(); }
};

TEST_F(TranscribeWithFilter, PianoRenderWithThePianoFilter) {
    auto score = velt::test::pianoPiece(60);
    fs::path wav = dir / "piano.wav";
    ASSERT_TRUE(velt::test::renderScore(score, dir.path(), wav));
    double f[2];
    size_t found[2];
    for (int withFilter : {0, 1}) {
        auto t = transcribe(wav, withFilter ? filterKeys(installedData(), 0, 0) : "");
        EXPECT_EQ(statusField(t.status, 1), "100000.000") << t.status;
        const std::vector<velt::test::ScoreNote> notes = velt::test::scoreNotes(t.midi, false);
        f[withFilter] = velt::test::onsetFMeasure(score, notes, 0.07);
        found[withFilter] = notes.size();
    }
    std::printf(
        "piano render, %zu notes in the score: without a filter %zu notes, F %.3f; "
        "with the piano filter %zu notes, F %.3f\n",
        score.size(), found[0], f[0], found[1], f[1]);
    EXPECT_GE(f[1], 0.6);
}

TEST_F(TranscribeWithFilter, MissingFilesOrInstrumentRunAsWithoutAFilter) {
    fs::path wav = sox("triad.wav", "synth 1.5 sine 261.63 sine 329.63 sine 392.00 remix 1-3");
    auto plain = transcribe(wav, "");
    fs::path empty = dir / "empty";
    fs::create_directories(empty);
    fs::path noPiano = dir / "nopiano";
    fs::create_directories(noPiano);
    velt::test::writeFile(noPiano / "filter.txt", "24 Nylon Guitar,40,84,6\n");
    fs::copy_file(installedData() / "filter.ifd", noPiano / "filter.ifd");
    fs::path onlyIndex = dir / "onlyindex";
    fs::create_directories(onlyIndex);
    fs::copy_file(installedData() / "filter.txt", onlyIndex / "filter.txt");
    for (const fs::path& folder : {empty, noPiano, onlyIndex}) {
        auto t = transcribe(wav, filterKeys(folder, 0, 0));
        EXPECT_EQ(t.status, plain.status) << folder;
        EXPECT_EQ(t.midi.text, plain.midi.text) << folder;
    }
    EXPECT_EQ(plain.midi.keys(), (std::set<int>{60, 64, 67}));
}

TEST_F(TranscribeWithFilter, OtherFilterNumbersGiveNoNotes) {
    auto t =
        transcribe(sox("a4.wav", "synth 1.5 sine 440 vol 0.5"), filterKeys(installedData(), 3, 0));
    EXPECT_EQ(statusField(t.status, 1), "100000.000") << t.status;
    EXPECT_TRUE(t.midi.notes.empty());
}

// Where the data files are looked for: ExePath with or without its separator, and the engine's
// own folder when the project gives none. Filter 3 of a listed instrument leaves the table
// empty, so a run that found the files gives no notes; one that did not converts the tone.
TEST_F(TranscribeWithFilter, DataFolderFromExePathOrTheEnginesOwnFolder) {
    fs::path wav = sox("a4.wav", "synth 1.5 sine 440 vol 0.5");
    fs::path empty = dir / "empty";
    fs::create_directories(empty);
    const std::string filter3 = "Filter=3\nPatch=0\n";
    struct Case {
        const char* name;
        std::string keys;
        bool found;
    };
    const Case cases[] = {
        {"with separator", "ExePath=" + installedData().string() + "/\n" + filter3, true},
        {"without separator", "ExePath=" + installedData().string() + "\n" + filter3, true},
        {"no ExePath", filter3, true},
        {"a folder without the files", "ExePath=" + empty.string() + "\n" + filter3, false},
    };
    for (const Case& c : cases) {
        auto t = transcribe(wav, "[midi]\n" + c.keys);
        EXPECT_EQ(statusField(t.status, 1), "100000.000") << c.name << ": " << t.status;
        EXPECT_EQ(t.midi.notes.empty(), c.found) << c.name;
    }
}

TEST_F(TranscribeWithFilter, DamagedTemplateFilesEndTheRunOrStopTheReading) {
    fs::path wav = sox("a4.wav", "synth 1.5 sine 440 vol 0.5");
    std::string shipped = velt::test::readFile(installedData() / "filter.ifd");
    struct Case {
        const char* name;
        std::string bytes;
        const char* status;  // first status field
    };
    const Case cases[] = {
        {"empty", "", "-2.033"},
        {"too short for its offset table", std::string(1, char(200)), "-2.033"},
        {"records cut short", shipped.substr(0, 5000) + shipped.substr(shipped.size() - 513),
         "100000.000"},
        {"offsets beyond the file", std::string(4, char(0xFF)) + std::string(1, char(1)),
         "100000.000"},
    };
    for (const Case& c : cases) {
        fs::path folder = dir / c.name;
        fs::create_directories(folder);
        fs::copy_file(installedData() / "filter.txt", folder / "filter.txt");
        velt::test::writeFile(folder / "filter.ifd", c.bytes);
        auto t = transcribe(wav, filterKeys(folder, 0, 0));
        EXPECT_EQ(statusField(t.status, 1), c.status) << c.name << ": " << t.status;
    }
}

}  // namespace

namespace {

TEST_F(Transcribe, TheFinishTailEndsNotesWithoutStrayTempos) {
    // Beat lengths alternate, so a tail pass over an old slot would repeat one of them.
    std::string beats;
    for (int i = 0; i < 40; ++i) {
        int ms = i % 2 == 0 ? 500 : 520;
        beats += static_cast<char>(ms & 0xFF);
        beats += static_cast<char>(ms >> 8);
    }
    velt::test::writeFile(dir / "beats.bin", beats);
    auto t = transcribe(sox("a4.wav", "synth 2 sine 440 vol 0.5"),
                        "ChordRes=4\nTempoFile=" + (dir / "beats.bin").string() + "\n");
    ASSERT_EQ(t.midi.keys(), (std::set<int>{69}));
    long lastNoteOff = -1;
    for (const velt::test::MidiNote& n : t.midi.notes) {
        EXPECT_GE(n.length, 0) << n;  // ended
        lastNoteOff = std::max(lastNoteOff, n.tick + n.length);
    }
    ASSERT_GT(lastNoteOff, 0);
    EXPECT_GT(t.midi.tempos.size(), 2u);  // the tempo file's changes are there
    for (const velt::test::MidiTempo& tempo : t.midi.tempos) EXPECT_LT(tempo.tick, lastNoteOff);
}

}  // namespace
