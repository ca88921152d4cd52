// Fixtures shared by the tempo tests: audio held in memory behind the tempo scan's byte access,
// PCM built from click positions, and onset lists of steady beats.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "tempo/audio_byte_source.h"

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

}  // namespace velt::engine::testing
