// Block input: one analysis block of the audio file into the sample buffer, stereo mixed to one
// channel by the stereo balance and scaled by the normaliser or the compressor, and its peak.
//
// Sample formats: 8-bit unsigned (128 = zero, scaled by 256); 16-, 24- and 32-bit signed
// little-endian, of which only the two most significant bytes are used (a 16-bit value).
// Stereo: (pan x right + (100 - pan) x left) / 100, truncated toward zero.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace velt::engine {

struct SampleFormat {
    int channels = 1;        // 1 or 2
    int bitsPerSample = 16;  // 8, 16, 24 or 32
    int stereoPan = 50;      // weight of the right channel in percent
};

// One sample of one channel as a 16-bit value.
int DecodeSample(const unsigned char* bytes, int bitsPerSample);

// Converts the whole sample frames of bytes into out[1], out[2], ... (out[0] unused) and returns
// the block's peak (largest absolute converted value). out must hold frames + 1 values.
int ConvertFrames(std::span<const unsigned char> bytes, const SampleFormat& format,
                  std::span<int> out);

// The compressor's gain for a block whose peak was just pushed into its history (newest first):
// 32767 / (0.5 x the sum of history[i] / 2^i).
double CompressorGain(std::span<int, 15> history, int peak);

// Reads the block at byte position of the audio file into the run's sample buffer, scales it and
// returns its peak before scaling. Bytes before the data offset and past the end of the data read
// as silence. Seek failure: outcome 2.21; read failure: 2.39. A live run reads the newest
// captured samples instead (position unused).
int ReadBlock(int64_t position);

// The largest absolute sample of the block at position over every channel (no mixing, no pan);
// 0 for a position before the data offset. Used by the normaliser's pre-scan.
int BlockPeak(int64_t position);

}  // namespace velt::engine
