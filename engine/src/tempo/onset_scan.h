// Onset scan: one pass over the audio at a reduced rate that turns level peaks into onset times.
//
// The audio is walked in chunks of 470 steps, a step being D sample frames with
// D = trunc(rate / 11025) (at least 1), so a chunk lasts about 43 ms. Each chunk's largest sample
// magnitude is its peak; a chunk is an onset when its peak exceeds the input threshold and the
// previous chunk's peak is below half of it. The onset time is the position of the peak.
//
// Times are in tempo frames: frames of an 11025 Hz clock counted from the first sample of the data.
// For rates that are whole multiples of 11025 a tempo frame is exactly one step; other rates
// (48000, 8000, ...) are converted by their true rate so that periods and tempi stay right.
//
// Samples are read as the block reader reads them: 8-bit unsigned as (byte - 128) x 256, wider
// samples by their two most significant bytes, stereo mixed by the pan weights with integer
// division. Silence (every peak at or below the threshold) gives no onsets.
#pragma once

#include <cstdint>
#include <vector>

#include "tempo/audio_byte_source.h"

namespace velt::engine {

constexpr int kTempoFrameRate = 11025;  // tempo frames per second
constexpr int kStepsPerChunk = 470;

struct OnsetScanParams {
    int sampleRate = 44100;    // Hz
    int channels = 1;          // 1 or 2
    int bitsPerSample = 16;    // 8, 16, 24 or 32
    int stereoPan = 50;        // 0..100, weight of the right channel in percent
    int inputThreshold = 384;  // 0..32767, on the 16-bit scale
    int64_t dataOffset = 0;    // byte offset of the first sample
    int64_t startByte = 0;     // first byte of the analysed range
    int64_t endByte = 0;       // end of the analysed range
};

struct OnsetScanResult {
    int failure = 0;              // 0, or the detail of outcome type 2 (37 seek, 38 read)
    std::vector<int32_t> onsets;  // tempo frames, increasing, at most one per chunk
};

// Bytes from one step to the next: D sample frames.
int64_t OnsetStepBytes(const OnsetScanParams& params);

// Tempo frames between the first data sample and the byte at dataOffset + bytes (bytes >= 0).
int64_t BytesToTempoFrames(const OnsetScanParams& params, int64_t bytes);

// Bytes from the first data sample to the sample frame nearest a tempo-frame time (may be < 0).
int64_t TempoFramesToBytes(const OnsetScanParams& params, int64_t frames);

OnsetScanResult ScanOnsets(const OnsetScanParams& params, AudioByteSource& source);

}  // namespace velt::engine
