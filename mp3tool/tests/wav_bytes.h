// Builds WAV files byte by byte for tests: chunks, a "fmt " chunk, the RIFF wrapper, and a reader
// for the fields of the 44-byte header the tool writes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "test_support.h"

namespace velt::mp3::wavbytes {

inline std::string le(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
    return out;
}

// A chunk with its header; odd payloads get their pad byte unless the size is given explicitly.
inline std::string chunk(const std::string& id, const std::string& payload) {
    std::string out = id + le(static_cast<std::uint32_t>(payload.size()), 4) + payload;
    if (payload.size() % 2 == 1) out += '\0';
    return out;
}

inline std::string fmtPayload(int tag, int channels, int rate, int bits) {
    const int align = channels * bits / 8;
    return le(tag, 2) + le(channels, 2) + le(rate, 4) + le(rate * align, 4) + le(align, 2) +
           le(bits, 2);
}

inline std::string fmtChunk(int tag, int channels, int rate, int bits) {
    return chunk("fmt ", fmtPayload(tag, channels, rate, bits));
}

inline std::string riff(const std::string& chunks) {
    return "RIFF" + le(static_cast<std::uint32_t>(chunks.size() + 4), 4) + "WAVE" + chunks;
}

// A data payload of n bytes that differ from position to position.
inline std::string pattern(std::size_t n) {
    std::string out(n, '\0');
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<char>((i * 7 + i / 256) & 0xff);
    return out;
}

inline std::uint32_t readLe(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes.at(at + i));
    }
    return value;
}

// The fields of the tool's 44-byte header.
struct Header {
    std::uint32_t riffSize, channels, sampleRate, byteRate, blockAlign, bits, dataSize;
};

inline Header readHeader(const std::string& file) {
    return {readLe(file, 4, 4),  readLe(file, 22, 2), readLe(file, 24, 4), readLe(file, 28, 4),
            readLe(file, 32, 2), readLe(file, 34, 2), readLe(file, 40, 4)};
}

}  // namespace velt::mp3::wavbytes
