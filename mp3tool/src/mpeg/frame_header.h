// The 32-bit MPEG audio frame header: its fields, its validity rules and the quantities derived
// from it (rates, frame length, samples per frame, Layer III side information size).
//
// Header word = the frame's first four bytes, big-endian:
//   31-21 sync (all ones)   20 extension (0: MPEG 2.5)   19 ID (1 MPEG-1, 0 MPEG-2)
//   18-17 layer (3 I, 2 II, 1 III, 0 reserved)           16 protection (0: CRC follows)
//   15-12 bitrate index     11-10 sampling index         9 padding   8 private
//   7-6 mode (0 stereo, 1 joint stereo, 2 dual channel, 3 single channel)
//   5-4 mode extension      3-2 copyright, original      1-0 emphasis (both unused)
#pragma once

#include <cstdint>

namespace velt::mpeg {

enum class Version { Mpeg2 = 0, Mpeg1 = 1, Mpeg25 = 2, Invalid = 3 };

enum ChannelMode { kStereo = 0, kJointStereo = 1, kDualChannel = 2, kSingleChannel = 3 };

struct FrameHeader {
    std::uint32_t word = 0;
    Version version = Version::Invalid;
    int layer = 0;  // 1, 2 or 3; 0 for the reserved layer code
    bool crcProtected = false;
    int bitrateIndex = 0;
    int samplingIndex = 0;
    bool padding = false;
    int mode = kStereo;
    int modeExtension = 0;

    bool lowSamplingRate() const { return version != Version::Mpeg1; }  // MPEG-2 or 2.5
    int channels() const { return mode == kSingleChannel ? 1 : 2; }
    // Published "level": 1 MPEG-1, 2 MPEG-2, 0 MPEG 2.5.
    int level() const;

    // The following are meaningful for valid headers only.
    int bitrateKbps() const;
    int sampleRate() const;  // Hz
    int frameBytes() const;  // whole frame, header included
    int samplesPerFrame() const;
    // Layer III side information bytes (CRC not included).
    int sideInfoBytes() const;
};

// True when the top 11 bits are all ones.
constexpr bool hasSync(std::uint32_t word) {
    return (word & 0xffe00000u) == 0xffe00000u;
}

// Splits a header word into its fields (no check).
FrameHeader parseFrameHeader(std::uint32_t word);

// Sync present and every field usable: no free format or forbidden bit rate, no reserved layer
// or sampling index, the MPEG-1 Layer II bit rate and mode pairs the standard allows, and MPEG 2.5
// only with Layer III. Padding is legal at every rate (encoders pad at 32 and 48 kHz too).
bool isValidHeader(const FrameHeader& header);

}  // namespace velt::mpeg
