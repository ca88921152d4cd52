// Helpers of the MPEG decoder tests: decoding a byte buffer in memory and comparing PCM.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "mpeg/byte_input.h"
#include "mpeg/frame_header.h"
#include "mpeg/mpeg_decoder.h"
#include "mpeg/result_codes.h"
#include "test_support.h"

namespace velt::mpeg::test {

struct Decoded {
    std::vector<std::int16_t> pcm;  // interleaved
    int sampleRate = 0;
    int channels = 0;
    int frames = 0;   // frames that gave samples
    int refused = 0;  // decode calls that returned -700
    int endCode = 0;  // the code that ended decoding
};

// Decodes every frame the decoder gives, as the codec module does.
inline Decoded drainDecoder(MpegDecoder& decoder) {
    Decoded out;
    std::vector<std::int16_t> frame(kMaxFrameSamples);
    // A generous bound on calls, so a fault that stops progress fails instead of hanging.
    for (int calls = 0; calls < 1000000; ++calls) {
        DecodedFrame info;
        const int r = decoder.decodeFrame(frame.data(), info);
        if (r == kInvalidFrame) {
            ++out.refused;
            continue;
        }
        if (r != kOk) {
            out.endCode = r;
            break;
        }
        ++out.frames;
        out.sampleRate = info.sampleRate;
        out.channels = info.channels;
        out.pcm.insert(out.pcm.end(), frame.begin(),
                       frame.begin() + info.samplesPerChannel * info.channels);
    }
    return out;
}

inline Decoded decodeBytes(std::vector<std::uint8_t> bytes, int routing = 0, int reduction = 0) {
    MemoryInput input(std::move(bytes));
    MpegDecoder decoder(input);
    decoder.setRouting(routing);
    decoder.setRateReduction(reduction);
    return drainDecoder(decoder);
}

// A frame of the given header word whose remaining bytes are all `fill` (zeros: a Layer I or II
// frame without allocations, which decodes to silence).
inline std::vector<std::uint8_t> frameBytes(std::uint32_t header, std::uint8_t fill = 0) {
    // A header without a length of its own (free format) gets 500 bytes.
    const int length = parseFrameHeader(header).frameBytes();
    std::vector<std::uint8_t> bytes(length > 4 ? static_cast<std::size_t>(length) : 500u, fill);
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(header >> (24 - 8 * i));
    return bytes;
}

inline void append(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& bytes) {
    to.insert(to.end(), bytes.begin(), bytes.end());
}

inline std::vector<std::int16_t> readPcm(const std::filesystem::path& file) {
    const std::vector<unsigned char> bytes = velt::test::readBytes(file);
    std::vector<std::int16_t> pcm(bytes.size() / 2);
    for (std::size_t i = 0; i < pcm.size(); ++i) {
        pcm[i] = static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    }
    return pcm;
}

struct Difference {
    double rms = 0;
    int maxAbs = 0;
    std::size_t compared = 0;
};

// Compares the first `count` samples of both.
inline Difference compare(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b,
                          std::size_t count) {
    Difference d;
    d.compared = std::min({count, a.size(), b.size()});
    double sum = 0;
    for (std::size_t i = 0; i < d.compared; ++i) {
        const int diff = a[i] - b[i];
        sum += double(diff) * diff;
        d.maxAbs = std::max(d.maxAbs, std::abs(diff));
    }
    d.rms = d.compared ? std::sqrt(sum / d.compared) : 0;
    return d;
}

// The "full accuracy" bounds of the compliance test: RMS below 0.289 LSB, no sample off by more
// than 2.
inline bool fullAccuracy(const Difference& d) {
    return d.rms < 0.289 && d.maxAbs <= 2;
}

// Writes bits most significant first, for building frames in tests.
class BitWriter {
  public:
    void put(std::uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            if (used_ % 8 == 0) bytes_.push_back(0);
            if ((value >> i) & 1) bytes_.back() |= static_cast<std::uint8_t>(0x80 >> (used_ % 8));
            ++used_;
        }
    }
    std::size_t bits() const { return used_; }
    // The bytes written, zero-padded to `length` bytes.
    std::vector<std::uint8_t> bytes(std::size_t length) const {
        std::vector<std::uint8_t> out = bytes_;
        out.resize(std::max(length, out.size()), 0);
        return out;
    }

  private:
    std::vector<std::uint8_t> bytes_;
    std::size_t used_ = 0;
};

struct WavData {
    int sampleRate = 0;
    int channels = 0;
    std::vector<std::int16_t> pcm;
};

// Reads a 16-bit PCM WAV file: the "fmt " values and the "data" chunk (to the file end when its
// size is wrong, as in a stream written to a pipe).
inline WavData readWav(const std::filesystem::path& file) {
    const std::vector<unsigned char> b = velt::test::readBytes(file);
    WavData w;
    auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                                          b[at + 3] << 24);
    };
    std::size_t at = 12;
    while (at + 8 <= b.size()) {
        const std::string id(b.begin() + static_cast<long>(at),
                             b.begin() + static_cast<long>(at) + 4);
        std::size_t size = u32(at + 4);
        if (id == "fmt " && at + 16 <= b.size()) {
            w.channels = b[at + 10] | b[at + 11] << 8;
            w.sampleRate = static_cast<int>(u32(at + 12));
        }
        if (id == "data") {
            size = std::min(size, b.size() - at - 8);
            for (std::size_t i = 0; i + 1 < size; i += 2) {
                w.pcm.push_back(static_cast<std::int16_t>(b[at + 8 + i] | b[at + 9 + i] << 8));
            }
            break;
        }
        at += 8 + size + (size & 1);
    }
    return w;
}

}  // namespace velt::mpeg::test
