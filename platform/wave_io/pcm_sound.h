// A PCM sound held in memory as its file stores it: interleaved little-endian samples of 8
// (unsigned), 16, 24 or 32 bits (signed), mono or stereo, at any rate. Output devices read it
// through sample(), so a long file is held once, in its own size.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace velt::platform {

struct PcmSound {
    int32_t sampleRate = 44100;
    int32_t channels = 2;
    int32_t bitsPerSample = 16;
    std::vector<uint8_t> data;  // whole frames

    int32_t frameBytes() const { return channels * (bitsPerSample / 8); }
    int64_t frames() const {
        return frameBytes() > 0 ? static_cast<int64_t>(data.size()) / frameBytes() : 0;
    }
    // 8/16/24/32 bits, 1 or 2 channels, a rate from 1000 to 192000 Hz.
    bool playable() const;
    // The sample of `channel` in `frame` as -1..1; the caller keeps both in range.
    float sample(int64_t frame, int32_t channel) const;
    // Milliseconds <-> frames at the sound's rate (rounded to the nearest; halves up).
    int64_t framesOfMs(int64_t ms) const;
    int64_t msOfFrames(int64_t frames) const;
};

enum class SoundLoad {
    Ok,
    Missing,      // no such file
    Invalid,      // not a readable WAV file, or its header is cut or inconsistent
    Unsupported,  // a WAV file, but not PCM of a format PcmSound plays
};

// Reads a PCM WAV file (platform/wav's chunk walk) into `out`: its format and its whole frames.
SoundLoad loadWav(const std::filesystem::path& file, PcmSound& out);

}  // namespace velt::platform
