// The "sequencer" device: a format-1 file with a tempo change reaches the MIDI device at the
// right milliseconds (running status kept, system exclusive skipped), stop, pause and close each
// reset the device, a late start chases the program, and damaged files are refused.
#include <gtest/gtest.h>

#include "mci_fixture.h"

namespace velt::platform::mci {
namespace {

using Kind = midi_out::RecordingMidiOut::Event::Kind;

class Sequencer : public MciTest {
  protected:
    // Track 1: tempo 120 BPM, at tick 192 (1000 ms) 240 BPM. Track 2: program 5 on channel 2,
    // notes at ticks 0, 96, 192, 288, 384 and a system exclusive message between.
    std::filesystem::path tempoChangeFile() {
        return midiFile("tempo",
                        "0, 0, Header, 1, 2, 96\n"
                        "1, 0, Start_track\n1, 0, Tempo, 500000\n1, 192, Tempo, 250000\n"
                        "1, 192, End_track\n"
                        "2, 0, Start_track\n2, 0, Program_c, 1, 5\n"
                        "2, 0, Note_on_c, 1, 60, 90\n2, 96, Note_on_c, 1, 60, 0\n"
                        "2, 96, Note_on_c, 1, 62, 90\n2, 150, System_exclusive, 3, 67, 18, 247\n"
                        "2, 192, Note_on_c, 1, 62, 0\n2, 192, Note_on_c, 1, 64, 90\n"
                        "2, 288, Note_on_c, 1, 64, 0\n2, 384, Note_on_c, 1, 65, 90\n"
                        "2, 384, End_track\n0, 0, End_of_file\n");
    }
    // The messages sent from event `seen` on, each with the ms it arrived at, counted from now,
    // while the clock moves `ms` a millisecond at a time.
    std::vector<std::pair<int64_t, std::vector<uint8_t>>> playFor(int64_t ms, size_t seen) {
        std::vector<std::pair<int64_t, std::vector<uint8_t>>> sent;
        const int64_t start = timing.nowMs();
        auto collect = [&] {
            for (; seen < midi.events.size(); ++seen)
                if (midi.events[seen].kind == Kind::Message)
                    sent.emplace_back(timing.nowMs() - start, midi.events[seen].bytes);
        };
        collect();
        for (int64_t t = 0; t < ms; ++t) {
            timing.advance(1);
            collect();
        }
        return sent;
    }
    std::vector<Kind> kindsSince(size_t from) const {
        std::vector<Kind> kinds;
        for (size_t i = from; i < midi.events.size(); ++i) kinds.push_back(midi.events[i].kind);
        return kinds;
    }
};

TEST_F(Sequencer, AFormatOneFileWithATempoChangeArrivesAtTheRightTimes) {
    auto file = tempoChangeFile();
    ASSERT_EQ(mciSendString("open \"" + file.string() + "\" type sequencer alias masterfile"),
              kMciOk);
    std::string text;
    mciSendString("status masterfile length", text);
    EXPECT_EQ(text, "1500");
    const size_t before = midi.events.size();
    ASSERT_EQ(mciSendString("play masterfile"), kMciOk);
    auto sent = playFor(1600, before);
    using Bytes = std::vector<uint8_t>;
    const std::vector<std::pair<int64_t, Bytes>> expected = {
        {0, {0xC1, 5}},        {0, {0x91, 60, 90}},    {500, {0x91, 60, 0}},
        {500, {0x91, 62, 90}}, {1000, {0x91, 62, 0}},  {1000, {0x91, 64, 90}},
        {1250, {0x91, 64, 0}}, {1500, {0x91, 65, 90}},
    };
    EXPECT_EQ(sent, expected);
    mciSendString("status masterfile mode", text);
    EXPECT_EQ(text, "stopped") << "the sequence ended by itself";
    // The end closed the device after a reset, so the metronome can have it.
    EXPECT_EQ(midi.events.back().kind, Kind::Close);
    EXPECT_EQ(midi.events[midi.events.size() - 2].kind, Kind::Reset);
}

TEST_F(Sequencer, StopPauseAndCloseEachReset) {
    auto file = tempoChangeFile();
    ASSERT_EQ(mciSendString("open \"" + file.string() + "\" alias seq"), kMciOk);
    struct Case {
        const char* name;
        std::string command;
        std::vector<Kind> expected;
    } cases[] = {
        {"pause", "pause seq", {Kind::Reset}},
        {"stop", "stop seq", {Kind::Reset, Kind::Close}},
        {"close", "close seq", {Kind::Reset, Kind::Close}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(mciSendString("play seq from 0"), kMciOk);
        timing.advance(600);
        const size_t before = midi.events.size();
        ASSERT_EQ(mciSendString(c.command), kMciOk);
        EXPECT_EQ(kindsSince(before), c.expected);
        timing.advance(2000);
        EXPECT_EQ(midi.events.size(), before + c.expected.size()) << "nothing sent afterwards";
    }
    EXPECT_EQ(mciSendString("play seq"), kMciAliasNotOpen);
}

TEST_F(Sequencer, PauseKeepsThePlaceAndALateStartChasesTheProgram) {
    auto file = tempoChangeFile();
    ASSERT_EQ(mciSendString("open \"" + file.string() + "\" alias seq"), kMciOk);
    ASSERT_EQ(mciSendString("play seq"), kMciOk);
    timing.advance(700);
    ASSERT_EQ(mciSendString("pause seq"), kMciOk);
    timing.advance(5000);
    std::string text;
    mciSendString("status seq position", text);
    EXPECT_EQ(text, "700");
    ASSERT_EQ(mciSendString("resume seq"), kMciOk);
    auto sent = playFor(301, midi.events.size());
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].first, 300) << "the note at 1000 ms comes 300 ms after resuming at 700";
    ASSERT_EQ(mciSendString("stop seq"), kMciOk);

    const size_t before = midi.events.size();
    ASSERT_EQ(mciSendString("play seq from 1100 to 1300"), kMciOk);
    sent = playFor(250, before);
    using Bytes = std::vector<uint8_t>;
    const std::vector<std::pair<int64_t, Bytes>> expected = {{0, {0xC1, 5}}, {150, {0x91, 64, 0}}};
    EXPECT_EQ(sent, expected) << "the program in force, no old notes, nothing past 1300 ms";
}

TEST_F(Sequencer, DamagedFilesAreRefused) {
    using Bytes = std::string;
    const Bytes header0 = Bytes("MThd\0\0\0\6\0\0\0\1\0\x60", 14);
    const Bytes end = Bytes("\0\xFF\x2F\0", 4);
    auto track = [](const Bytes& events, size_t extra = 0) {
        size_t n = events.size() + extra;
        return Bytes("MTrk\0", 5) + static_cast<char>(n >> 16) + static_cast<char>(n >> 8) +
               static_cast<char>(n) + events;
    };
    struct Case {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"0-byte file", ""},
        {"truncated variable-length number", header0 + track(Bytes("\0\xFF\1\x8F", 4))},
        {"track length past the end", header0 + track(end, 10)},
        {"SMPTE division", Bytes("MThd\0\0\0\6\0\0\0\1\xE7\x28", 14) + track(end)},
        {"format 2", Bytes("MThd\0\0\0\6\0\2\0\1\0\x60", 14) + track(end)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto file = dir / "damaged.mid";
        test::writeFile(file, c.bytes);
        EXPECT_EQ(mciSendString("open \"" + file.string() + "\" type sequencer alias bad"),
                  kMciInvalidFile);
    }
    EXPECT_TRUE(midi.events.empty()) << "nothing reached the device";
}

}  // namespace
}  // namespace velt::platform::mci
