#include "modules/wav_header.h"

#include <cstring>

namespace velt::mp3 {

namespace {

void putLittleEndian(std::uint8_t* at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

std::array<std::uint8_t, kWavHeaderSize> makeWavHeader(std::uint32_t dataBytes, int channels,
                                                       int sampleRate) {
    const auto ch = static_cast<std::uint32_t>(channels);
    const auto rate = static_cast<std::uint32_t>(sampleRate);
    std::array<std::uint8_t, kWavHeaderSize> h{};
    std::memcpy(&h[0], "RIFF", 4);
    putLittleEndian(&h[4], dataBytes + 36, 4);
    std::memcpy(&h[8], "WAVE", 4);
    std::memcpy(&h[12], "fmt ", 4);
    putLittleEndian(&h[16], 16, 4);
    putLittleEndian(&h[20], 1, 2);  // PCM
    putLittleEndian(&h[22], ch, 2);
    putLittleEndian(&h[24], rate, 4);
    putLittleEndian(&h[28], rate * ch * 2, 4);
    putLittleEndian(&h[32], ch * 2, 2);
    putLittleEndian(&h[34], 16, 2);
    std::memcpy(&h[36], "data", 4);
    putLittleEndian(&h[40], dataBytes, 4);
    return h;
}

}  // namespace velt::mp3
