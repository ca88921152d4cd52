// Reading the project file and setting the run up: key matching, number reading, clamps, the
// single-key mode and the derived geometry on the stage functions with their inputs built
// directly; the whole set-up (a real WAV, outcomes, the status line) through ReadProject.
#include <cmath>

#include "engine_fixtures.h"
#include "project/key_range.h"
#include "project/project_keys.h"
#include "project/project_text.h"
#include "project/run_geometry.h"

namespace velt::engine::test {
namespace {

TEST(ProjectText, NumbersReadLikeTheCLibraryWhateverTheLocale) {
    struct Case {
        const char* text;
        int integer;
        double decimal;
    };
    const Case cases[] = {
        {"42", 42, 42},
        {"  -7xyz", -7, -7},
        {"+3", 3, 3},
        {"abc", 0, 0},
        {"", 0, 0},
        {"439,5", 439, 439.5},
        {"439.5", 439, 439.5},
        {"99999999999", 2147483647, 99999999999.0},
        {"-99999999999", -2147483647 - 1, -99999999999.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseLeadingInt(c.text), c.integer);
        EXPECT_DOUBLE_EQ(ParseLeadingDouble(c.text), c.decimal);
    }
}

TEST(ProjectText, KeysMatchAnywhereLastLineWinsAndCrLfReadsAsLf) {
    ProjectText text(
        "[pitch]\r\nReferencePitch=439,5\r\n"
        "junk before KeyMin=40\r\n"
        "KeyMax=70\r\nKeyMax=72\r\n"
        "AudioFile=\r\n"
        "AudioFile=/music/a.wav\r\n"
        "  MidiFile=\r\n");
    double pitch = 0;
    int keyMin = 0, keyMax = 0;
    std::string audio, midi = "unchanged";
    EXPECT_TRUE(text.readDouble("ReferencePitch=", pitch));
    EXPECT_DOUBLE_EQ(pitch, 439.5);
    EXPECT_TRUE(text.readInt("KeyMin=", keyMin));
    EXPECT_EQ(keyMin, 40);
    EXPECT_TRUE(text.readInt("KeyMax=", keyMax));
    EXPECT_EQ(keyMax, 72);
    // The bare "AudioFile=" line is too short to count; the CR never reaches the path.
    EXPECT_TRUE(text.readString("AudioFile=", 11, audio));
    EXPECT_EQ(audio, "/music/a.wav");
    // Passes the length test with nothing after the key: the setting becomes empty.
    EXPECT_TRUE(text.readString("MidiFile=", 10, midi));
    EXPECT_EQ(midi, "");
    int untouched = 5;
    EXPECT_FALSE(text.readInt("Gain=", untouched));
    EXPECT_EQ(untouched, 5);
}

// A file run's settings and geometry as set-up settles them, in set-up's order, for an audio
// layout given directly. The projects give tempo, metre and chord resolution, so no detection
// runs; a stage that cannot go on gives its outcome.
struct AudioLayout {
    int sampleRate = 44100;
    int bitsPerSample = 16;
    int channels = 1;
    int64_t dataOffset = 68;
    double seconds = 1;
};

struct Settled {
    RunOutcome outcome;
    ProjectSettings s;
    Geometry g;
    std::vector<uint8_t> keyMask;
};

Settled settle(const std::string& project, const AudioLayout& audio = {}) {
    Settled out;
    const ProjectReading reading = ReadProjectKeys(ProjectText(project));
    ProjectSettings& s = out.s;
    Geometry& g = out.g;
    s = reading.settings;
    g.singleKeyMode = reading.singleKeyMode;
    g.reservedBytes = reading.reservedBytes;
    g.partActive = reading.partActive;
    g.liveRun = reading.liveRun;
    g.filterInUse = s.Filter != -1 && s.PitchMode != 1;
    g.riffFile = true;
    g.sampleRate = audio.sampleRate;
    g.bitsPerSample = audio.bitsPerSample;
    g.channels = audio.channels;
    g.dataOffset = audio.dataOffset;
    g.dataLength =
        int64_t(audio.seconds * audio.sampleRate) * audio.channels * (audio.bitsPerSample / 8);
    g.endOfData = g.dataOffset + g.dataLength;
    try {
        ApplyInputDefaults(s, g.liveRun);
        CheckAudioLayout(g);
        TakeAudioLayout(s, g);
        ResolvePartOutput(s, g);
        ClampSettings(s, g);
        ResolveKeyRange(s, g);
        DeriveBlockGeometry(s, g);
        FinishTiming(s, g, BeginFileTiming(s, g));
        CheckMidiTiming(g);
        SettleKeyConstraint(s);
        out.keyMask = KeyMask(s, g.singleKeyMode, kKeyCount);
    } catch (const StageFailure& failure) {
        out.outcome = failure.outcome;
    }
    return out;
}

std::string project(const std::string& extra) {
    return timedProject("/music/a.wav", "/music/a.mid", extra);
}

TEST(ProjectKeys, KeyClampsTable) {
    struct Case {
        const char* project;
        int ProjectSettings::*field;
        int expected;
    };
    const Case cases[] = {
        {"StereoPan=150\n", &ProjectSettings::StereoPan, 100},
        {"StereoPan=-3\n", &ProjectSettings::StereoPan, 0},
        {"KeySignature=9\nConstrain=1\n", &ProjectSettings::KeySignature, 0},
        {"KeySignature=9\nConstrain=1\n", &ProjectSettings::Constrain, 0},
        {"InputThreshold=40000\n", &ProjectSettings::InputThreshold, 0},
        {"OutputThreshold=0\n", &ProjectSettings::OutputThreshold, 5},
        {"OutputThreshold=80\n", &ProjectSettings::OutputThreshold, 63},
        {"PitchMode=200\n", &ProjectSettings::PitchMode, 128},
        {"Controller=128\n", &ProjectSettings::Controller, 11},
        {"PitchMode=1\nBrightness=-1\n", &ProjectSettings::Brightness, 74},
        {"Brightness=20\n", &ProjectSettings::Brightness, 0},  // only single-line runs
        {"Transpose=200\n", &ProjectSettings::Transpose, 0},
        {"Speed=0\n", &ProjectSettings::Speed, 100},
        {"Gain=5000\n", &ProjectSettings::Gain, 999},
        {"VelocityOn=7\n", &ProjectSettings::VelocityOn, 1},
        {"Sensitivity=9\n", &ProjectSettings::Sensitivity, 1},
        {"Compress=5\n", &ProjectSettings::Compress, 0},
        {"", &ProjectSettings::Compress, 1},
        {"KeyMin=0\n", &ProjectSettings::KeyMin, 1},
        {"", &ProjectSettings::KeyMin, 28},
        {"", &ProjectSettings::KeyMax, 85},
        {"KeyMin=60\nKeyMax=50\n", &ProjectSettings::KeyMax, 60},
        {"KeyMax=200\n", &ProjectSettings::KeyMax, 127},
        {"KeyMin=300\n", &ProjectSettings::KeyMin, 127},
        {"MinimumLength=0\n", &ProjectSettings::MinimumLength, 2},
        {"TimeSignatureDenominator=9\n", &ProjectSettings::TimeSignatureDenominator, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.project);
        const Settled settled = settle(project(c.project));
        ASSERT_EQ(settled.outcome.type, 0);
        EXPECT_EQ(settled.s.*c.field, c.expected);
    }
}

// Decimal keys: values that are no number, infinite or far out of range are held to the key's
// range as they are read, before anything converts them to an integer.
TEST(ProjectKeys, DecimalKeyClampsTable) {
    struct Case {
        const char* project;
        double ProjectSettings::*field;
        double expected;
    };
    const Case cases[] = {
        {"Resolution=1e20\n", &ProjectSettings::Resolution, 7},
        {"Resolution=99999999999999999999\n", &ProjectSettings::Resolution, 7},
        {"Resolution=7,5\n", &ProjectSettings::Resolution, 7},
        {"Resolution=2,5\n", &ProjectSettings::Resolution, 2.5},
        {"Resolution=-1e20\n", &ProjectSettings::Resolution, -7},  // automatic, but not -1
        {"Resolution=-2\n", &ProjectSettings::Resolution, -2},
        {"Resolution=nan\n", &ProjectSettings::Resolution, -1},
        {"Resolution=1e400\n", &ProjectSettings::Resolution, -1},
        {"Resolution=text\n", &ProjectSettings::Resolution, 0},
        {"ReferencePitch=1e20\n", &ProjectSettings::ReferencePitch, 452.8},
        {"ReferencePitch=-1e20\n", &ProjectSettings::ReferencePitch, 427.5},
        {"ReferencePitch=nan\n", &ProjectSettings::ReferencePitch, 440},
        {"Tempo=1e20\n", &ProjectSettings::Tempo, 1e9},
        {"Tempo=-1\n", &ProjectSettings::Tempo, 0},
        {"Tempo=nan\n", &ProjectSettings::Tempo, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.project);
        ProjectSettings s = ReadProjectKeys(ProjectText(project(c.project))).settings;
        ClampSettings(s, Geometry{});
        EXPECT_EQ(s.*c.field, c.expected);
    }
}

TEST(ProjectKeys, KeyMaxStaysBelowHalfTheSampleRate) {
    const Settled settled = settle(project("KeyMax=120\nKeyMax0=120\n"), {.sampleRate = 8000});
    ASSERT_EQ(settled.outcome.type, 0);
    // 12 x log2(4000 / 440) + 69 = 107.2
    EXPECT_EQ(settled.s.KeyMax, 107);
    EXPECT_EQ(settled.s.KeyMax0, 107);
    EXPECT_EQ(NyquistKey(8000, 440), 107);
}

TEST(ProjectKeys, DecimalCommaReferencePitch) {
    EXPECT_DOUBLE_EQ(settle(project("ReferencePitch=439,5\n")).s.ReferencePitch, 439.5);
    EXPECT_DOUBLE_EQ(settle(project("ReferencePitch=500\n")).s.ReferencePitch, 452.8);
}

TEST(ProjectKeys, DrumChannelMakesSingleKeyModeOnTheDrumKey) {
    const Settled settled =
        settle(project("Channel=10\nPitchMode=30\nMidiPat=38\nActive0=1\nTranspose=5\n"));
    ASSERT_EQ(settled.outcome.type, 0);
    EXPECT_TRUE(settled.g.singleKeyMode);
    EXPECT_EQ(settled.s.PitchMode, 0);
    EXPECT_EQ(settled.s.KeyMin, 38);
    EXPECT_EQ(settled.s.KeyMax, 38);
    EXPECT_EQ(settled.s.Transpose, 0);
    EXPECT_EQ(settled.s.OutputThreshold, 1);
    EXPECT_EQ(settled.g.partChannel, 9);
    EXPECT_EQ(settled.g.reservedBytes, 7);
    EXPECT_EQ(settled.g.slotCount, 1);
    EXPECT_EQ(settled.g.blockLength, int(0.04269 * 44100));
    ASSERT_EQ(settled.keyMask.size(), size_t(kKeyCount));
    for (int k = 0; k < kKeyCount; ++k) EXPECT_EQ(settled.keyMask[k], k == 38) << k;
}

TEST(ProjectKeys, PartZeroReservationAndChannel) {
    struct Case {
        const char* project;
        bool active;
        int reserved;
        int channel;
    };
    const Case cases[] = {
        {"", true, 0, 0},
        {"Active0=1\n", true, 7, 0},
        {"Active0=0\n", false, 0, 0},
        {"Active0=1\nChannel=0\n", true, 0, -1},
        {"Active0=1\nChannel=3\nMidiChan=5\n", true, 7, 4},
        {"Channel=40\n", true, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.project);
        const Settled settled = settle(project(c.project));
        ASSERT_EQ(settled.outcome.type, 0);
        EXPECT_EQ(settled.g.partActive, c.active);
        EXPECT_EQ(settled.g.reservedBytes, c.reserved);
        EXPECT_EQ(settled.g.partChannel, c.channel);
    }
}

TEST(ProjectKeys, ConstrainMasksKeysOutsideTheScale) {
    const Settled settled = settle(project("KeySignature=1\nConstrain=1\nKeyMin=60\nKeyMax=72\n"));
    ASSERT_EQ(settled.outcome.type, 0);
    // G major: G A B C D E F#
    const int expected[] = {1, 0, 1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 1};
    for (int k = 60; k <= 72; ++k) EXPECT_EQ(settled.keyMask[k], expected[k - 60]) << k;
    EXPECT_EQ(settled.keyMask[59], 0);
    EXPECT_EQ(settled.keyMask[73], 0);
    EXPECT_EQ(settled.s.AutoDetectKey, 0);
    EXPECT_EQ(settled.s.KeySignature, 1);
}

TEST(ProjectKeys, MidiOutputBesideTheAudioUnlessNamed) {
    struct Case {
        const char* project;
        const char* midiPath;
        bool live;
    };
    const Case cases[] = {
        {"AudioFile=/music/sine_a4.wav\n", "/music/sine_a4.mid", false},
        {"AudioFile=/music/sine_a4.wav\nMidiFile=/out/b.mid\n", "/out/b.mid", false},
        {"MidiFile=/out/b.mid\n", "/out/b.mid", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.project);
        const ProjectReading reading = ReadProjectKeys(ProjectText(c.project));
        EXPECT_EQ(reading.midiPath, c.midiPath);
        EXPECT_EQ(reading.liveRun, c.live);
    }
}

TEST(ProjectKeys, LiveRunsSettleTheirOwnDefaults) {
    struct Case {
        const char* project;
        int minimumLength;
        int controller;
        double beatsPerSecond;
        double resolution;
    };
    // No AudioFile: a live run. Without a tempo it goes at 120 BPM; AutoTiming is off.
    const Case cases[] = {
        {"", 2, 11, 2, 0},
        {"PitchMode=1\n", 6, 0, 2, 0},
        {"PitchMode=1\nMinimumLength=3\n", 3, 11, 2, 0},
        {"PitchMode=0\nMidiPat=38\n", 1, 0, 2, 0},
        {"Tempo=90\nResolution=3\nAutoTiming=1\n", 2, 11, 1.5, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.project);
        const ProjectReading reading = ReadProjectKeys(ProjectText(c.project));
        ASSERT_TRUE(reading.liveRun);
        ProjectSettings s = reading.settings;
        Geometry g;
        g.liveRun = true;
        g.singleKeyMode = reading.singleKeyMode;
        ApplyInputDefaults(s, true);
        ClampSettings(s, g);
        EXPECT_EQ(s.Sensitivity, 0);
        EXPECT_EQ(s.AutoTiming, 0);
        EXPECT_EQ(s.MinimumLength, c.minimumLength);
        EXPECT_EQ(s.Controller, c.controller);
        EXPECT_EQ(BeginLiveTiming(s, g), c.resolution);
        EXPECT_EQ(g.beatsPerSecond, c.beatsPerSecond);
    }
}

TEST(RunGeometry, GeometryOfKnownProjects) {
    struct Case {
        const char* project;
        int blockLength;
        double hop;
        double resolution;
        int subdivision;
        int slots;
    };
    // 120 BPM at 44100 Hz: 22050 samples a beat; a quarter beat (d = 4).
    const Case cases[] = {
        // Automatic resolution: trunc(log2(22050 / R) + 2.5), R = 17 periods of key 85.
        // trunc(7.53) is held to 6; the subdivision then rounds log2(hop / R) = 1.03 to 1.
        {"", 19651, 22050.0 / 32, 6, 1, 64},
        {"Resolution=3\nSensitivity=0\n", 19651, 22050.0 / 2, 3, 0, 4},
        {"Resolution=2\nSensitivity=2\nChordRes=1\n", 19651, 22050.0 / 4, 2, 2, 4},
        {"Resolution=4\nSensitivity=0\nKeyMin=40\n", 9825, 22050.0 / 4, 4, 0, 8},
        {"Resolution=4\nSensitivity=0\nTimeSignatureDenominator=3\n", 19651, 22050.0 / 2, 4, 0, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.project);
        const Settled settled = settle(project(c.project));
        ASSERT_EQ(settled.outcome.type, 0);
        const Geometry& g = settled.g;
        EXPECT_EQ(g.blockLength, c.blockLength);
        EXPECT_EQ(g.blockBytes, int64_t(c.blockLength) * 2);
        EXPECT_NEAR(g.hopSamples, c.hop, 1e-9);
        EXPECT_EQ(g.resolution, c.resolution);
        EXPECT_EQ(g.subdivisionExp, c.subdivision);
        EXPECT_EQ(g.slotCount, c.slots);
        EXPECT_GE(g.sampleBufferLength, g.blockLength + 2);
    }
}

TEST(RunGeometry, TimingThatNoMidiHeaderCanCarry) {
    struct Case {
        const char* project;
        int detail;
    };
    const Case cases[] = {
        {"Resolution=0\nSensitivity=0\nTimeSignatureDenominator=6\n", 24},
        {"Resolution=7\nSensitivity=7\nTimeSignatureDenominator=0\nSpeed=999\n", 25},
        {"Tempo=1000000000\nResolution=4\nSensitivity=0\n", 26},
        {"Tempo=0,001\nResolution=4\nSensitivity=0\n", 27},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.project);
        const RunOutcome outcome = settle(project(c.project)).outcome;
        EXPECT_EQ(outcome.type, 7);
        EXPECT_EQ(outcome.detail, c.detail);
    }
}

// The whole set-up of a file run: the real WAV, the outcomes and the status line.
class ProjectSetUp : public ::testing::Test {
  protected:
    velt::test::TempDir dir;
    fs::path wav = makeWav(dir / "sine_a4_44100hz_1s_mono.wav", 44100, 16, 1, "1 sine 440");

    RunOutcome setUp(const std::string& extra, const fs::path& audio = {}) {
        fs::path project = writeProject(
            dir / "p.vpr", timedProject(audio.empty() ? wav : audio, dir / "out.mid", extra));
        return setUpProject(project, dir / "status.txt");
    }
};

TEST_F(ProjectSetUp, StatusReportsTheSettledKeyAndPitch) {
    const std::string keys = "KeySignature=1\nConstrain=1\nKeyMin=60\nKeyMax=72\n";
    ASSERT_EQ(setUp(keys + "ReferencePitch=439,5\n").type, 0);
    EXPECT_EQ(run().status.keySignature, 1);
    EXPECT_DOUBLE_EQ(run().status.referencePitch, 439.5);
    EXPECT_EQ(run().analysis.KeyEnabled[61], 0);  // the scale's mask reaches the analysis
    EXPECT_EQ(run().analysis.KeyEnabled[62], 1);
}

TEST_F(ProjectSetUp, TimeRangeFromStartAndEndPoints) {
    fs::path three = makeWav(dir / "sine_3s.wav", 44100, 16, 1, "3 sine 440");
    struct Case {
        const char* project;
        double start;
        double end;
    };
    const double length = (3 * 44100 * 2 - 38 - 68) / 2.0 / 44100;  // canonical header offsets
    const Case cases[] = {
        {"StartPoint=1\nEndPoint=2\n", 1, 2},
        {"StartPoint=1,5\n", 1.5, length},
        {"StartPoint=9\nEndPoint=2\n", 0, 2},
        {"StartPoint=2\nEndPoint=1\n", 2, length},
        {"StartPoint=1\nEndPoint=2\nEntireAudio=1\n", 0, length},
        {"StartPoint=-4\n", 0, length},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.project);
        ASSERT_EQ(setUp(c.project, three).type, 0);
        const Geometry& g = run().geo();
        EXPECT_EQ(g.startByte, 68 + 2 * int64_t(std::trunc(44100 * c.start + 0.5)));
        EXPECT_EQ(g.endByte, 68 + 2 * int64_t(std::trunc(44100 * c.end + 0.5)));
        EXPECT_FLOAT_EQ(run().status.startTime, float(c.start));
    }
}

// Programs that analyse as a run does (the filter builder, the benchmarks) take their geometry
// from FileRunGeometry: it gives what the whole set-up of a project with the same settings gives.
TEST_F(ProjectSetUp, FileRunGeometryIsTheSetUpsGeometry) {
    struct Case {
        const char* project;
        int keyMin, keyMax;
        double tempo, resolution;
        int sensitivity;
    };
    const Case cases[] = {
        {"KeyMin=21\nKeyMax=108\n", 21, 108, 120, -1, kKeyNotGiven},
        {"KeyMin=28\nKeyMax=85\n", 28, 85, 120, -1, kKeyNotGiven},
        {"KeyMin=48\nKeyMax=50\nTempo=95\n", 48, 50, 95, -1, kKeyNotGiven},
        {"KeyMin=30\nKeyMax=100\nTempo=200\nResolution=3\n", 30, 100, 200, 3, kKeyNotGiven},
        {"KeyMin=60\nKeyMax=72\nSensitivity=2\n", 60, 72, 120, -1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.project);
        ASSERT_EQ(setUp(c.project).type, 0);
        const Geometry& settled = run().geo();
        ProjectSettings s;
        s.KeyMin = c.keyMin;
        s.KeyMax = c.keyMax;
        s.Tempo = c.tempo;
        s.Resolution = c.resolution;
        s.Sensitivity = c.sensitivity;
        Geometry audio;
        audio.channels = 1;
        audio.sampleRate = 44100;
        audio.bitsPerSample = 16;
        const Geometry g = FileRunGeometry(s, audio);
        EXPECT_EQ(g.LowKey, settled.LowKey);
        EXPECT_EQ(g.TopKey, settled.TopKey);
        EXPECT_EQ(g.blockLength, settled.blockLength);
        EXPECT_EQ(g.analysisWindow, settled.analysisWindow);
        EXPECT_EQ(g.resolution, settled.resolution);
        EXPECT_EQ(g.hopSamples, settled.hopSamples);
        EXPECT_EQ(g.subdivisionExp, settled.subdivisionExp);
        EXPECT_EQ(g.beatsPerSecond, settled.beatsPerSecond);
    }
}

TEST_F(ProjectSetUp, TempoNotGivenOrUnusableIsDetected) {
    // Detection ends with "too little to go on" until it is built; never a loop without end.
    for (const char* tempo : {"Tempo=0\n", "Tempo=-5\n", "Tempo=nan\n", "Tempo=inf\n"}) {
        SCOPED_TRACE(tempo);
        fs::path project =
            writeProject(dir / "t.vpr", "AudioFile=" + wav.string() +
                                            "\nTimeSignatureNumerator=4\nChordRes=2\n" + tempo);
        RunOutcome outcome = setUpProject(project, dir / "status.txt");
        EXPECT_EQ(outcome.type, 9);
        EXPECT_EQ(outcome.detail, 36);
        EXPECT_EQ(run().settings().TempoDetect, 1);
    }
}

TEST_F(ProjectSetUp, EmptyMidiFileNamesTheAudioWithMidExtension) {
    fs::path project = writeProject(dir / "p.vpr", "AudioFile=" + wav.string() +
                                                       "\nTempo=100\nTimeSignatureNumerator=3\n"
                                                       "ChordRes=3\n");
    ASSERT_EQ(setUpProject(project, dir / "status.txt").type, 0);
    EXPECT_EQ(run().files.midiPath, (dir / "sine_a4_44100hz_1s_mono.mid").string());
}

TEST_F(ProjectSetUp, ProjectThatCannotBeOpened) {
    // A folder given as the project is no project either (not an empty one, which runs live).
    fs::create_directory(dir / "folder.vpr");
    for (const char* name : {"missing.vpr", "folder.vpr"}) {
        SCOPED_TRACE(name);
        RunOutcome outcome = setUpProject(dir / name, dir / "status.txt");
        EXPECT_EQ(outcome.type, 3);
        EXPECT_EQ(outcome.detail, 8);
        EXPECT_EQ(statusValue(velt::test::readFile(dir / "status.txt")), "-3.008");
    }
}

}  // namespace
}  // namespace velt::engine::test
