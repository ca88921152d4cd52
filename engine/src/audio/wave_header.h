// The WAV header: where the format is and where the samples lie. The chunks within the first
// 4,132 bytes of the file are walked for "fmt " and "data" in any order; when the walk finds no
// way through, those bytes are searched for the two tags instead. A file that does not start
// with RIFF....WAVE is raw PCM whose format the project gives.
//
// Sample range: the first sample byte is 32 bytes after the "data" tag and the range ends 74 bytes
// before the RIFF size (the offsets every canonical 44-byte-header file has always been read
// with); the end is also held to the end of the "data" chunk and the end of the file, so chunks
// after the audio are not analysed and an unfinished recording (RIFF size 0xFFFFFFFF, 0 or
// ending before the end of the data chunk; data size 0; truncated body) still converts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>

namespace velt::engine {

constexpr size_t kWaveHeaderWindow = 4132;  // bytes searched for the tags

struct WaveHeader {
    int outcomeType = 0;  // 0, or the outcome that ends the run (with outcomeDetail)
    int outcomeDetail = 0;
    bool riff = false;  // false: raw PCM, the project's Tracks, Rate and BitsPerSample apply
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    int64_t dataOffset = 0;
    int64_t dataLength = 0;
    int64_t endOfData = 0;
};

// Reads the header from the first bytes of a file of fileSize bytes (window: the first
// kWaveHeaderWindow bytes; a shorter window gives outcome 2.16).
WaveHeader ParseWaveHeader(std::span<const unsigned char> window, int64_t fileSize);

// Reads the header of an audio file open at its start (the file is left at its end). A file
// whose size cannot be told throws StageFailure 2.16, a header that ParseWaveHeader refuses its
// outcome (2.16, 4.43, 4.17 or 4.18).
WaveHeader ReadWaveFileHeader(std::FILE* file);

}  // namespace velt::engine
