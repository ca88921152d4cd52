// The MIDI file reader: events with their ticks and running status, and the refusals of damaged
// files, built byte by byte, none of which may be read past its end.
#include "platform/midi_file/smf_reader.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace velt::platform::smf {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes header(unsigned format, unsigned tracks, unsigned division = 96) {
    return {'M',
            'T',
            'h',
            'd',
            0,
            0,
            0,
            6,
            0,
            static_cast<uint8_t>(format),
            0,
            static_cast<uint8_t>(tracks),
            static_cast<uint8_t>(division >> 8),
            static_cast<uint8_t>(division & 0xFF)};
}

Bytes track(const Bytes& events, int extraLength = 0) {
    size_t length = events.size() + static_cast<size_t>(extraLength);
    Bytes out(8 + events.size());
    const uint8_t head[8] = {'M',
                             'T',
                             'r',
                             'k',
                             0,
                             static_cast<uint8_t>(length >> 16),
                             static_cast<uint8_t>(length >> 8),
                             static_cast<uint8_t>(length & 0xFF)};
    std::copy(head, head + 8, out.begin());
    std::copy(events.begin(), events.end(), out.begin() + 8);
    return out;
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

const Bytes kEnd = {0x00, 0xFF, 0x2F, 0x00};

TEST(SmfReader, EventsWithTicksRunningStatusAndSkippedChunks) {
    Bytes events = join({{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20},  // tempo 500000
                         {0x81, 0x00, 0x90, 60, 100},                 // tick 128
                         {0x10, 64, 90},                              // running status, tick 144
                         {0x00, 0xF0, 0x02, 0x43, 0xF7},              // system exclusive
                         {0x08, 62, 0},                               // running status after it
                         kEnd});
    Bytes bytes = join({header(0, 1), {'X', 'Y', 'Z', 'W', 0, 0, 0, 2, 1, 2}, track(events)});
    File file;
    ASSERT_EQ(read(bytes, file), Refusal::None);
    EXPECT_EQ(file.format, 0);
    EXPECT_EQ(file.division, 96);
    ASSERT_EQ(file.tracks.size(), 1u);
    const auto& t = file.tracks[0];
    ASSERT_EQ(t.size(), 6u);
    EXPECT_EQ(tempoOf(t[0]), 500000u);
    EXPECT_EQ(t[1].tick, 128u);
    EXPECT_EQ(t[2].tick, 144u);
    EXPECT_EQ(t[2].status, 0x90);
    EXPECT_EQ(t[2].data, (Bytes{64, 90}));
    EXPECT_EQ(t[3].status, 0xF0);
    EXPECT_EQ(t[4].status, 0x90);
    EXPECT_EQ(t[4].tick, 152u);
    EXPECT_EQ(t[5].meta, 0x2F);
}

TEST(SmfReader, RefusesDamagedFilesWithoutReadingPastTheirEnd) {
    const Bytes notes = join({{0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0}, kEnd});
    const Bytes good = join({header(1, 1), track(notes)});
    File file;
    ASSERT_EQ(read(good, file), Refusal::None);
    // Every cut of the good file is refused; each copy is exactly as long as the cut, so a read
    // past it would show under a memory checker.
    for (size_t cut = 0; cut < good.size(); ++cut) {
        SCOPED_TRACE(cut);
        Bytes part(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_NE(read(part, file), Refusal::None);
    }
    struct Case {
        const char* name;
        Bytes bytes;
        Refusal refusal;
    } cases[] = {
        {"0-byte file", {}, Refusal::NotMidi},
        {"not MThd", join({{'R', 'I', 'F', 'F'}, Bytes(30, 0)}), Refusal::NotMidi},
        {"format 2", join({header(2, 1), track(notes)}), Refusal::Format},
        {"SMPTE division", join({header(1, 1, 0xE728), track(notes)}), Refusal::Smpte},
        {"track length past the end", join({header(0, 1), track(notes, 1)}), Refusal::NotMidi},
        {"huge track length", join({header(0, 1), track(notes, 0xFFFF00)}), Refusal::NotMidi},
        {"truncated variable-length number", join({header(0, 1), track({0x00, 0xFF, 0x01, 0x8F})}),
         Refusal::NotMidi},
        {"variable-length number over four bytes", join({header(0, 1), track(Bytes(40, 0x80))}),
         Refusal::NotMidi},
        {"meta length past the track",
         join({header(0, 1), track({0x00, 0xFF, 0x01, 0x8F, 0xFF, 0x7F})}), Refusal::NotMidi},
        {"sysex length past the track",
         join({header(0, 1), track(join({{0x00, 0xF0, 0x20, 1}, kEnd}))}), Refusal::NotMidi},
        {"running status with no status",
         join({header(0, 1), track(join({{0x00, 60, 100}, kEnd}))}), Refusal::NotMidi},
        {"no end of track", join({header(0, 1), track({0x00, 0x90, 60, 100})}), Refusal::NotMidi},
        {"more tracks than the file holds", join({header(1, 3), track(kEnd)}), Refusal::NotMidi},
        {"no tracks at all", join({header(0, 0), track(kEnd)}), Refusal::NotMidi},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(read(c.bytes, file), c.refusal);
    }
}

TEST(SmfReader, ReadsAFormatOneFileWrittenByCsvmidi) {
    test::TempDir dir;
    test::writeFile(dir / "m.csv",
                    "0, 0, Header, 1, 2, 480\n"
                    "1, 0, Start_track\n1, 0, Tempo, 500000\n1, 960, Tempo, 250000\n"
                    "1, 960, End_track\n"
                    "2, 0, Start_track\n2, 0, Program_c, 2, 40\n2, 0, Note_on_c, 2, 60, 90\n"
                    "2, 480, Note_on_c, 2, 60, 0\n2, 1440, Note_off_c, 2, 64, 0\n"
                    "2, 1440, End_track\n0, 0, End_of_file\n");
    auto run = test::runCommand("csvmidi " + test::shellQuote((dir / "m.csv").string()) + " " +
                                test::shellQuote((dir / "m.mid").string()));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    File file;
    ASSERT_EQ(readFile(dir / "m.mid", file), Refusal::None);
    EXPECT_EQ(file.format, 1);
    EXPECT_EQ(file.division, 480);
    ASSERT_EQ(file.tracks.size(), 2u);
    EXPECT_EQ(tempoOf(file.tracks[0][1]), 250000u);
    EXPECT_EQ(file.tracks[0][1].tick, 960u);
    EXPECT_EQ(file.tracks[1].back().tick, 1440u);
    EXPECT_EQ(readFile(dir / "missing.mid", file), Refusal::NotMidi);
}

}  // namespace
}  // namespace velt::platform::smf
