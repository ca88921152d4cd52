// The MIDI reader of the tests on a small file written byte by byte: overlapping notes of one
// key, note-ons of velocity 0 as note-offs, running status, several channels and tracks, the meta
// events and the channel messages the checks read; and midicsv's failures as test failures.
#include "midicsv_reader.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <utility>

#include "requirements.h"
#include "test_support.h"

namespace velt::test {
namespace {

using Bytes = std::vector<unsigned char>;

void append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

void appendBigEndian(Bytes& out, unsigned value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// A track chunk from its events, each a delta time in ticks and the event's bytes as they are
// written (a channel message without its status byte uses the running status).
Bytes track(const std::vector<std::pair<unsigned, Bytes>>& events) {
    Bytes body;
    for (const auto& [delta, event] : events) {
        Bytes quantity{static_cast<unsigned char>(delta & 0x7F)};
        for (unsigned rest = delta >> 7; rest != 0; rest >>= 7)
            quantity.insert(quantity.begin(), static_cast<unsigned char>(0x80 | (rest & 0x7F)));
        append(body, quantity);
        append(body, event);
    }
    Bytes chunk{'M', 'T', 'r', 'k'};
    appendBigEndian(chunk, static_cast<unsigned>(body.size()), 4);
    append(chunk, body);
    return chunk;
}

// Format 1, two tracks, 96 ticks a quarter.
Bytes smallFile() {
    Bytes file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0, 96};
    append(file,
           track({
               {0, {0xFF, 0x51, 3, 0x07, 0xA1, 0x20}},  // 500000 us a quarter
               {0, {0xFF, 0x58, 4, 3, 2, 24, 8}},       // 3/4
               {0, {0xFF, 0x59, 2, 0xFE, 1}},           // two flats, minor
               {0, {0xFF, 0x01, 12, 's', 'a', 'y', ' ', '"', 'h', 'i', '"', ',', ' ', '\\', 0xE9}},
               {0, {0xC0, 5}},
               {0, {0xB0, 7, 100}},
               {0, {0x90, 60, 80}},                      // the first of two overlapping 60s
               {0, {62, 81}},                            // running status from here on
               {24, {60, 70}},                           // the second 60
               {24, {60, 0}},                            // ends the first
               {12, {0x83, 60, 64}},                     // another channel's 60: ends neither
               {36, {0xFF, 0x51, 3, 0x0F, 0x42, 0x40}},  // 1000000 us a quarter
               {0, {0x80, 60, 64}},                      // ends the second 60
               {0, {0x91, 64, 90}},
               {0, {0xE1, 0x00, 0x50}},
               {24, {0xB1, 10, 32}},
               {72, {0x80, 62, 0}},
               {0, {0x81, 64, 0}},
               {8, {0x9F, 36, 100}},  // never ended
               {0, {0xFF, 0x2F, 0}},
           }));
    append(file, track({
                     {0, {0xFF, 0x03, 4, 'b', 'a', 's', 's'}},
                     {0, {0x92, 48, 64}},
                     {10, {48, 0}},
                     {0, {0xC2, 32}},
                     {0, {0xFF, 0x2F, 0}},
                 }));
    return file;
}

class MidicsvReader : public ::testing::Test {
  protected:
    void SetUp() override { VELT_REQUIRE(missingTools({"midicsv"})); }

    std::filesystem::path write(const std::string& name, const Bytes& bytes) {
        const auto file = dir / name;
        writeFile(file, std::string(bytes.begin(), bytes.end()));
        return file;
    }

    TempDir dir;
};

TEST_F(MidicsvReader, NotesEndByChannelAndKeyEarliestFirst) {
    const MidiContents midi = readMidi(write("small.mid", smallFile()));
    ASSERT_TRUE(midi.read) << midi.text;
    EXPECT_EQ(midi.format, 1);
    EXPECT_EQ(midi.trackCount, 2);
    EXPECT_EQ(midi.division, 96);
    // tick, key, velocity, channel, length
    EXPECT_EQ(midi.notes, (std::vector<MidiNote>{{0, 48, 64, 2, 10},
                                                 {0, 60, 80, 0, 48},
                                                 {0, 62, 81, 0, 192},
                                                 {24, 60, 70, 0, 72},
                                                 {96, 64, 90, 1, 96},
                                                 {200, 36, 100, 15, -1}}))
        << midi.text;
    EXPECT_TRUE(midi.hasNote(1, 64));
    EXPECT_FALSE(midi.hasNote(0, 64));
    EXPECT_FALSE(midi.hasNote(3, 60)) << "a note-off alone sounds no note";
    EXPECT_EQ(midi.keys(), (std::set<int>{36, 48, 60, 62, 64}));
    EXPECT_EQ(midi.keysInOrder(), (std::vector<int>{48, 60, 62, 60, 64, 36}));
}

TEST_F(MidicsvReader, MetaEventsAndChannelMessagesInTheFilesOrder) {
    const MidiContents midi = readMidi(write("small.mid", smallFile()));
    ASSERT_TRUE(midi.read) << midi.text;

    ASSERT_EQ(midi.tempos.size(), 2u);
    EXPECT_EQ(std::pair(midi.tempos[0].tick, midi.tempos[0].microsPerQuarter),
              std::pair(0L, 500000L));
    EXPECT_EQ(std::pair(midi.tempos[1].tick, midi.tempos[1].microsPerQuarter),
              std::pair(96L, 1000000L));
    EXPECT_TRUE(midi.hasTempo(1000000));
    EXPECT_FALSE(midi.hasTempo(600000));
    // Half a second a quarter up to tick 96, a second after it.
    EXPECT_DOUBLE_EQ(midi.seconds(48), 0.25);
    EXPECT_DOUBLE_EQ(midi.seconds(96), 0.5);
    EXPECT_DOUBLE_EQ(midi.seconds(192), 1.5);

    ASSERT_EQ(midi.timeSignatures.size(), 1u);
    const MidiTimeSignature& metre = midi.timeSignatures[0];
    EXPECT_EQ(std::tuple(metre.numerator, metre.denominatorPower, metre.clocksPerClick,
                         metre.thirtySecondsPerQuarter),
              std::tuple(3, 2, 24, 8));
    ASSERT_EQ(midi.keySignatures.size(), 1u);
    EXPECT_EQ(midi.keySignatures[0].sharps, -2);
    EXPECT_EQ(midi.keySignatures[0].mode, "minor");

    ASSERT_EQ(midi.programs.size(), 2u);
    EXPECT_EQ(std::tuple(midi.programs[0].tick, midi.programs[0].channel, midi.programs[0].program),
              std::tuple(0L, 0, 5));
    EXPECT_EQ(std::tuple(midi.programs[1].tick, midi.programs[1].channel, midi.programs[1].program),
              std::tuple(10L, 2, 32));
    ASSERT_EQ(midi.controllers.size(), 2u);
    const MidiController& pan = midi.controllers[1];
    EXPECT_EQ(std::tuple(pan.tick, pan.channel, pan.controller, pan.value),
              std::tuple(120L, 1, 10, 32));
    ASSERT_EQ(midi.pitchBends.size(), 1u);
    EXPECT_EQ(
        std::tuple(midi.pitchBends[0].tick, midi.pitchBends[0].channel, midi.pitchBends[0].value),
        std::tuple(96L, 1, 0x50 << 7));

    // Texts come unquoted: the quotes, the comma, the backslash and a byte above ASCII.
    EXPECT_TRUE(midi.containsRun({{1, 0, "Text_t", {"say \"hi\", \\\xE9"}}})) << midi.text;
    EXPECT_TRUE(midi.containsRun({{2, 0, "Title_t", {"bass"}}})) << midi.text;
    EXPECT_TRUE(midi.containsRun(
        {{1, 96, "Note_on_c", {"1", "64", "90"}}, {1, 96, "Pitch_bend_c", {"1", "10240"}}}));
    EXPECT_FALSE(midi.containsRun(
        {{1, 96, "Pitch_bend_c", {"1", "10240"}}, {1, 96, "Note_on_c", {"1", "64", "90"}}}));
    EXPECT_EQ(midi.count("Note_off_c"), 4u);
    EXPECT_EQ(midi.count("End_track"), 2u);
}

TEST_F(MidicsvReader, WhatMidicsvRefusesFailsTheTestWithItsMessage) {
    const auto garbage = write("garbage.mid", Bytes{'n', 'o', 't', ' ', 'M', 'I', 'D', 'I'});
    const auto missing = dir / "missing.mid";
    struct Case {
        std::filesystem::path file;
        const char* message;
    };
    for (const Case& c : {Case{garbage, "is not a Standard MIDI File"}, Case{missing, "Unable"}}) {
        SCOPED_TRACE(c.file);
        MidiContents midi;
        EXPECT_NONFATAL_FAILURE(midi = readMidi(c.file), c.message);
        EXPECT_FALSE(midi.read);
        EXPECT_TRUE(midi.notes.empty());
    }
}

}  // namespace
}  // namespace velt::test
