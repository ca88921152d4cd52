#include "platform/outside/asf_header.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <vector>

namespace velt::platform::outside {

namespace {

using Guid = unsigned char[16];

// GUIDs as they lie in the file (the first three fields little-endian).
constexpr Guid kHeaderObject = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid kFileProperties = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                  0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr Guid kContentEncryption = {0xFB, 0xB3, 0x11, 0x22, 0x23, 0xBD, 0xD2, 0x11,
                                     0xB4, 0xB7, 0x00, 0xA0, 0xC9, 0x55, 0xFC, 0x6E};
constexpr Guid kExtendedContentEncryption = {0x14, 0xE6, 0x8A, 0x29, 0x22, 0x26, 0x17, 0x4C,
                                             0xB9, 0x35, 0xDA, 0xE0, 0x7E, 0xE9, 0x28, 0x9C};

constexpr size_t kHeaderPreamble = 30;  // GUID, size, object count, two reserved bytes
constexpr size_t kObjectHead = 24;      // GUID, size
constexpr size_t kMaxHeader = 16 << 20;

uint64_t le64(const unsigned char* p) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

bool is(const unsigned char* at, const Guid& guid) {
    return std::memcmp(at, guid, 16) == 0;
}

}  // namespace

AsfHeader ScanAsfHeader(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return AsfHeader::NotAsf;
    const uint64_t fileBytes = static_cast<uint64_t>(in.tellg());
    unsigned char preamble[kHeaderPreamble];
    in.seekg(0);
    if (fileBytes < kHeaderPreamble || !in.read(reinterpret_cast<char*>(preamble), sizeof preamble))
        return AsfHeader::NotAsf;
    if (!is(preamble, kHeaderObject)) return AsfHeader::NotAsf;
    const uint64_t headerBytes = le64(preamble + 16);
    if (headerBytes < kHeaderPreamble || headerBytes > kMaxHeader) return AsfHeader::NotAsf;
    if (headerBytes > fileBytes) return AsfHeader::Truncated;

    std::vector<unsigned char> header(headerBytes - kHeaderPreamble);
    if (!in.read(reinterpret_cast<char*>(header.data()),
                 static_cast<std::streamsize>(header.size())))
        return AsfHeader::Truncated;
    AsfHeader verdict = AsfHeader::Plain;
    for (size_t at = 0; at + kObjectHead <= header.size();) {
        const unsigned char* object = header.data() + at;
        const uint64_t size = le64(object + 16);
        if (size < kObjectHead || size > header.size() - at) break;  // damaged: scan no further
        if (is(object, kContentEncryption) || is(object, kExtendedContentEncryption))
            return AsfHeader::Encrypted;
        // File properties: the file's size at byte 40, its flags at byte 88 (bit 0: broadcast,
        // whose sizes are not known).
        if (is(object, kFileProperties) && size >= 92) {
            const uint64_t declared = le64(object + 40);
            const bool broadcast = (object[88] & 1) != 0;
            if (!broadcast && declared > fileBytes) verdict = AsfHeader::Truncated;
        }
        at += size;
    }
    return verdict;
}

}  // namespace velt::platform::outside
