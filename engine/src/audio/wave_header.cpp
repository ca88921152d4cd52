#include "audio/wave_header.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "run_state.h"

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

WaveHeader fail(int type, int detail) {
    WaveHeader header;
    header.outcomeType = type;
    header.outcomeDetail = detail;
    return header;
}

}  // namespace

WaveHeader ParseWaveHeader(std::span<const unsigned char> window, int64_t fileSize) {
    if (window.size() < kWaveHeaderWindow) return fail(2, 16);
    window = window.first(kWaveHeaderWindow);

    WaveHeader header;
    if (!tagAt(window, 0, "RIFF") || !tagAt(window, 8, "WAVE")) {
        header.riff = false;
        header.dataOffset = 0;
        header.dataLength = fileSize;
        header.endOfData = fileSize;
        return header;
    }
    header.riff = true;

    // "fmt ": its fields reach 24 bytes past the tag (48 for the extensible layout); a tag whose
    // fields would leave the window counts as not found.
    size_t fmt = 0;
    for (size_t at = 12; at <= 4112 && at + 24 <= window.size(); ++at) {
        if (tagAt(window, at, "fmt ")) {
            fmt = at;
            break;
        }
    }
    if (fmt == 0) return fail(4, 43);

    uint32_t tag = le16(window, fmt + 8);
    if (tag == kFormatExtensible) {
        bool pcm = fmt + 48 <= window.size() && le32(window, fmt + 4) >= 40 &&
                   le16(window, fmt + 32) == kFormatPcm &&
                   std::memcmp(window.data() + fmt + 34, kPcmSubformatTail, 14) == 0;
        if (!pcm) return fail(4, 17);
    } else if (tag != kFormatPcm) {
        return fail(4, 17);
    }
    header.channels = static_cast<int>(le16(window, fmt + 10));
    header.sampleRate = static_cast<int>(std::min<uint32_t>(le32(window, fmt + 12), INT32_MAX));
    header.bitsPerSample = static_cast<int>(le16(window, fmt + 22));

    // "data": its size field must lie inside the window too.
    size_t data = 0;
    bool found = false;
    for (size_t at = fmt; at + 8 <= window.size(); ++at) {
        if (tagAt(window, at, "data")) {
            data = at;
            found = true;
            break;
        }
    }
    if (!found) return fail(4, 18);

    int64_t riffSize = le32(window, 4);
    int64_t chunkEnd = int64_t(data) + 8 + le32(window, data + 4);
    header.dataOffset = int64_t(data) + 32;
    header.endOfData = std::min({riffSize - 74, chunkEnd, fileSize});
    header.dataLength = std::max<int64_t>(0, header.endOfData - header.dataOffset);
    return header;
}

bool ReadWaveHeader() {
    RunState& state = run();
    state.files.audio.reset(std::fopen(state.settings.AudioFile.c_str(), "rb"));
    std::FILE* file = state.files.audio.get();
    if (file == nullptr) FinishRun(3, 15);

    std::vector<unsigned char> window(kWaveHeaderWindow);
    size_t got = std::fread(window.data(), 1, window.size(), file);
    window.resize(got);
    int64_t fileSize = -1;
    if (fseeko(file, 0, SEEK_END) == 0) fileSize = ftello(file);
    if (fileSize < 0) FinishRun(2, 16);

    WaveHeader header = ParseWaveHeader(window, fileSize);
    if (header.outcomeType != 0) FinishRun(header.outcomeType, header.outcomeDetail);

    Geometry& geo = state.geo;
    geo.riffFile = header.riff;
    geo.channels = header.channels;
    geo.sampleRate = header.sampleRate;
    geo.bitsPerSample = header.bitsPerSample;
    geo.dataOffset = header.dataOffset;
    geo.dataLength = header.dataLength;
    geo.endOfData = header.endOfData;
    return header.riff;
}

}  // namespace velt::engine
