// Fixtures shared by the tempo tests: audio held in memory behind the tempo scan's byte access,
// PCM built from click positions, and onset lists of steady beats.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tempo/audio_byte_source.h"
#include "test_support.h"

namespace velt::engine::testing {

// Bytes in memory; seeks and reads can be made to fail.
class MemoryByteSource : public AudioByteSource {
  public:
    explicit MemoryByteSource(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    bool seek(int64_t position) override {
        ++seeks;
        if (failSeek || position < 0 || position > static_cast<int64_t>(bytes_.size())) {
            return false;
        }
        position_ = position;
        return true;
    }
    bool read(uint8_t* into, size_t count) override {
        ++reads;
        if (failRead ||
            position_ + static_cast<int64_t>(count) > static_cast<int64_t>(bytes_.size())) {
            return false;
        }
        std::memcpy(into, bytes_.data() + position_, count);
        position_ += static_cast<int64_t>(count);
        return true;
    }

    bool failSeek = false;
    bool failRead = false;
    int seeks = 0;
    int reads = 0;

  private:
    std::vector<uint8_t> bytes_;
    int64_t position_ = 0;
};

// 16-bit little-endian mono PCM of `frames` frames, silent but for the given samples.
struct Sample {
    int64_t frame;
    int16_t value;
};
inline std::vector<uint8_t> MonoPcm16(int64_t frames, const std::vector<Sample>& samples) {
    std::vector<uint8_t> bytes(static_cast<size_t>(frames * 2), 0);
    for (const Sample& s : samples) {
        const auto v = static_cast<uint16_t>(s.value);
        bytes[static_cast<size_t>(s.frame * 2)] = static_cast<uint8_t>(v & 0xFF);
        bytes[static_cast<size_t>(s.frame * 2 + 1)] = static_cast<uint8_t>(v >> 8);
    }
    return bytes;
}

// Onset times (tempo frames, 11025 per second) of `count` beats at `bpm` from `first`.
inline std::vector<int32_t> SteadyBeats(double bpm, int count, int32_t first = 1000) {
    std::vector<int32_t> onsets;
    for (int i = 0; i < count; ++i) {
        onsets.push_back(first + static_cast<int32_t>(i * 11025 * 60 / bpm));
    }
    return onsets;
}

// One note of a bar: where it starts and how long it lasts in beats, its key and velocity.
struct BarNote {
    double beat, length;
    int key, velocity;
};

// Renders `bars` bars of a one-bar piano figure at `bpm` with fluidsynth into base + "." + type
// (type "raw": 16-bit stereo PCM at 44.1 kHz, or "wav"); returns the rendered file.
inline std::filesystem::path RenderBars(const std::filesystem::path& base, const std::string& type,
                                        double bpm, int beatsPerBar, int bars,
                                        const std::vector<BarNote>& figure) {
    using velt::test::runCommand;
    using velt::test::shellQuote;
    struct Event {
        int tick, on, key, velocity;
    };
    std::vector<Event> events;
    for (int bar = 0; bar < bars; ++bar) {
        for (const BarNote& n : figure) {
            const int tick = static_cast<int>((bar * beatsPerBar + n.beat) * 480);
            events.push_back({tick, 1, n.key, n.velocity});
            events.push_back({tick + static_cast<int>(n.length * 480), 0, n.key, 0});
        }
    }
    std::sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.on < b.on;
    });
    std::ostringstream csv;
    csv << "0, 0, Header, 0, 1, 480\n1, 0, Start_track\n"
        << "1, 0, Tempo, " << static_cast<int>(60000000 / bpm) << "\n1, 0, Program_c, 0, 0\n";
    for (const Event& e : events) {
        csv << "1, " << e.tick << (e.on ? ", Note_on_c, 0, " : ", Note_off_c, 0, ") << e.key << ", "
            << e.velocity << "\n";
    }
    csv << "1, " << (bars * beatsPerBar + 2) * 480 << ", End_track\n0, 0, End_of_file\n";
    const std::filesystem::path csvFile = base.string() + ".csv";
    const std::filesystem::path midiFile = base.string() + ".mid";
    const std::filesystem::path audioFile = base.string() + "." + type;
    velt::test::writeFile(csvFile, csv.str());

    const std::string midi = shellQuote(midiFile.string());
    const auto made = runCommand("csvmidi " + shellQuote(csvFile.string()) + " " + midi + " 2>&1");
    EXPECT_EQ(made.exitCode, 0) << made.output;
    const auto rendered = runCommand("fluidsynth -ni -g 0.6 -r 44100 -T " + type + " -O s16 -F " +
                                     shellQuote(audioFile.string()) +
                                     " /usr/share/sounds/sf2/FluidR3_GM.sf2 " + midi + " 2>&1");
    EXPECT_EQ(rendered.exitCode, 0) << rendered.output;
    return audioFile;
}

// Waltz: bass and melody on 1, chords on 2 and 3, a melody eighth after 2.
inline const std::vector<BarNote> kWaltz = {
    {0, 0.25, 48, 120},   {0, 0.25, 76, 110}, {1, 0.25, 64, 80}, {1, 0.25, 67, 80},
    {1.5, 0.25, 74, 100}, {2, 0.25, 64, 80},  {2, 0.25, 67, 80}};
// March: bass on 1 and 3, chords on 2 and 4, melody on 1 and 3 with an eighth after each.
inline const std::vector<BarNote> kMarch = {
    {0, 0.25, 48, 120}, {0, 0.25, 72, 110}, {0.5, 0.25, 74, 100}, {1, 0.25, 64, 80},
    {1, 0.25, 67, 80},  {2, 0.25, 43, 120}, {2, 0.25, 76, 110},   {2.5, 0.25, 74, 100},
    {3, 0.25, 64, 80},  {3, 0.25, 67, 80}};

}  // namespace velt::engine::testing
