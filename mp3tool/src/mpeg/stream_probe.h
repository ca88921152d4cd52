// What the MPEG codec reads from the start of a stream: the size of a leading ID3v2 tag, and the
// frame count and seek table of a Xing or VBRI header in the first frame.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "mpeg/frame_header.h"

namespace velt::mpeg {

// Bytes of the stream start the probe looks at.
inline constexpr std::size_t kProbeBytes = 152;

// The full size of an ID3v2 tag at the start of `bytes` (header, body and a v2.4 footer), or 0
// when there is none. A size byte with its high bit set is no tag size, and a tag that would
// reach past the end of the stream (streamSize, 0 when unknown) counts as no tag: decoding then
// starts at the first byte, where the frame search skips whatever the tag holds.
std::uint64_t id3v2TagSize(std::span<const std::uint8_t> bytes, std::uint64_t streamSize);

struct VbrHeader {
    std::optional<std::uint32_t> frames;               // frame count, when given
    std::optional<std::array<std::uint8_t, 100>> toc;  // Xing seek table, when given
};

// Looks for a "Xing" (or "Lame") or "VBRI" header right after the Layer III side information of
// the first frame, whose header starts `bytes`. None when there is none or the bytes end early.
std::optional<VbrHeader> readVbrHeader(std::span<const std::uint8_t> bytes,
                                       const FrameHeader& header);

// True when a Layer III frame's body (its bytes after the header and the CRC) holds a "Xing",
// "Info", "Lame" or "VBRI" tag: an encoder's information frame, which carries no audio.
bool carriesVbrTag(std::span<const std::uint8_t> body, const FrameHeader& header);

}  // namespace velt::mpeg
