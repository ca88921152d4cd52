// The head of a PCM wave file as the converter judges it: the first 4132 bytes, the RIFF and WAVE
// tags recognised by their byte sums, the first "fmt " and "data" texts taken as the chunks (their
// order and sizes are not followed), and what the converter cannot take.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velt::desk {

// What the head says about the file, in the order the checks run.
enum class WaveVerdict {
    Accepted,
    Unreadable,  // no regular file, fields beyond the bytes read, or no rate or block size
    NotWave,     // no RIFF/WAVE tags, no "fmt " or no "data"
    Compressed,  // not uncompressed PCM
    Tracks,      // not 1 or 2 channels
    Bits,        // not 8, 16, 24 or 32 bits per sample
    TooShort,    // less than the engine's shortest analysis window of samples (0.04269 s)
};

struct WaveHead {
    static constexpr int kHeaderBytes = 4132;
    std::vector<int32_t> bytes =
        std::vector<int32_t>(kHeaderBytes + 1, 0);  // 1-based, 0 past the end
    int32_t got = 0;                                // bytes read
    bool tagsRead = false;    // the file could be read: the tag sums and the RIFF size are set
    bool formatRead = false;  // the format fields are set
    int32_t riffTagSum = 0;
    int32_t riffSize = 0;
    int32_t waveTagSum = 0;
    int32_t fmtSize = 0;
    int32_t formatTag = 0;  // an extensible header with the PCM subformat reads 1
    int32_t channelCount = 0;
    int32_t sampleRate = 0;
    int32_t byteRate = 0;
    int32_t blockAlign = 0;
    int32_t bitsPerSample = 0;
    int64_t usableBytes = 0;  // RiffSize - D - 115, D the 1-based position of "data"
    WaveVerdict verdict = WaveVerdict::Unreadable;

    // Little-endian 16- and 32-bit values at 1-based byte i; a top byte of 128 or more reads
    // negative.
    int32_t cvI(int32_t i) const;
    int32_t cvL(int32_t i) const;
};

WaveHead ReadWaveHead(const std::string& file);

}  // namespace velt::desk
