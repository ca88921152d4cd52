// The engine as the bridge runs it: command line, banner, status lines, outcome codes, the
// command file, and what happens to the MIDI file of a run that fails.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <thread>

#include "analysis/key_detection.h"
#include "driver/audio_input.h"
#include "driver/command_file.h"
#include "driver/run_conversion.h"
#include "engine_fixtures.h"
#include "midicsv_reader.h"

namespace velt::engine::test {
namespace {

const char* const kBanner =
    "Veltrane(R) Rizaduzede MP3 to MIDI Converter\nVersion 8.1.2\n\n"
    "DO NOT RUN THIS PROGRAM DIRECTLY! -- RUN VELTDESKE.EXE OR VELTDESKP.EXE INSTEAD.\n";

class EngineProgram : public ::testing::Test {
  protected:
    velt::test::TempDir dir;
    fs::path wav = makeWav(dir / "sine_a4_44100hz_2s_mono.wav", 44100, 16, 1, "2 sine 440");
    fs::path status = dir / "status.txt";
    fs::path command = dir / "command.txt";
    fs::path midi = dir / "out.mid";

    EngineRun convert(const std::string& projectText) {
        return runEngine(writeProject(dir / "p.vpr", projectText), status, command);
    }
};

TEST_F(EngineProgram, SuccessfulRunPrintsTheBannerAndEndsWith100000) {
    EngineRun result = convert(timedProject(wav, midi));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, kBanner);
    EXPECT_EQ(statusValue(result.status), "100000.000");
    EXPECT_EQ(velt::test::splitLines(result.status).size(), 1u);
    EXPECT_TRUE(fs::exists(midi));
}

TEST_F(EngineProgram, FewerThanThreeArgumentsGiveUsage) {
    fs::path engine = velt::test::binDir() / "kvxvtpd64";
    auto result = runCommand(shellQuote(engine.string()) + " " + shellQuote(status.string()) +
                             " 2>" + shellQuote((dir / "err.txt").string()));
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.output, "");
    EXPECT_NE(velt::test::readFile(dir / "err.txt").find("usage:"), std::string::npos);
    EXPECT_FALSE(fs::exists(status));
}

TEST_F(EngineProgram, OutcomeCodesForBadInput) {
    // Damaged audio files made from the sox tone.
    auto bytes = velt::test::readBytes(wav);
    auto damaged = [&](const char* name, size_t at, std::vector<unsigned char> patch) {
        auto b = bytes;
        std::copy(patch.begin(), patch.end(), b.begin() + at);
        velt::test::writeFile(dir / name, std::string(b.begin(), b.end()));
        return dir / name;
    };
    velt::test::writeFile(dir / "short.wav", std::string(bytes.begin(), bytes.begin() + 1000));
    struct Case {
        std::string project;
        const char* expected;
    };
    const Case cases[] = {
        {timedProject(dir / "absent.wav", midi), "-3.015"},
        // A file cut to 1,000 bytes is read whole: the run gets past the audio to the MIDI
        // target, which holds no MIDI file and is refused.
        {timedProject(dir / "short.wav", midi), "-3.006"},
        {timedProject(damaged("nofmt.wav", 12, {'x'}), midi), "-4.043"},
        {timedProject(damaged("nodata.wav", 36, {'x'}), midi), "-4.018"},
        {timedProject(damaged("float.wav", 20, {3, 0}), midi), "-4.017"},
        {timedProject(damaged("mono3.wav", 22, {3, 0}), midi), "-4.009"},
        {timedProject(damaged("bits12.wav", 34, {12, 0}), midi), "-4.011"},
        {timedProject(damaged("rate0.wav", 24, {0, 0, 0, 0}), midi), "-4.010"},
        {timedProject(wav, wav), "-3.006"},
        {timedProject(wav, dir / "no-such-folder" / "x.mid"), "-3.006"},
        {timedProject(wav, midi, "Resolution=0\nSensitivity=0\nTimeSignatureDenominator=6\n"),
         "-7.024"},
        {"AudioFile=" + wav.string() + "\nMidiFile=" + midi.string() + "\n", "-9.036"},
        // Tempos no float holds: refused by the timing check, reported whole.
        {timedProject(wav, midi, "Tempo=1e57\n"), "-7.024"},
        {timedProject(wav, midi, "Tempo=3.5e38\n"), "-7.024"},
    };
    velt::test::writeFile(midi, "an older good result");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.project);
        EngineRun result = convert(c.project);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(statusValue(result.status), c.expected);
        EXPECT_EQ(std::count(result.status.begin(), result.status.end(), ' '), 13) << result.status;
        EXPECT_EQ(result.status.find('\0'), std::string::npos);
        EXPECT_EQ(velt::test::readFile(midi), "an older good result");
    }
    EXPECT_EQ(velt::test::readFile(wav).size(), bytes.size()) << "the audio is never written";
    EngineRun missing = runEngine(dir / "absent.vpr", status, command);
    EXPECT_EQ(statusValue(missing.status), "-3.008");
}

TEST_F(EngineProgram, LongPathsWork) {
    fs::path deep = dir.path();
    for (int i = 0; i < 8; ++i) deep /= std::string(40, char('a' + i));
    fs::create_directories(deep);
    fs::path audio = deep / "tone.wav";
    fs::copy_file(wav, audio);
    fs::path longMidi = deep / "tone-result.mid";
    fs::path longStatus = deep / "status.txt";
    fs::path project = writeProject(deep / "project.vpr", timedProject(audio, longMidi));
    ASSERT_GT(longMidi.string().size(), 300u);
    EngineRun result = runEngine(project, longStatus, deep / "command.txt");
    EXPECT_EQ(statusValue(result.status), "100000.000");
    EXPECT_TRUE(fs::exists(longMidi));
}

TEST_F(EngineProgram, CancelBeforeTheFirstBlockEndsAfterIt) {
    velt::test::writeFile(command, "1");
    EngineRun result = convert(timedProject(wav, midi));
    EXPECT_EQ(statusValue(result.status), "-1.000");
    EXPECT_FALSE(fs::exists(command));
    // The file written so far is complete: the readers accept it.
    const auto read = velt::test::readMidi(midi);
    EXPECT_GT(read.count("End_track"), 0u) << read.text;
    auto mido = runCommand("/usr/bin/python3 -c \"import mido,sys; mido.MidiFile(sys.argv[1])\" " +
                           shellQuote(midi.string()) + " 2>&1");
    EXPECT_EQ(mido.exitCode, 0) << mido.output;
}

TEST_F(EngineProgram, CommandsForLiveRunsAreDeletedAndIgnored) {
    for (const char* text : {"2", "3 40", "7"}) {
        SCOPED_TRACE(text);
        velt::test::writeFile(command, text);
        EngineRun result = convert(timedProject(wav, midi));
        EXPECT_EQ(statusValue(result.status), "100000.000");
        EXPECT_FALSE(fs::exists(command));
    }
}

TEST_F(EngineProgram, TempoFileOfZeroBeatsStillEnds) {
    velt::test::writeFile(dir / "zeros.tt", std::string(64, '\0'));
    EngineRun result =
        convert(timedProject(wav, midi, "TempoFile=" + (dir / "zeros.tt").string() + "\n"));
    EXPECT_EQ(statusValue(result.status), "100000.000");
}

// In a drum run every key's shortest note is the project's minimum length; the silent tail of
// the finish is twice that long, but stops as soon as no note is left to end.
TEST_F(EngineProgram, HugeMinimumLengthStillFinishes) {
    for (const char* length : {"1000000000", "2147483647"}) {
        SCOPED_TRACE(length);
        EngineRun result = convert(timedProject(
            wav, midi, std::string("PitchMode=0\nMidiPat=38\nMinimumLength=") + length + "\n"));
        EXPECT_EQ(statusValue(result.status), "100000.000");
        EXPECT_TRUE(velt::test::readMidi(midi).read);
    }
}

// Whether a command file's text holds a whole command yet. A writer creates the file and then
// writes it, a piece at a time at worst: until the text cannot change the command, it is left.
TEST(CommandFile, JudgesWhetherTheTextHoldsAWholeCommand) {
    using enum CommandText;
    struct Case {
        const char* text;
        bool programMatters;
        CommandText expected;
    };
    const Case cases[] = {
        {"", true, NoCommand},       {"  \n", true, NoCommand}, {"-", true, NoCommand},
        {"cancel", true, NoCommand}, {"1", true, Whole},        {" 1\n", true, Whole},
        {"2", true, Whole},          {"7", true, Whole},        {"3", true, NoCommand},
        {"3 ", true, NoCommand},     {"3 -", true, NoCommand},  {"3-", true, NoCommand},
        {"3 4", true, Unsettled},    {"3 40", true, Unsettled}, {"3 -1", true, Unsettled},
        {"3 40\n", true, Whole},     {"3 40 ", true, Whole},    {"3\n40\n", true, Whole},
        {"3 x", true, Whole},        {"3", false, Whole},       {"3 4", false, Whole},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JudgeCommandText(c.text, c.programMatters), c.expected)
            << '"' << c.text << "\" program matters: " << c.programMatters;
    }
}

// A command file is taken (and deleted) once it holds a whole command; an empty one, or a
// program that may still grow, is left for the writer. A file that stays without a command is
// removed after a second. Nothing else is ever left behind.
TEST(CommandFile, TakesAWholeCommandAndLeavesTheRestForItsWriter) {
    velt::test::TempDir dir;
    const fs::path path = dir / "cmd.txt";
    CommandFile file(path.string());
    const auto t0 = CommandFile::Clock::now();
    using std::chrono::milliseconds;
    EXPECT_FALSE(TakeCommand(file, true, t0)) << "no file";
    EXPECT_TRUE(fs::is_empty(dir.path()));

    // Created, then written: the empty file stays until the number is in it.
    velt::test::writeFile(path, "");
    EXPECT_FALSE(TakeCommand(file, true, t0));
    EXPECT_TRUE(fs::exists(path)) << "an empty command file is its writer's, not yet the engine's";
    velt::test::writeFile(path, "1");
    auto command = TakeCommand(file, true, t0 + milliseconds(1));
    ASSERT_TRUE(command);
    EXPECT_EQ(command->code, 1);
    EXPECT_TRUE(fs::is_empty(dir.path()));

    // A program at the end of the file is taken when it has stood unchanged for a while; digits
    // added meanwhile start the wait again.
    velt::test::writeFile(path, "3 1");
    EXPECT_FALSE(TakeCommand(file, true, t0));
    velt::test::writeFile(path, "3 12");
    EXPECT_FALSE(TakeCommand(file, true, t0 + kProgramSettleTime - milliseconds(1)));
    EXPECT_FALSE(TakeCommand(file, true, t0 + kProgramSettleTime + milliseconds(1)))
        << "the program grew since the first look";
    command = TakeCommand(file, true, t0 + 2 * kProgramSettleTime);
    ASSERT_TRUE(command);
    EXPECT_EQ(command->code, 3);
    EXPECT_EQ(command->argument.value_or(-1), 12);
    EXPECT_TRUE(fs::is_empty(dir.path()));
    // With a line end, or in a file run (which ignores the program), at once.
    for (bool programMatters : {true, false}) {
        velt::test::writeFile(path, programMatters ? "3 17\n" : "3 17");
        command = TakeCommand(file, programMatters, t0);
        ASSERT_TRUE(command) << programMatters;
        EXPECT_EQ(command->argument.value_or(-1), 17);
        EXPECT_TRUE(fs::is_empty(dir.path()));
    }

    // Without a command the file is left for a second, then removed.
    for (const char* text : {"", "cancel", "-\n", "  \n", "3 "}) {
        SCOPED_TRACE(text);
        velt::test::writeFile(path, text);
        EXPECT_FALSE(TakeCommand(file, true, t0));
        EXPECT_FALSE(TakeCommand(file, true, t0 + kNoCommandWait - milliseconds(1)));
        EXPECT_TRUE(fs::exists(path));
        EXPECT_FALSE(TakeCommand(file, true, t0 + kNoCommandWait));
        EXPECT_TRUE(fs::is_empty(dir.path()));
    }
    // A fifo in its place reads as empty (the poll does not wait for a writer) and goes in time.
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    EXPECT_FALSE(TakeCommand(file, true, t0));
    EXPECT_TRUE(fs::exists(path));
    EXPECT_FALSE(TakeCommand(file, true, t0 + kNoCommandWait));
    EXPECT_TRUE(fs::is_empty(dir.path()));
    // The second counts from the first look at this file: one that comes after the last one was
    // removed starts its own wait.
    velt::test::writeFile(path, "");
    EXPECT_FALSE(TakeCommand(file, true, t0 + 3 * kNoCommandWait));
    EXPECT_TRUE(fs::exists(path));
    fs::remove(path);
}

TEST(KeyDetection, EdgeCasesAndClearKeys) {
    std::array<int64_t, 12> silence{};
    EXPECT_EQ(DetectKey(silence, 0).keySignature, 0);
    EXPECT_EQ(DetectKey(silence, 0).majorMinor, 0);
    EXPECT_EQ(DetectKey(silence, -5).keySignature, 1) << "C major transposed to G";

    // D major triad and scale, A minor (relative of C) with a strong A and E.
    std::array<int64_t, 12> dMajor{};
    for (int pc : {2, 4, 6, 7, 9, 11, 1}) dMajor[pc] = 100;
    dMajor[2] = dMajor[9] = 400;
    DetectedKey d = DetectKey(dMajor, 0);
    EXPECT_EQ(d.keySignature, 2);
    EXPECT_EQ(d.majorMinor, 0);

    std::array<int64_t, 12> aMinor{};
    for (int pc : {0, 2, 4, 5, 7, 9, 11}) aMinor[pc] = 100;
    aMinor[9] = 800;
    aMinor[4] = 500;
    aMinor[0] = 300;
    DetectedKey a = DetectKey(aMinor, 0);
    EXPECT_EQ(a.majorMinor, 1);
    EXPECT_EQ(a.keySignature, 0);
}

// The block loop covers the project's time range: the progress reaches 100 % with one step per
// block, and a block is read at every hop from the start point.
TEST(BlockLoop, RunsOverTheTimeRange) {
    velt::test::TempDir dir;
    fs::path wav = makeWav(dir / "sine_3s.wav", 44100, 16, 1, "3 sine 440");
    fs::path project = writeProject(
        dir / "p.vpr", timedProject(wav, dir / "o.mid",
                                    "StartPoint=0,5\nEndPoint=2,5\nResolution=3\nSensitivity=0\n"));
    ASSERT_EQ(setUpProject(project, dir / "s.txt").type, 0);
    RunOutcome outcome;
    try {
        SetUpAnalysis();
        RunBlockLoop();
    } catch (const RunOutcome& o) {
        outcome = o;
    }
    ASSERT_EQ(outcome.type, 0);
    const Geometry& g = run().geo();
    // 2 s of a 11025-sample hop: blocks at 0, 11025, ..., 77175 samples after the start: 8.
    EXPECT_DOUBLE_EQ(g.hopSamples, 11025);
    const float step = float(100 * g.hopBytes / (double(g.endByte - g.startByte) + g.hopBytes));
    EXPECT_NEAR(run().loop.progress, 8 * step, 1e-3);
    EXPECT_NEAR(run().loop.progress, 100 * 8.0 / 9.0, 1e-3);
}

// The set-up's normaliser is 32767 / the largest whole-block peak of the analysed range, and the
// run's blocks above the input threshold are read scaled by it.
TEST(BlockLoop, BlocksAreScaledByTheNormaliserOfTheAnalysedRange) {
    velt::test::TempDir dir;
    fs::path wav = makeWav(dir / "stereo_440l_660r.wav", 44100, 16, 2, "1 sine 440 sine 660");
    fs::path project = writeProject(
        dir / "p.vpr", timedProject(wav, dir / "o.mid", "Compress=0\nInputThreshold=384\n"));
    ASSERT_EQ(setUpProject(project, dir / "s.txt").type, 0);
    try {
        SetUpAnalysis();
    } catch (const RunOutcome& outcome) {
        FAIL() << "set-up ended with " << outcome.type << "." << outcome.detail;
    }
    const Geometry& g = run().geo();
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(wav.c_str(), "rb"),
                                                         &std::fclose);
    ASSERT_TRUE(file);
    const BlockLayout layout = BlockLayoutOf(run());
    std::vector<unsigned char> buffer;
    int largest = 0;
    for (int64_t p = g.startByte; p + g.blockBytes <= g.endByte; p += g.blockBytes) {
        largest = std::max(largest, FileBlockPeak(file.get(), layout, p, buffer));
    }
    ASSERT_GT(largest, 0);
    EXPECT_DOUBLE_EQ(g.normaliser, 32767.0 / largest);

    std::vector<int> raw(size_t(g.blockLength) + 1);
    const int64_t at = g.dataOffset + 4000 * 4;
    ReadFileBlock(file.get(), layout, at, buffer, raw);
    ReadBlock(at);
    for (int i = 1; i <= g.blockLength; ++i) {
        ASSERT_EQ(run().analysis.samples[size_t(i)], int(raw[size_t(i)] * g.normaliser)) << i;
    }
    resetRun();
}

// Beats in the tempo file ten times shorter than the project's tempo make ten times the blocks the
// progress step was sized for: the reported progress stops at 100, never near the finished mark.
TEST(BlockLoop, ProgressWithAFastTempoFileStopsAt100) {
    velt::test::TempDir dir;
    fs::path wav = makeWav(dir / "sine_3s.wav", 44100, 16, 1, "3 sine 440");
    std::string beats;
    for (int i = 0; i < 200; ++i) beats += std::string{'\x64', '\0'};  // 100 ms
    velt::test::writeFile(dir / "fast.tt", beats);
    fs::path project = writeProject(
        dir / "p.vpr", timedProject(wav, dir / "o.mid",
                                    "Tempo=60\nTempoFile=" + (dir / "fast.tt").string() + "\n"));
    ASSERT_EQ(setUpProject(project, dir / "s.txt").type, 0);
    RunOutcome outcome;
    try {
        SetUpAnalysis();
        RunBlockLoop();
    } catch (const RunOutcome& o) {
        outcome = o;
    }
    ASSERT_EQ(outcome.type, 0);
    EXPECT_GT(run().loop.progress, 150) << "the tempo file made more blocks than the step assumed";
    EXPECT_FLOAT_EQ(run().status.value, 100);
}

// A cancel waiting before the loop starts is taken after the first block: that block is read and
// analysed, its progress step is not counted, and the file written so far is kept.
TEST(BlockLoop, CancelIsTakenAfterTheFirstBlock) {
    velt::test::TempDir dir;
    fs::path wav = makeWav(dir / "sine_3s.wav", 44100, 16, 1, "3 sine 440");
    fs::path project = writeProject(dir / "p.vpr", timedProject(wav, dir / "o.mid"));
    ASSERT_EQ(setUpProject(project, dir / "s.txt").type, 0);
    run().files.command = (dir / "cmd.txt").string();
    RunOutcome outcome;
    try {
        SetUpAnalysis();
        velt::test::writeFile(dir / "cmd.txt", "1");
        RunBlockLoop();
    } catch (const RunOutcome& o) {
        outcome = o;
    }
    EXPECT_EQ(outcome.type, 1);
    EXPECT_GT(run().loop.lastPeak, 0) << "the first block was read";
    EXPECT_EQ(run().loop.progress, 0) << "and nothing after it";
    EXPECT_FALSE(fs::exists(dir / "cmd.txt"));
    EXPECT_TRUE(fs::exists(dir / "o.mid"));
    EXPECT_EQ(statusValue(velt::test::readFile(dir / "s.txt")), "-1.000");
}

}  // namespace
}  // namespace velt::engine::test
