// Bit rates and sampling frequencies of the MPEG audio frame header.
// Transcribed from ISO/IEC 11172-3, 2.4.2.3 (bitrate_index and sampling_frequency tables) and
// ISO/IEC 13818-3, 2.4.2.3 (the low sampling frequencies and their bit rates); the third family
// of rates (11025, 12000, 8000 Hz) is the MPEG 2.5 extension for Layer III.
#pragma once

#include <array>
#include <cstdint>

namespace velt::mpeg {

// Index 0 is free format and index 15 forbidden: both are 0 here and refused by the header check.
// Rows: [MPEG-1 or low sampling rates][layer - 1][bitrate index], in kbit/s.
inline constexpr std::array<std::array<std::array<std::uint16_t, 16>, 3>, 2> kBitrateKbps = {{
    // Low sampling frequencies (ISO/IEC 13818-3; MPEG 2.5 uses the same rows).
    {{
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},  // Layer I
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},       // Layer II
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},       // Layer III
    }},
    // MPEG-1 (ISO/IEC 11172-3).
    {{
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},  // Layer I
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},     // Layer II
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},      // Layer III
    }},
}};

// Rows: [version code][sampling index] in Hz; version code 0 MPEG-2, 1 MPEG-1, 2 MPEG 2.5.
// Sampling index 3 is reserved (0 here).
inline constexpr std::array<std::array<std::uint32_t, 4>, 3> kSampleRateHz = {{
    {22050, 24000, 16000, 0},
    {44100, 48000, 32000, 0},
    {11025, 12000, 8000, 0},
}};

}  // namespace velt::mpeg
