#include "tempo/onset_scan.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

#include "run_outcomes.h"

namespace velt::engine {

namespace {

int frameBytes(const OnsetScanParams& params) {
    return params.channels * (params.bitsPerSample / 8);
}

// One channel's sample on the 16-bit scale: wider samples keep their top two bytes.
int sampleAt(const uint8_t* at, int bytesPerSample) {
    if (bytesPerSample == 1) return (static_cast<int>(at[0]) - 128) * 256;
    const uint8_t* top = at + bytesPerSample - 2;
    return static_cast<int16_t>(static_cast<uint16_t>(top[0] | (top[1] << 8)));
}

int magnitudeAt(const uint8_t* frame, const OnsetScanParams& params) {
    const int width = params.bitsPerSample / 8;
    const int left = sampleAt(frame, width);
    if (params.channels == 1) return std::abs(left);
    const int right = sampleAt(frame + width, width);
    return std::abs((right * params.stereoPan + left * (100 - params.stereoPan)) / 100);
}

}  // namespace

int64_t OnsetStepBytes(const OnsetScanParams& params) {
    const int decimation = std::max(1, params.sampleRate / kTempoFrameRate);
    return static_cast<int64_t>(decimation) * frameBytes(params);
}

int64_t BytesToTempoFrames(const OnsetScanParams& params, int64_t bytes) {
    const int64_t frames = bytes / frameBytes(params);
    return frames * kTempoFrameRate / params.sampleRate;
}

int64_t TempoFramesToBytes(const OnsetScanParams& params, int64_t frames) {
    int64_t sampleFrames;
    if (params.sampleRate % kTempoFrameRate == 0) {
        sampleFrames = frames * (params.sampleRate / kTempoFrameRate);
    } else {
        sampleFrames =
            std::llround(static_cast<double>(frames) * params.sampleRate / kTempoFrameRate);
    }
    return sampleFrames * frameBytes(params);
}

OnsetScanResult ScanOnsets(const OnsetScanParams& params, AudioByteSource& source) {
    OnsetScanResult result;
    const int64_t step = OnsetStepBytes(params);
    const int64_t chunkBytes = step * kStepsPerChunk;

    std::vector<uint8_t> chunk;
    try {
        chunk.resize(static_cast<size_t>(chunkBytes));
    } catch (const std::bad_alloc&) {
        result.failure = outcome::kTempoChunkNotAllocated.detail;
        return result;
    }

    int previousPeak = 0;
    for (int64_t p = std::max(params.startByte, params.dataOffset); p < params.endByte - chunkBytes;
         p += chunkBytes) {
        if (!source.seek(p)) {
            result.failure = outcome::kTempoSeekFailed.detail;
            return result;
        }
        if (!source.read(chunk.data(), chunk.size())) {
            result.failure = outcome::kTempoReadFailed.detail;
            return result;
        }
        int peak = -1;
        int64_t peakOffset = 0;
        for (int64_t offset = 0; offset < chunkBytes; offset += step) {
            const int magnitude = magnitudeAt(chunk.data() + offset, params);
            if (magnitude > peak) {
                peak = magnitude;
                peakOffset = offset;
            }
        }
        if (peak > params.inputThreshold && previousPeak < peak / 2) {
            result.onsets.push_back(static_cast<int32_t>(
                BytesToTempoFrames(params, peakOffset + p - params.dataOffset)));
        }
        previousPeak = peak;
    }
    return result;
}

}  // namespace velt::engine
