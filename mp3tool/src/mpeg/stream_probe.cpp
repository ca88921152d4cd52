// ID3v2 tag size and Xing / VBRI headers.
#include "mpeg/stream_probe.h"

#include <algorithm>
#include <cstring>

namespace velt::mpeg {
namespace {

std::uint32_t bigEndian32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

}  // namespace

std::uint64_t id3v2TagSize(std::span<const std::uint8_t> bytes, std::uint64_t streamSize) {
    if (bytes.size() < 10 || std::memcmp(bytes.data(), "ID3", 3) != 0) return 0;
    std::uint64_t body = 0;
    for (int i = 6; i < 10; ++i) {
        if (bytes[i] & 0x80) return 0;  // sizes are 7 bits per byte
        body = (body << 7) | bytes[i];
    }
    std::uint64_t size = 10 + body;
    const bool footer = bytes[3] == 4 && (bytes[5] & 0x10) != 0;
    if (footer) size += 10;
    if (streamSize != 0 && size > streamSize) return 0;
    return size;
}

std::optional<VbrHeader> readVbrHeader(std::span<const std::uint8_t> bytes,
                                       const FrameHeader& header) {
    const std::size_t at = 4 + static_cast<std::size_t>(header.sideInfoBytes());
    if (bytes.size() < at + 18) return std::nullopt;
    const std::uint8_t* tag = bytes.data() + at;
    VbrHeader vbr;
    if (std::memcmp(tag, "Xing", 4) == 0 || std::memcmp(tag, "Lame", 4) == 0) {
        const std::uint32_t flags = bigEndian32(tag + 4);
        std::size_t next = at + 8;
        if (flags & 1) {
            vbr.frames = bigEndian32(bytes.data() + next);
            next += 4;
        }
        if (flags & 2) next += 4;  // byte count, not used
        if (flags & 4) {
            if (next + 100 > bytes.size()) return std::nullopt;
            std::array<std::uint8_t, 100> toc{};
            std::copy_n(bytes.data() + next, 100, toc.begin());
            vbr.toc = toc;
        }
        return vbr;
    }
    if (std::memcmp(tag, "VBRI", 4) == 0) {
        vbr.frames = bigEndian32(tag + 14);
        return vbr;
    }
    return std::nullopt;
}

bool carriesVbrTag(std::span<const std::uint8_t> body, const FrameHeader& header) {
    if (header.layer != 3) return false;
    const auto tagAt = [&](std::size_t at, const char* tag) {
        return body.size() >= at + 4 && std::memcmp(body.data() + at, tag, 4) == 0;
    };
    const auto si = static_cast<std::size_t>(header.sideInfoBytes());
    // A VBRI tag sits 32 bytes after the header, whatever the side information's size.
    return tagAt(si, "Xing") || tagAt(si, "Info") || tagAt(si, "Lame") || tagAt(32, "VBRI");
}

}  // namespace velt::mpeg
