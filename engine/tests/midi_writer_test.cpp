// The MIDI file writer: event bytes, variable-length deltas, metas, the header, the velocity pass,
// and whole files from sox tones read back by midicsv and mido.
#include <optional>
#include <tuple>

#include "engine_fixtures.h"
#include "midi/midi_file_writer.h"
#include "midicsv_reader.h"

namespace velt::engine::test {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes textBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}
Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(VarLen, Boundaries) {
    struct Case {
        uint32_t value;
        Bytes bytes;
    };
    const Case cases[] = {
        {0, {0x00}},
        {127, {0x7F}},
        {128, {0x81, 0x00}},
        {16383, {0xFF, 0x7F}},
        {16384, {0x81, 0x80, 0x00}},
        {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}},
    };
    for (const Case& c : cases) {
        const VarLenBytes encoded = EncodeVarLen(c.value);
        EXPECT_EQ(Bytes(encoded.begin(), encoded.end()), c.bytes) << c.value;
    }
}

TEST(MidiHeader, BytesForAKnownGeometry) {
    // 44100 Hz, hop 689.0625 samples, 120 BPM, subdivision 2^1, quarter-note beat:
    // 64 hops a second, 32 a beat, 16 ticks of 24 a beat -> 384 ticks per quarter, 500000 us.
    MidiTiming timing = ComputeMidiTiming({44100, 689.0625, 2, 1, 2, 1, 1});
    EXPECT_EQ(timing.division, 384);
    EXPECT_EQ(timing.tempoMicros, 500000);

    HeaderInput in;
    in.division = 384;
    in.tempoMicros = 500000;
    in.eventBytes = 10;
    in.numerator = 3;
    in.denominatorExp = 2;
    in.keySignature = -3;
    in.majorMinor = 1;
    in.reserved = 7;
    in.channel = 4;
    in.program = 41;
    Bytes expected = concat({
        {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0x80},
        {'M', 'T', 'r', 'k', 0, 0, 0, 10 + 7 + 25 + 44},
        {0x00, 0xFF, 0x58, 0x04, 3, 2, 0x18, 0x08},
        {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20},
        {0x00, 0xFF, 0x59, 0x02, 0xFD, 1},
        {0x00, 0xFF, 0x01, 44},
        textBytes("Created by Veltrane(R) MP3 to MIDI Converter"),
        {0x00, 0xC4, 41, 0x00, 0xB4, 0x0A, 0x40},
    });
    EXPECT_EQ(BuildHeaderArea(in), expected);
    EXPECT_EQ(int64_t(expected.size()), HeaderAreaSize(7));

    in.reserved = 0;
    in.keySignature = 8;  // none: written as C
    Bytes plain = BuildHeaderArea(in);
    EXPECT_EQ(int64_t(plain.size()), HeaderAreaSize(0));
    EXPECT_EQ(plain[43], 0);
    EXPECT_EQ(plain[21], 10 + 25 + 44);
}

TEST(MidiHeader, TimingOutsideTheHeadersRanges) {
    EXPECT_EQ(TimingOutcomeDetail(0, 500000), 24);
    EXPECT_EQ(TimingOutcomeDetail(32768, 500000), 25);
    EXPECT_EQ(TimingOutcomeDetail(32767, 0), 26);
    EXPECT_EQ(TimingOutcomeDetail(96, 16777216), 27);
    EXPECT_EQ(TimingOutcomeDetail(96, 16777215), 0);
}

TEST(MidiHeader, TimingHeldToTheHeadersRanges) {
    struct Case {
        int64_t division, tempoMicros;
        int writtenDivision;
        int64_t writtenTempo;
    };
    const Case cases[] = {
        {384, 500000, 384, 500000},
        {0, 0, 1, 1},
        {96000, 500000000, 32767, 16777215},
        {-5, -5, 1, 1},
    };
    for (const Case& c : cases) {
        HeaderInput header;
        SetHeaderTiming(header, {0, c.division, c.tempoMicros});
        EXPECT_EQ(header.division, c.writtenDivision) << c.division;
        EXPECT_EQ(header.tempoMicros, c.writtenTempo) << c.tempoMicros;
    }
}

// A writer on its own: pitched, resolution 4, 4/4, channel 1, velocities as measured, and no
// chord name waiting for the first event unless a test asks for it.
class MidiEvents : public ::testing::Test {
  protected:
    velt::test::TempDir dir;
    std::optional<MidiFileWriter> writer;
    std::string chordText = "N/C";

    MidiWriterParams params() const {
        MidiWriterParams p;
        p.target = (dir / "t.mid").string();
        p.audio = (dir / "a.wav").string();
        p.notes.compressed = true;
        p.tickSeconds = 0.125;  // 2^0 hops of 5512.5 samples at 44100 Hz
        p.resolution = 4;
        p.denominatorExp = 2;
        p.numerator = 4;
        p.firstChordWaits = false;
        return p;
    }
    void SetUp() override { open(params()); }
    void open(const MidiWriterParams& p) {
        writer.reset();  // closes the file before the next writer starts the same target afresh
        writer.emplace(p);
    }
    double emit(int delta, int status, int data1, int data2, int channel = 0) {
        return writer->write(delta, status, data1, data2, channel, chordText);
    }
    // Ends the file (End of Track, a header) and returns the events between the header area and
    // End of Track.
    Bytes track() {
        writer->writeEndOfTrack();
        writer->writeHeader({});
        Bytes all = velt::test::readBytes(writer->workPath());
        EXPECT_EQ(Bytes(all.end() - 4, all.end()), (Bytes{0x00, 0xFF, 0x2F, 0x00}));
        return Bytes(all.begin() + HeaderAreaSize(0), all.end() - 4);
    }
};

TEST_F(MidiEvents, RunningStatus) {
    chordText = "Am7";
    emit(0, 0xB0, 7, 100);
    emit(0, 0xB0, 10, 64);
    emit(0, 0x90, 60, 100);
    emit(0, 0x90, 62, 100);
    emit(0, 0xB0, 11, 127);
    emit(0, 0xB0, 11, 120, 1);
    emit(0, 0xFF, 0, 0);
    emit(0, 0xB0, 11, 110, 1);
    emit(0, 0x51, 500, 0);
    emit(0, 0xB0, 11, 100, 1);
    Bytes expected = concat({
        {0x00, 0xB0, 7, 100, 0x00, 10, 64},          // one status for two controls
        {0x00, 0x90, 60, 100, 0x00, 0x90, 62, 100},  // notes always carry it
        {0x00, 0xB0, 11, 127},                       // forced again after a note
        {0x00, 0xB1, 11, 120},                       // another channel
        {0x00, 0xFF, 0x06, 3, 'A', 'm', '7', 0x00, 0xFF, 0x7F, 6, 0x05, 0x0F, 0x16, 'A', 'm', '7'},
        {0x00, 0xB1, 11, 110},                       // forced after the chord meta
        {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20},  // 500 ms beat = 500000 us
        {0x00, 0xB1, 11, 100},                       // forced after the tempo meta
    });
    EXPECT_EQ(writer->eventBytes(), int64_t(expected.size()));
    EXPECT_EQ(track(), expected);
}

TEST_F(MidiEvents, KeysVelocitiesAndChannels) {
    struct Case {
        const char* name;
        int transpose, compress, velocityOn, velocityOff;
        bool singleKey;
        int status, key, velocity, channel;
        int writtenKey, writtenVelocity;
    };
    const Case cases[] = {
        {"transpose folds down", 20, 1, 1, 1, false, 0x90, 120, 100, 0, 116, 100},
        {"transpose folds up", -20, 1, 1, 1, false, 0x90, 5, 100, 0, 9, 100},
        {"drum key outside the kit", 0, 1, 1, 1, true, 0x90, 90, 100, 9, 38, 100},
        {"drum key inside the kit", 0, 1, 1, 1, true, 0x90, 36, 100, 9, 36, 100},
        {"drum run on another channel", 0, 1, 1, 1, true, 0x90, 45, 100, 2, 60, 100},
        {"velocity 0 becomes 1", 0, 1, 1, 1, false, 0x90, 60, 0, 0, 60, 1},
        {"velocity above 127", 0, 1, 1, 1, false, 0x80, 60, 300, 0, 60, 127},
        {"square-root curve", 0, 0, 1, 1, false, 0x90, 60, 32, 0, 60, 64},
        {"fixed note-on velocity", 0, 1, 0, 1, false, 0x90, 60, 10, 0, 60, 77},
        {"fixed note-off velocity", 0, 1, 1, 0, false, 0x80, 60, 10, 0, 60, 77},
        {"signal note-off velocity", 0, 1, 0, 1, false, 0x80, 60, 10, 0, 60, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MidiWriterParams p = params();
        p.notes.transpose = c.transpose;
        p.notes.compressed = c.compress != 0;
        p.notes.velocityOn = c.velocityOn != 0;
        p.notes.velocityOff = c.velocityOff != 0;
        p.notes.singleKeyMode = c.singleKey;
        p.notes.fixedVelocity = 77;
        open(p);
        emit(0, c.status, c.key, c.velocity, c.channel);
        Bytes expected = {0x00, static_cast<unsigned char>(c.status + c.channel),
                          static_cast<unsigned char>(c.writtenKey),
                          static_cast<unsigned char>(c.writtenVelocity)};
        EXPECT_EQ(track(), expected);
        EXPECT_EQ(writer->velocityCount(), c.status == 0x90 ? 1 : 0);
    }
}

TEST_F(MidiEvents, DeltasAndTheMissingChannel) {
    int delta = 3;
    writer->write(delta, 0x90, 60, 100, -1, chordText);
    EXPECT_EQ(delta, 3) << "no channel: dropped, the delta keeps counting";
    delta += 3;
    writer->write(delta, 0x90, 60, 100, 0, chordText);
    EXPECT_EQ(delta, 0);
    EXPECT_EQ(track(), (Bytes{0x81, 0x10, 0x90, 60, 100}));  // 6 hops x 24 = 144 ticks
}

TEST_F(MidiEvents, FirstChordWaitsForTheFirstEventAndBarsOfSilenceAreDropped) {
    MidiWriterParams p = params();
    p.firstChordWaits = true;
    open(p);
    chordText = "C";
    emit(5, 0xB0, 7, 100);  // controls do not end the wait
    emit(0, 0xFF, 0, 0);    // only remembered
    chordText = "G";
    // 16 hops to a bar (2^4 / 4 x 4): 20 hops of silence before the note become 4.
    emit(20, 0x90, 60, 100);
    Bytes expected = concat({
        {0x78, 0xB0, 7, 100},  // 5 hops x 24 ticks
        {0x00, 0xFF, 0x06, 1, 'C', 0x00, 0xFF, 0x7F, 4, 0x05, 0x0F, 0x16, 'C'},
        {96, 0x90, 60, 100},
    });
    EXPECT_EQ(track(), expected);
}

// AutoTiming: nothing is written before the first note-on's time, the silence is reported in
// seconds, and no chord name waits (the meter decides where the music starts).
TEST_F(MidiEvents, AutoTimingTakesOutTheLeadingSilence) {
    MidiWriterParams p = params();
    p.autoTiming = true;
    p.firstChordWaits = true;
    open(p);
    EXPECT_EQ(emit(4, 0xB0, 7, 100), 0);
    EXPECT_DOUBLE_EQ(emit(6, 0x90, 60, 100), 10 * 0.125);
    EXPECT_EQ(emit(3, 0x80, 60, 100), 0);
    EXPECT_EQ(track(), (Bytes{0x00, 0xB0, 7, 100, 0x00, 0x90, 60, 100, 72, 0x80, 60, 100}));
}

TEST_F(MidiEvents, TempoMetaFromATapGapCannotWrap) {
    MidiWriterParams p = params();
    p.speedFactor = 9.99;
    open(p);
    emit(0, 0x51, 60000, 0);
    EXPECT_EQ(track(), (Bytes{0x00, 0xFF, 0x51, 0x03, 0xFF, 0xFF, 0xFF}));
}

TEST_F(MidiEvents, HeaderClampsWhatTheTempoFactorPushesOut) {
    emit(0, 0x90, 60, 100);
    writer->writeEndOfTrack();
    HeaderInput header;
    SetHeaderTiming(header, ComputeMidiTiming({44100, 44100.0 / 8, 2, 0, 2, 1, 1000}));
    writer->writeHeader(header);
    Bytes file = velt::test::readBytes(writer->workPath());
    EXPECT_EQ((file[12] << 8) | file[13], 32767);
    EXPECT_EQ(Bytes(file.begin() + 34, file.begin() + 37), (Bytes{0xFF, 0xFF, 0xFF}));
    const uint32_t length = (file[18] << 24) | (file[19] << 16) | (file[20] << 8) | file[21];
    EXPECT_EQ(length, file.size() - 22);
    EXPECT_EQ(Bytes(file.end() - 4, file.end()), (Bytes{0x00, 0xFF, 0x2F, 0x00}));
}

TEST_F(MidiEvents, VelocityPassRaisesToTheGain) {
    for (int key : {60, 62, 64}) emit(0, 0x90, key, 32);
    emit(0, 0x80, 60, 100);
    emit(0, 0x90, 20, 32);  // below the lowest key: left alone
    writer->writeEndOfTrack();
    writer->writeHeader({});
    writer->scaleVelocities({1, 40, 127, 1});  // average 32 at gain 100: doubled
    Bytes expected = concat({
        {0x00, 0x90, 60, 64, 0x00, 0x90, 62, 64, 0x00, 0x90, 64, 64},
        {0x00, 0x80, 60, 127},
        {0x00, 0x90, 20, 32},
        {0x00, 0xFF, 0x2F, 0x00},
    });
    Bytes all = velt::test::readBytes(writer->workPath());
    EXPECT_EQ(Bytes(all.begin() + HeaderAreaSize(0), all.end()), expected);
}

// A finished file replaces the earlier one of the target's name; a dropped one leaves it.
TEST_F(MidiEvents, PlacedOrDropped) {
    for (bool keep : {true, false}) {
        SCOPED_TRACE(keep);
        velt::test::writeFile(dir / "t.mid", "MThd..");
        open(params());
        writer->writeEndOfTrack();
        writer->writeHeader({});
        if (keep) {
            RunOutcome placed = writer->place();
            EXPECT_EQ(placed.type, 0);
        } else {
            writer->discard();
        }
        EXPECT_FALSE(fs::exists(writer->workPath()));
        const Bytes target = velt::test::readBytes(dir / "t.mid");
        EXPECT_EQ(target.size(), keep ? size_t(HeaderAreaSize(0) + 4) : 6u);
    }
}

TEST(VelocityPass, HandBuiltTrack) {
    Bytes track = concat({
        {0x00, 0x90, 60, 32},             // scaled
        {0x10, 62, 40},                   // running status note-on: scaled
        {0x00, 0x80, 60, 16},             // note-off: scaled
        {0x00, 0x90, 20, 32},             // key below the range
        {0x00, 0x90, 100, 32},            // key above the top key
        {0x00, 0x90, 61, 3},              // below the threshold
        {0x00, 0xB0, 7, 32},              // a control: untouched
        {0x00, 0xE0, 0, 70},              // pitch bend: untouched
        {0x00, 0xFF, 0x06, 2, 0x90, 60},  // meta text that looks like a note
        {0x81, 0x00, 0x90, 64, 100},      // long delta, capped at 127
        {0x00, 0xFF, 0x2F, 0x00},
        {0x00, 0x90, 60, 32},  // after End of Track: not part of the track
    });
    Bytes expected = track;
    expected[3] = 64;
    expected[6] = 80;
    expected[10] = 32;
    expected[track.size() - 9] = 127;
    ScaleTrackVelocities(track, 2.0, 28, 85, 5);
    EXPECT_EQ(track, expected);
}

// Whole files: sox tones converted by the built engine, read back by midicsv and by mido.
class MidiFiles : public ::testing::Test {
  protected:
    velt::test::TempDir dir;
    fs::path midi = dir / "out.mid";

    std::string convert(const fs::path& wav, const std::string& extra,
                        const char* command = nullptr) {
        if (command != nullptr) velt::test::writeFile(dir / "cmd.txt", command);
        fs::path project = writeProject(dir / "p.vpr", timedProject(wav, midi, extra));
        EngineRun result = runEngine(project, dir / "status.txt", dir / "cmd.txt");
        EXPECT_EQ(result.exitCode, 0);
        return result.status;
    }

    // Both readers accept the file; returns what midicsv read.
    velt::test::MidiContents readBack() {
        velt::test::MidiContents read = velt::test::readMidi(midi);
        auto mido = runCommand(
            "/usr/bin/python3 -c \"import mido,sys\n"
            "m = mido.MidiFile(sys.argv[1])\n"
            "assert m.type == 0 and len(m.tracks) == 1\n"
            "assert m.tracks[0][-1].type == 'end_of_track'\n"
            "print(sum(1 for e in m.tracks[0] if e.type == 'note_on'))\" " +
            shellQuote(midi.string()) + " 2>&1");
        EXPECT_EQ(mido.exitCode, 0) << mido.output;
        Bytes file = velt::test::readBytes(midi);
        EXPECT_GT(file.size(), 22u);
        if (file.size() > 22) {
            const uint32_t length =
                (file[18] << 24) | (file[19] << 16) | (file[20] << 8) | file[21];
            EXPECT_EQ(length, file.size() - 22);
        }
        return read;
    }
};

// A record of the file's one track at its start.
velt::test::MidiRecord atStart(const char* type, std::vector<std::string> values) {
    return {1, 0, type, std::move(values)};
}

TEST_F(MidiFiles, ToneAt442WithItsReferencePitch) {
    fs::path wav = makeWav(dir / "sine_442hz_2s.wav", 44100, 16, 1, "2 sine 442");
    std::string status = convert(wav, "ReferencePitch=442\nResolution=4\nSensitivity=0\n");
    EXPECT_EQ(statusValue(status), "100000.000");
    const auto read = readBack();
    // 44100 / (2 x 16 / 4) = 5512.5 samples a hop: 4 hops a beat, 96 ticks per quarter.
    EXPECT_EQ(std::tuple(read.format, read.trackCount, read.division), std::tuple(0, 1, 96))
        << read.text;
    EXPECT_TRUE(read.hasTempo(500000)) << read.text;
    EXPECT_TRUE(read.containsRun({atStart("Time_signature", {"4", "2", "24", "8"})}));
    EXPECT_TRUE(
        read.containsRun({atStart("Text_t", {"Created by Veltrane(R) MP3 to MIDI Converter"})}));
    // Fine tuning of +8 cents: 8200 = 64 x 128 + 8; bend range two half steps.
    EXPECT_TRUE(read.containsRun(
        {atStart("Control_c", {"0", "6", "64"}), atStart("Control_c", {"0", "38", "8"})}))
        << read.text;
    EXPECT_TRUE(read.containsRun(
        {atStart("Control_c", {"0", "6", "2"}), atStart("Control_c", {"0", "38", "0"})}));
    EXPECT_TRUE(read.hasNote(0, 69)) << read.text;
    EXPECT_TRUE(read.programs.empty()) << "no reservation without Active0";
}

TEST_F(MidiFiles, PartZeroInactiveSendsNoControllers) {
    fs::path wav = makeWav(dir / "sine_440hz.wav", 44100, 16, 1, "1 sine 440");
    convert(wav, "Active0=0\n");
    const auto read = readBack();
    EXPECT_TRUE(read.controllers.empty()) << read.text;
    EXPECT_TRUE(read.programs.empty());
}

TEST_F(MidiFiles, ActivePartGetsProgramAndPanInTheHeader) {
    fs::path wav = makeWav(dir / "sine_440hz.wav", 44100, 16, 1, "1 sine 440");
    convert(wav, "Active0=1\nChannel=3\nPatch=41\n");
    const auto read = readBack();
    EXPECT_TRUE(read.containsRun(
        {atStart("Program_c", {"2", "41"}), atStart("Control_c", {"2", "10", "64"})}))
        << read.text;
    EXPECT_TRUE(read.containsRun({atStart("Control_c", {"2", "101", "0"})}));
}

TEST_F(MidiFiles, CancelledRunLeavesAPlayableFile) {
    fs::path wav = makeWav(dir / "sine_440hz_3s.wav", 44100, 16, 1, "3 sine 440");
    std::string status = convert(wav, "Active0=1\n", "1");
    EXPECT_EQ(statusValue(status), "-1.000");
    readBack();
    auto render =
        runCommand("fluidsynth -ni -q -T wav -F " + shellQuote((dir / "r.wav").string()) +
                   " /usr/share/sounds/sf2/FluidR3_GM.sf2 " + shellQuote(midi.string()) + " 2>&1");
    EXPECT_EQ(render.exitCode, 0) << render.output;
    EXPECT_TRUE(fs::exists(dir / "r.wav"));
}

}  // namespace
}  // namespace velt::engine::test
