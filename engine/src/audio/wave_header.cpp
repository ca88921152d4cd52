#include "audio/wave_header.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "run_outcomes.h"

namespace velt::engine {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// The KSDATAFORMAT_SUBTYPE_PCM GUID's bytes after its leading 16-bit format code.
constexpr unsigned char kPcmSubformatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint32_t le16(std::span<const unsigned char> b, size_t at) {
    return b[at] | (b[at + 1] << 8);
}
uint32_t le32(std::span<const unsigned char> b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

bool tagAt(std::span<const unsigned char> b, size_t at, const char* tag) {
    return std::memcmp(b.data() + at, tag, 4) == 0;
}

WaveHeader fail(RunOutcome outcome) {
    WaveHeader header;
    header.outcomeType = outcome.type;
    header.outcomeDetail = outcome.detail;
    return header;
}

struct ChunkPlaces {
    size_t fmt = 0;   // offset of the "fmt " chunk's id
    size_t data = 0;  // offset of the "data" chunk's id
};

// Walks the RIFF chunk list from offset 12 (id, 32-bit size, body padded to an even length)
// within the window; found only when both chunks lie in it with the fields read after them.
// Text inside other chunks (a comment that says "data") is never taken for a chunk.
std::optional<ChunkPlaces> walkChunks(std::span<const unsigned char> window) {
    std::optional<size_t> fmt;
    std::optional<size_t> data;
    uint64_t at = 12;
    while (at + 8 <= window.size() && !(fmt && data)) {
        if (!fmt && tagAt(window, at, "fmt ") && at + 24 <= window.size()) fmt = at;
        if (!data && tagAt(window, at, "data")) data = at;
        uint64_t size = le32(window, at + 4);
        at += 8 + size + (size & 1);
    }
    if (!fmt || !data) return std::nullopt;
    return ChunkPlaces{*fmt, *data};
}

// The plain tag search: "fmt " from offset 12, then "data" from there on. Used when the chunk
// walk finds no way through (a damaged size field), as files have always been read.
std::optional<ChunkPlaces> searchTags(std::span<const unsigned char> window, int& detail) {
    // "fmt ": its fields reach 24 bytes past the tag (48 for the extensible layout); a tag whose
    // fields would leave the window counts as not found.
    ChunkPlaces places;
    bool found = false;
    for (size_t at = 12; at <= 4112 && at + 24 <= window.size(); ++at) {
        if (tagAt(window, at, "fmt ")) {
            places.fmt = at;
            found = true;
            break;
        }
    }
    if (!found) {
        detail = outcome::kNoFormatTag.detail;
        return std::nullopt;
    }
    // "data": its size field must lie inside the window too.
    found = false;
    for (size_t at = places.fmt; at + 8 <= window.size(); ++at) {
        if (tagAt(window, at, "data")) {
            places.data = at;
            found = true;
            break;
        }
    }
    if (!found) {
        detail = outcome::kNoDataTag.detail;
        return std::nullopt;
    }
    return places;
}

}  // namespace

WaveHeader ParseWaveHeader(std::span<const unsigned char> window, int64_t fileSize) {
    // A file shorter than the searched bytes is searched whole; fewer bytes than the file holds
    // are a failed read.
    if (window.size() < kWaveHeaderWindow && static_cast<int64_t>(window.size()) < fileSize)
        return fail(outcome::kAudioTooShort);
    window = window.first(std::min(window.size(), kWaveHeaderWindow));

    WaveHeader header;
    if (window.size() < 12 || !tagAt(window, 0, "RIFF") || !tagAt(window, 8, "WAVE")) {
        header.riff = false;
        header.dataOffset = 0;
        header.dataLength = fileSize;
        header.endOfData = fileSize;
        return header;
    }
    header.riff = true;

    int missing = 0;
    std::optional<ChunkPlaces> places = walkChunks(window);
    if (!places) places = searchTags(window, missing);
    if (!places) return fail({kAudioFormatRefused, missing});
    const size_t fmt = places->fmt;
    const size_t data = places->data;

    uint32_t tag = le16(window, fmt + 8);
    if (tag == kFormatExtensible) {
        bool pcm = fmt + 48 <= window.size() && le32(window, fmt + 4) >= 40 &&
                   le16(window, fmt + 32) == kFormatPcm &&
                   std::memcmp(window.data() + fmt + 34, kPcmSubformatTail, 14) == 0;
        if (!pcm) return fail(outcome::kNotPcm);
    } else if (tag != kFormatPcm) {
        return fail(outcome::kNotPcm);
    }
    header.channels = static_cast<int>(le16(window, fmt + 10));
    header.sampleRate = static_cast<int>(std::min<uint32_t>(le32(window, fmt + 12), INT32_MAX));
    header.bitsPerSample = static_cast<int>(le16(window, fmt + 22));

    // A writer that could not seek back (a streaming or unfinished recording) leaves size fields
    // that end too early: a data size of 0 with the samples after it, a RIFF size of 0 or one
    // that ends inside the data chunk. Such a size is read as unknown, like 0xFFFFFFFF: the
    // samples then run to the end of the data chunk or of the file.
    const int64_t dataSize = le32(window, data + 4);
    const int64_t chunkEnd = dataSize == 0 ? fileSize : int64_t(data) + 8 + dataSize;
    int64_t riffSize = le32(window, 4);
    if (riffSize <= int64_t(data) || riffSize + 8 < std::min(chunkEnd, fileSize))
        riffSize = 0xFFFFFFFF;
    header.dataOffset = int64_t(data) + 32;
    header.endOfData = std::min({riffSize - 74, chunkEnd, fileSize});
    header.dataLength = std::max<int64_t>(0, header.endOfData - header.dataOffset);
    return header;
}

WaveHeader ReadWaveFileHeader(std::FILE* file) {
    std::vector<unsigned char> window(kWaveHeaderWindow);
    size_t got = std::fread(window.data(), 1, window.size(), file);
    window.resize(got);
    int64_t fileSize = -1;
    if (fseeko(file, 0, SEEK_END) == 0) fileSize = ftello(file);
    if (fileSize < 0) throw StageFailure{outcome::kAudioTooShort};

    WaveHeader header = ParseWaveHeader(window, fileSize);
    if (header.outcomeType != 0) throw StageFailure{{header.outcomeType, header.outcomeDetail}};
    return header;
}

}  // namespace velt::engine
