#include "audio/block_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "run_state.h"

namespace velt::engine {

int DecodeSample(const unsigned char* bytes, int bitsPerSample) {
    switch (bitsPerSample) {
        case 8:
            return (int(bytes[0]) - 128) * 256;
        case 16:
            return int16_t(bytes[0] | (bytes[1] << 8));
        case 24:
            return int16_t(bytes[1] | (bytes[2] << 8));
        default:
            return int16_t(bytes[2] | (bytes[3] << 8));
    }
}

int ConvertFrames(std::span<const unsigned char> bytes, const SampleFormat& format,
                  std::span<int> out) {
    const size_t sampleBytes = size_t(format.bitsPerSample / 8);
    const size_t frameBytes = sampleBytes * size_t(format.channels);
    const size_t frames = std::min(bytes.size() / frameBytes, out.size() - 1);
    const int pan = format.stereoPan;
    int peak = 0;
    for (size_t i = 0; i < frames; ++i) {
        const unsigned char* frame = bytes.data() + i * frameBytes;
        int value = DecodeSample(frame, format.bitsPerSample);
        if (format.channels == 2) {
            int right = DecodeSample(frame + sampleBytes, format.bitsPerSample);
            value = (pan * right + (100 - pan) * value) / 100;
        }
        out[i + 1] = value;
        peak = std::max(peak, std::abs(value));
    }
    return peak;
}

double CompressorGain(std::span<int, 15> history, int peak) {
    std::copy_backward(history.begin(), history.end() - 1, history.end());
    history[0] = peak;
    double sum = 0;
    double weight = 1;
    for (int entry : history) {
        sum += entry * weight;
        weight /= 2;
    }
    return 32767.0 / (0.5 * sum);
}

namespace {

void seekOrFail(std::FILE* file, int64_t position) {
    if (fseeko(file, position, SEEK_SET) != 0) FinishRun(2, 21);
}

// Reads count bytes at the file's position; a short read past the end of the file leaves zeros
// (the data range is already held to the file's end), an I/O error ends the run.
void readOrFail(std::FILE* file, unsigned char* into, size_t count) {
    size_t got = std::fread(into, 1, count, file);
    if (got < count) {
        if (std::ferror(file)) FinishRun(2, 39);
        std::fill(into + got, into + count, 0);
    }
}

}  // namespace

int ReadBlock(int64_t position) {
    RunState& state = run();
    const Geometry& geo = state.geo;
    const ProjectSettings& settings = state.settings;
    std::vector<unsigned char>& buffer = state.loop.readBuffer;
    std::FILE* file = state.files.audio.get();

    const int64_t n = geo.blockBytes;
    const int64_t origin = geo.dataOffset;
    const int64_t end = geo.endOfData;
    if (buffer.size() < size_t(n)) buffer.resize(size_t(n));
    unsigned char* bytes = buffer.data();

    if (position < origin) {
        int64_t zeros = std::min(origin - position, n);
        std::fill(bytes, bytes + zeros, 0);
        int64_t rest = std::min(n - zeros, std::max<int64_t>(0, end - origin));
        if (rest > 0) {
            seekOrFail(file, origin);
            readOrFail(file, bytes + zeros, size_t(rest));
        }
        std::fill(bytes + zeros + std::max<int64_t>(rest, 0), bytes + n, 0);
    } else if (position + n < end) {
        seekOrFail(file, position);
        readOrFail(file, bytes, size_t(n));
    } else if (position >= end) {
        std::fill(bytes, bytes + n, 0);
    } else {
        int64_t part = end - position;
        seekOrFail(file, position);
        readOrFail(file, bytes, size_t(part));
        std::fill(bytes + part, bytes + n, 0);
    }

    std::vector<int>& samples = state.analysis.samples;
    const int length = geo.blockLength;
    SampleFormat format{geo.channels, geo.bitsPerSample, settings.StereoPan};
    int peak = ConvertFrames(std::span<const unsigned char>(bytes, size_t(n)), format,
                             std::span<int>(samples.data(), size_t(length) + 1));

    if (peak > settings.InputThreshold) {
        double gain = geo.normaliser;
        if (settings.Compress == 1) gain = CompressorGain(state.loop.compressorHistory, peak);
        for (int i = 1; i <= length; ++i) samples[i] = int(samples[i] * gain);
    }
    return peak;
}

int BlockPeak(int64_t position) {
    RunState& state = run();
    const Geometry& geo = state.geo;
    if (position < geo.dataOffset) return 0;
    std::FILE* file = state.files.audio.get();
    std::vector<unsigned char>& buffer = state.loop.readBuffer;
    const int64_t n = std::max<int64_t>(0, std::min(geo.blockBytes, geo.endOfData - position));
    if (buffer.size() < size_t(geo.blockBytes)) buffer.resize(size_t(geo.blockBytes));
    seekOrFail(file, position);
    readOrFail(file, buffer.data(), size_t(n));

    const int sampleBytes = geo.bitsPerSample / 8;
    int peak = 0;
    for (int64_t at = 0; at + sampleBytes <= n; at += sampleBytes) {
        peak = std::max(peak, std::abs(DecodeSample(buffer.data() + at, geo.bitsPerSample)));
    }
    return peak;
}

}  // namespace velt::engine
