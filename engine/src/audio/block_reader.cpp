#include "audio/block_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "run_outcomes.h"

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

namespace {

// The conversion loop for one sample format, so that the compiler can specialise and vectorise
// it: a block is converted again for every hop, which makes this loop part of the engine's
// inner cost.
template <int Bits>
inline int decode(const unsigned char* bytes) {
    if constexpr (Bits == 8) {
        return (int(bytes[0]) - 128) * 256;
    } else {
        constexpr int high = Bits / 8 - 1;  // the two most significant bytes
        return int16_t(bytes[high - 1] | (bytes[high] << 8));
    }
}

template <int Bits, int Channels>
[[gnu::always_inline]] inline int convertFrames(const unsigned char* bytes, size_t frames, int pan,
                                                int* out) {
    constexpr size_t sampleBytes = Bits / 8;
    constexpr size_t frameBytes = sampleBytes * Channels;
    int peak = 0;
    for (size_t i = 0; i < frames; ++i) {
        const unsigned char* frame = bytes + i * frameBytes;
        int value = decode<Bits>(frame);
        if constexpr (Channels == 2) {
            int right = decode<Bits>(frame + sampleBytes);
            value = (pan * right + (100 - pan) * value) / 100;
        }
        out[i + 1] = value;
        peak = std::max(peak, std::abs(value));
    }
    return peak;
}

template <int Bits>
[[gnu::always_inline]] inline int convertFrames(const unsigned char* bytes, size_t frames,
                                                int channels, int pan, int* out) {
    return channels == 2 ? convertFrames<Bits, 2>(bytes, frames, pan, out)
                         : convertFrames<Bits, 1>(bytes, frames, pan, out);
}

// 16-bit audio, the common case, also compiled for wider instruction sets (the stereo mix
// divides by 100, which vectorises only from SSE4.1 on).
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
__attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#endif
int convert16(const unsigned char* bytes, size_t frames, int channels, int pan, int* out) {
    return convertFrames<16>(bytes, frames, channels, pan, out);
}

}  // namespace

int ConvertFrames(std::span<const unsigned char> bytes, const SampleFormat& format,
                  std::span<int> out) {
    const size_t sampleBytes = size_t(format.bitsPerSample / 8);
    const size_t frameBytes = sampleBytes * size_t(format.channels);
    const size_t frames = std::min(bytes.size() / frameBytes, out.size() - 1);
    const int pan = format.stereoPan;
    const int channels = format.channels;
    switch (format.bitsPerSample) {
        case 8:
            return convertFrames<8>(bytes.data(), frames, channels, pan, out.data());
        case 16:
            return convert16(bytes.data(), frames, channels, pan, out.data());
        case 24:
            return convertFrames<24>(bytes.data(), frames, channels, pan, out.data());
        default:
            return convertFrames<32>(bytes.data(), frames, channels, pan, out.data());
    }
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
    if (fseeko(file, position, SEEK_SET) != 0) throw StageFailure{outcome::kAudioSeekFailed};
}

// Reads count bytes at the file's position; a short read past the end of the file leaves zeros
// (the data range is already held to the file's end), an I/O error ends the run.
void readOrFail(std::FILE* file, unsigned char* into, size_t count) {
    size_t got = std::fread(into, 1, count, file);
    if (got < count) {
        if (std::ferror(file)) throw StageFailure{outcome::kAudioReadFailed};
        std::fill(into + got, into + count, 0);
    }
}

}  // namespace

int ReadFileBlock(std::FILE* file, const BlockLayout& layout, int64_t position,
                  std::vector<unsigned char>& buffer, std::span<int> samples) {
    const int64_t n = layout.blockBytes;
    const int64_t origin = layout.dataOffset;
    const int64_t end = layout.endOfData;
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

    return ConvertFrames(std::span<const unsigned char>(bytes, size_t(n)), layout.format,
                         samples.first(size_t(layout.blockLength) + 1));
}

void ScaleBlock(std::span<int> samples, int peak, const BlockScaling& scaling,
                std::span<int, 15> compressorHistory) {
    if (peak <= scaling.inputThreshold) return;
    double gain = scaling.normaliser;
    if (scaling.compress) gain = CompressorGain(compressorHistory, peak);
    for (size_t i = 1; i < samples.size(); ++i) samples[i] = int(samples[i] * gain);
}

int FileBlockPeak(std::FILE* file, const BlockLayout& layout, int64_t position,
                  std::vector<unsigned char>& buffer) {
    if (position < layout.dataOffset) return 0;
    const int64_t n =
        std::max<int64_t>(0, std::min(layout.blockBytes, layout.endOfData - position));
    if (buffer.size() < size_t(layout.blockBytes)) buffer.resize(size_t(layout.blockBytes));
    seekOrFail(file, position);
    readOrFail(file, buffer.data(), size_t(n));

    const int bits = layout.format.bitsPerSample;
    const int sampleBytes = bits / 8;
    int peak = 0;
    for (int64_t at = 0; at + sampleBytes <= n; at += sampleBytes) {
        peak = std::max(peak, std::abs(DecodeSample(buffer.data() + at, bits)));
    }
    return peak;
}

double NormaliserGain(std::FILE* file, const BlockLayout& layout, int64_t start, int64_t end,
                      std::vector<unsigned char>& buffer) {
    const int64_t step = layout.blockBytes;
    int largest = 0;
    for (int64_t p = start; p + step <= end && step > 0; p += step) {
        largest = std::max(largest, FileBlockPeak(file, layout, p, buffer));
    }
    return largest > 0 ? 32767.0 / largest : 1;
}

}  // namespace velt::engine
