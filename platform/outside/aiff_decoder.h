// Our own AIFF reader: turns an AIFF or AIFC file (compression "NONE" or "sowt") into a PCM WAV
// file with the same rate, channels and bits. It stands in for an outside AIFF library, so it
// keeps that library's shape: one call, a 16-bit result, 0 for success and a negative code for
// each failure. A failed decode leaves no WAV file behind.
#pragma once

#include <cstdint>
#include <string>

namespace velt::platform::outside {

namespace aiff {
constexpr int16_t kSourceMissing = -43;
constexpr int16_t kNotAiff = -99;       // no FORM/AIFF or FORM/AIFC at the start
constexpr int16_t kNoCommon = -97;      // no (complete) COMM chunk
constexpr int16_t kNoSoundData = -96;   // no SSND chunk
constexpr int16_t kCompression = -90;   // AIFC compression other than "NONE" or "sowt"
constexpr int16_t kSampleRate = -98;    // not 11025, 22050, 44100 or 88200 Hz
constexpr int16_t kBits = -92;          // not 8, 16, 24 or 32 bits
constexpr int16_t kChannels = -91;      // not 1 or 2 channels
constexpr int16_t kOffset = -95;        // SSND offset not 0
constexpr int16_t kBlockSize = -94;     // SSND block size not 0
constexpr int16_t kCannotCreate = -93;  // the WAV file cannot be created
constexpr int16_t kWriteFailed = -20;
constexpr int16_t kTruncated = -39;  // fewer sample bytes than COMM's frame count needs
constexpr int16_t kReadError = -21;
}  // namespace aiff

// Decodes `source` into the WAV file `wave`: 8-bit samples become unsigned, big-endian samples
// little-endian. Returns 0 on success or one of the codes above.
int16_t DecodeAiff(const std::string& source, const std::string& wave);

}  // namespace velt::platform::outside
