// Block input: one analysis block of the audio file into the sample buffer, stereo mixed to one
// channel by the stereo balance and scaled by the normaliser or the compressor, and its peak.
//
// Sample formats: 8-bit unsigned (128 = zero, scaled by 256); 16-, 24- and 32-bit signed
// little-endian, of which only the two most significant bytes are used (a 16-bit value).
// Stereo: (pan x right + (100 - pan) x left) / 100, truncated toward zero.
#pragma once

#include <cstdint>
#include <cstdio>
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

// Where the samples lie in the audio file and how much one block is.
struct BlockLayout {
    int64_t dataOffset = 0;  // bytes: file offset of the first sample byte
    int64_t endOfData = 0;   // bytes: file offset just past the sample data
    int blockLength = 0;     // samples (frames) per block
    int64_t blockBytes = 0;  // bytes per block: blockLength x bytes per frame
    SampleFormat format;     // channels, bits per sample, stereo balance
};

// How a block is scaled once read.
struct BlockScaling {
    int inputThreshold = 384;  // peak (16-bit units) at or below which a block stays unscaled
    bool compress = false;     // scale by the compressor's gain instead of the normaliser
    double normaliser = 1;     // gain without the compressor: 32767 / the largest block peak
};

// Reads the block at byte position of file into samples[1..blockLength] (samples[0] unused;
// samples holds at least blockLength + 1 values) through buffer (grown to blockBytes as needed)
// and returns its peak. Bytes before the data offset and past the end of the data read as
// silence. Seek failure throws StageFailure 2.21, a read failure 2.39.
int ReadFileBlock(std::FILE* file, const BlockLayout& layout, int64_t position,
                  std::vector<unsigned char>& buffer, std::span<int> samples);

// Scales samples[1..] of a block whose peak is above the threshold: by the compressor's gain
// (which pushes the peak into compressorHistory) or by the normaliser. A block at or below the
// threshold is left as read and the history unchanged.
void ScaleBlock(std::span<int> samples, int peak, const BlockScaling& scaling,
                std::span<int, 15> compressorHistory);

// The largest absolute sample of the block at position over every channel (no mixing, no pan);
// 0 for a position before the data offset. Used by the normaliser's pre-scan.
int FileBlockPeak(std::FILE* file, const BlockLayout& layout, int64_t position,
                  std::vector<unsigned char>& buffer);

// The normaliser of the byte range [start, end): 32767 / the largest peak of its whole blocks,
// 1 when there is no sound (or no whole block).
double NormaliserGain(std::FILE* file, const BlockLayout& layout, int64_t start, int64_t end,
                      std::vector<unsigned char>& buffer);

}  // namespace velt::engine
