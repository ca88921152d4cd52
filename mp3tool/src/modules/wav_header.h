// The 44-byte header of a 16-bit PCM WAV file (RIFF, one "fmt " chunk of 16 bytes, one "data"
// chunk), all numbers little-endian. Byte rate and block align always assume 16-bit samples.
#pragma once

#include <array>
#include <cstdint>

namespace velt::mp3 {

inline constexpr std::size_t kWavHeaderSize = 44;

// The largest data size the header can describe: the RIFF size (data + 36) is a 32-bit number.
inline constexpr std::uint64_t kWavMaxDataBytes = 0xFFFFFFFFull - 36;

std::array<std::uint8_t, kWavHeaderSize> makeWavHeader(std::uint32_t dataBytes, int channels,
                                                       int sampleRate);

}  // namespace velt::mp3
