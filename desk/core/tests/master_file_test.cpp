// The master-file walk: refusals, channels and first programs, running status, and damaged files
// that must end in a refusal without reading past their end.
#include "desk/core/shared/master_file.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "test_support.h"

namespace velt::desk {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes header(unsigned format, unsigned tracks, unsigned division = 480) {
    return {'M',
            'T',
            'h',
            'd',
            0,
            0,
            0,
            6,
            0,
            static_cast<unsigned char>(format),
            0,
            static_cast<unsigned char>(tracks),
            static_cast<unsigned char>(division >> 8),
            static_cast<unsigned char>(division & 0xFF)};
}

Bytes track(const Bytes& events) {
    Bytes out(8 + events.size());
    const unsigned char head[8] = {'M',
                                   'T',
                                   'r',
                                   'k',
                                   0,
                                   0,
                                   static_cast<unsigned char>(events.size() >> 8),
                                   static_cast<unsigned char>(events.size() & 0xFF)};
    std::copy(head, head + 8, out.begin());
    std::copy(events.begin(), events.end(), out.begin() + 8);
    return out;
}

Bytes file(Bytes head, const std::vector<Bytes>& tracks) {
    for (const auto& t : tracks) head.insert(head.end(), t.begin(), t.end());
    return head;
}

const Bytes kEnd = {0x00, 0xFF, 0x2F, 0x00};

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(MasterFile, RefusesWhatItCannotExtend) {
    const Bytes notes = join({{0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0}, kEnd});
    struct Case {
        const char* name;
        Bytes bytes;
        std::string refusal;
    } cases[] = {
        {"not MThd", join({{'R', 'I', 'F', 'F'}, Bytes(30, 0)}), kNotMidiFile},
        {"shorter than a header", Bytes{'M', 'T', 'h', 'd', 0, 0}, kNotMidiFile},
        {"format 2", file(header(2, 1), {track(notes)}), kFormatRefused},
        {"SMPTE division", file(header(1, 1, 0xE728), {track(notes)}), kSmpteRefused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto result = AnalyseMasterFile(c.bytes);
        EXPECT_FALSE(result.valid);
        EXPECT_EQ(result.refusal, c.refusal);
    }
}

TEST(MasterFile, RecordsChannelsAndFirstPrograms) {
    // Track 1: tempo meta, program 5 then 7 on channel 1, a note with running status, a sysex,
    // channel pressure; track 2: only channel 10 (status 0x99).
    Bytes first = join({{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20},
                        {0x00, 0xC0, 5, 0x00, 0xC0, 7},
                        {0x00, 0x90, 60, 100, 0x10, 64, 90, 0x81, 0x00, 60, 0},
                        {0x00, 0xF0, 0x03, 0x43, 0x12, 0xF7},
                        {0x00, 0xD3, 0x40},
                        kEnd});
    Bytes second = join({{0x00, 0x99, 36, 100, 0x10, 0x89, 36, 0}, kEnd});
    auto result = AnalyseMasterFile(file(header(1, 2), {track(first), track(second)}));
    ASSERT_TRUE(result.valid) << result.refusal;
    for (int ch = 1; ch <= 16; ++ch) {
        SCOPED_TRACE(ch);
        EXPECT_EQ(result.channelUsed[ch], ch == 1 || ch == 4 || ch == 10);
        EXPECT_EQ(result.channelProgram[ch], ch == 1 ? 5 : -1);
    }
}

TEST(MasterFile, ChannelTenOnlyMarksOnlyElementTen) {
    Bytes events = join({{0x00, 0x99, 36, 100, 0x60, 0x99, 36, 0}, kEnd});
    auto result = AnalyseMasterFile(file(header(0, 1), {track(events)}));
    ASSERT_TRUE(result.valid);
    for (int ch = 1; ch <= 16; ++ch) EXPECT_EQ(result.channelUsed[ch], ch == 10) << ch;
}

TEST(MasterFile, DamagedFilesEndInARefusal) {
    const Bytes good =
        file(header(1, 1),
             {track(join({{0x00, 0xC2, 9, 0x00, 0x92, 60, 100, 0x60, 0x82, 60, 0}, kEnd}))});
    ASSERT_TRUE(AnalyseMasterFile(good).valid);
    // Every cut of the good file before its last byte is refused.
    for (size_t cut = 0; cut + 1 < good.size(); ++cut) {
        SCOPED_TRACE(cut);
        EXPECT_FALSE(AnalyseMasterFile(Bytes(good.begin(), good.begin() + cut)).valid);
    }
    struct Case {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"running status with no status",
         file(header(0, 1), {track(join({{0x00, 60, 100}, kEnd}))})},
        {"more tracks than the file holds", file(header(1, 3), {track(kEnd)})},
        {"meta length past the end",
         file(header(0, 1), {track({0x00, 0xFF, 0x01, 0x8F, 0xFF, 0x7F})})},
        {"endless delta time", file(header(0, 1), {track(Bytes(40, 0x80))})},
        {"no end of track", file(header(0, 1), {track({0x00, 0x90, 60, 100})})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto result = AnalyseMasterFile(c.bytes);
        EXPECT_FALSE(result.valid);
        EXPECT_EQ(result.refusal, kNotMidiFile);
    }
}

TEST(MasterFile, ReadsAFileWrittenByCsvmidi) {
    test::TempDir dir;
    test::writeFile(dir / "m.csv",
                    "0, 0, Header, 1, 2, 480\n"
                    "1, 0, Start_track\n1, 0, Tempo, 500000\n1, 0, End_track\n"
                    "2, 0, Start_track\n2, 0, Program_c, 2, 40\n2, 0, Note_on_c, 2, 60, 90\n"
                    "2, 480, Note_on_c, 2, 60, 0\n2, 480, Note_on_c, 2, 64, 90\n"
                    "2, 960, Note_off_c, 2, 64, 0\n2, 960, End_track\n0, 0, End_of_file\n");
    auto run = test::runCommand("csvmidi " + test::shellQuote((dir / "m.csv").string()) + " " +
                                test::shellQuote((dir / "m.mid").string()));
    ASSERT_EQ(run.exitCode, 0);
    auto result = AnalyseMasterFile(test::readBytes(dir / "m.mid"));
    ASSERT_TRUE(result.valid) << result.refusal;
    for (int ch = 1; ch <= 16; ++ch) EXPECT_EQ(result.channelUsed[ch], ch == 3) << ch;
    EXPECT_EQ(result.channelProgram[3], 40);
}

}  // namespace
}  // namespace velt::desk
