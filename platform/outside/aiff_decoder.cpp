#include "platform/outside/aiff_decoder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/wav/wav_file.h"

namespace velt::platform::outside {

namespace {

namespace fs = std::filesystem;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

uint32_t be32(const unsigned char* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}
uint16_t be16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

// The 80-bit IEEE extended number of COMM's sample rate; 0 for anything not a plain positive
// number.
double extended(const unsigned char* p) {
    const int exponent = ((p[0] & 0x7F) << 8 | p[1]) - 16383 - 63;
    uint64_t mantissa = 0;
    for (int i = 2; i < 10; ++i) mantissa = mantissa << 8 | p[i];
    if ((p[0] & 0x80) != 0 || mantissa == 0 || exponent > 64) return 0;
    return std::ldexp(static_cast<double>(mantissa), exponent);
}

struct Sound {
    uint16_t channels = 0;
    uint32_t frames = 0;
    uint16_t bits = 0;
    double rate = 0;
    bool littleEndian = false;
    uint64_t dataStart = 0;  // the first sample byte
    uint64_t dataBytes = 0;  // what the file holds from there on within the SSND chunk
};

bool readAt(std::FILE* f, uint64_t offset, void* into, size_t count) {
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0 &&
           std::fread(into, 1, count, f) == count;
}

// Walks the FORM's chunks; fills `sound` or returns the failure code.
int16_t readHeader(std::FILE* f, uint64_t fileBytes, Sound& sound) {
    unsigned char form[12];
    if (fileBytes < 12 || !readAt(f, 0, form, 12)) return aiff::kNotAiff;
    const bool aifc = std::equal(form + 8, form + 12, "AIFC");
    if (!std::equal(form, form + 4, "FORM") || !(aifc || std::equal(form + 8, form + 12, "AIFF")))
        return aiff::kNotAiff;

    bool haveCommon = false, haveData = false;
    unsigned char compression[4] = {'N', 'O', 'N', 'E'};
    uint32_t offset = 0, blockSize = 0;
    for (uint64_t at = 12; at + 8 <= fileBytes;) {
        unsigned char head[8];
        if (!readAt(f, at, head, 8)) return aiff::kReadError;
        const uint64_t size = be32(head + 4);
        const uint64_t body = at + 8;
        const uint64_t held = std::min<uint64_t>(size, fileBytes - body);
        if (std::equal(head, head + 4, "COMM") && !haveCommon) {
            unsigned char c[22];
            const size_t need = aifc ? 22 : 18;
            if (held < need || !readAt(f, body, c, need)) return aiff::kNoCommon;
            sound.channels = be16(c);
            sound.frames = be32(c + 2);
            sound.bits = be16(c + 6);
            sound.rate = extended(c + 8);
            if (aifc) std::copy(c + 18, c + 22, compression);
            haveCommon = true;
        } else if (std::equal(head, head + 4, "SSND") && !haveData) {
            unsigned char s[8];
            if (held < 8 || !readAt(f, body, s, 8)) return aiff::kTruncated;
            offset = be32(s);
            blockSize = be32(s + 4);
            sound.dataStart = body + 8;
            sound.dataBytes = held - 8;
            haveData = true;
        }
        at = body + size + (size & 1);
    }
    if (!haveCommon) return aiff::kNoCommon;
    const bool none = std::equal(compression, compression + 4, "NONE");
    const bool sowt = std::equal(compression, compression + 4, "sowt");
    if (!none && !sowt) return aiff::kCompression;
    sound.littleEndian = sowt;
    const double r = sound.rate;
    if (r != 11025 && r != 22050 && r != 44100 && r != 88200) return aiff::kSampleRate;
    if (sound.bits != 8 && sound.bits != 16 && sound.bits != 24 && sound.bits != 32)
        return aiff::kBits;
    if (sound.channels != 1 && sound.channels != 2) return aiff::kChannels;
    if (!haveData) return aiff::kNoSoundData;
    if (offset != 0) return aiff::kOffset;
    if (blockSize != 0) return aiff::kBlockSize;
    const uint64_t needed = uint64_t(sound.frames) * sound.channels * (sound.bits / 8);
    if (sound.dataBytes < needed) return aiff::kTruncated;
    sound.dataBytes = needed;
    return 0;
}

// Big-endian samples to little-endian, signed 8-bit to unsigned, in place.
void toWaveOrder(unsigned char* p, size_t count, int bytesPerSample, bool littleEndian) {
    if (bytesPerSample == 1) {
        for (size_t i = 0; i < count; ++i) p[i] ^= 0x80;
    } else if (!littleEndian) {
        for (size_t i = 0; i + bytesPerSample <= count; i += bytesPerSample)
            std::reverse(p + i, p + i + bytesPerSample);
    }
}

}  // namespace

int16_t DecodeAiff(const std::string& source, const std::string& wave) {
    std::error_code ec;
    if (source.empty() || !fs::exists(source, ec)) return aiff::kSourceMissing;
    if (!fs::is_regular_file(source, ec)) return aiff::kReadError;
    // Writing the WAV over its own source would destroy the source.
    if (fs::exists(wave, ec) && fs::equivalent(source, wave, ec)) return aiff::kCannotCreate;
    File in(std::fopen(source.c_str(), "rb"));
    if (!in) return aiff::kReadError;
    const uint64_t fileBytes = fs::file_size(source, ec);
    if (ec) return aiff::kReadError;

    Sound sound;
    if (int16_t problem = readHeader(in.get(), fileBytes, sound); problem != 0) return problem;

    wav::Writer out;
    wav::Format format;
    format.channels = sound.channels;
    format.sampleRate = static_cast<uint32_t>(sound.rate);
    format.bitsPerSample = sound.bits;
    if (!out.open(wave, format)) return aiff::kCannotCreate;

    const int bytesPerSample = sound.bits / 8;
    const size_t frameBytes = size_t(bytesPerSample) * sound.channels;
    std::vector<unsigned char> block(frameBytes * 16384);
    if (fseeko(in.get(), static_cast<off_t>(sound.dataStart), SEEK_SET) != 0)
        return aiff::kReadError;
    for (uint64_t left = sound.dataBytes; left > 0;) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(left, block.size()));
        if (std::fread(block.data(), 1, want, in.get()) != want)
            return std::ferror(in.get()) ? aiff::kReadError : aiff::kTruncated;
        toWaveOrder(block.data(), want, bytesPerSample, sound.littleEndian);
        if (!out.write(block.data(), want)) return aiff::kWriteFailed;
        left -= want;
    }
    return out.close() ? 0 : aiff::kWriteFailed;
}

}  // namespace velt::platform::outside
