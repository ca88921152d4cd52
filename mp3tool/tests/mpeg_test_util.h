// Helpers of the MPEG decoder tests: decoding a byte buffer in memory and comparing PCM.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
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

inline Decoded decodeBytes(std::vector<std::uint8_t> bytes, int routing = 0, int reduction = 0) {
    MemoryInput input(std::move(bytes));
    MpegDecoder decoder(input);
    decoder.setRouting(routing);
    decoder.setRateReduction(reduction);
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

}  // namespace velt::mpeg::test
