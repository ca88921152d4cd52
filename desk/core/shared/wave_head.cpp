#include "desk/core/shared/wave_head.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace velt::desk {

namespace {

// The subformat of an extensible header that means PCM: 00000001-0000-0010-8000-00aa00389b71.
constexpr unsigned char kPcmSubformat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                             0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

constexpr double kShortestWindowSeconds = 0.04269;  // the engine's single-key analysis block

// Too short is what the engine cannot convert: less than one analysis window of samples where
// it reads them (32 bytes past the "data" tag up to the RIFF size less 74, or the end of the
// file), its shortest window being that of single-key runs. D is the 1-based place of "data".
bool tooShort(const WaveHead& h, const std::string& file, int32_t D) {
    if (h.usableBytes < 0) return true;
    if (h.sampleRate <= 0 || h.blockAlign <= 0) return false;  // refused as unreadable
    std::error_code ec;
    const auto fileBytes = static_cast<int64_t>(std::filesystem::file_size(file, ec));
    const int64_t present = ec ? h.usableBytes : std::min(h.usableBytes, fileBytes - (D - 1) - 32);
    const auto window = static_cast<int64_t>(kShortestWindowSeconds * h.sampleRate);
    return present / h.blockAlign < window;
}

}  // namespace

int32_t WaveHead::cvI(int32_t i) const {
    return bytes[static_cast<size_t>(i)] + 256 * bytes[static_cast<size_t>(i) + 1];
}

int32_t WaveHead::cvL(int32_t i) const {
    uint32_t v = static_cast<uint32_t>(bytes[static_cast<size_t>(i)]) |
                 static_cast<uint32_t>(bytes[static_cast<size_t>(i) + 1]) << 8 |
                 static_cast<uint32_t>(bytes[static_cast<size_t>(i) + 2]) << 16 |
                 static_cast<uint32_t>(bytes[static_cast<size_t>(i) + 3]) << 24;
    return static_cast<int32_t>(v);
}

WaveHead ReadWaveHead(const std::string& file) {
    WaveHead h;
    std::error_code ec;
    std::ifstream in(file, std::ios::binary);
    if (!in || !std::filesystem::is_regular_file(file, ec)) return h;
    std::string text(WaveHead::kHeaderBytes, '\0');
    in.read(text.data(), WaveHead::kHeaderBytes);
    h.got = static_cast<int32_t>(in.gcount());
    text.resize(static_cast<size_t>(h.got));
    for (int32_t i = 0; i < h.got; ++i)
        h.bytes[static_cast<size_t>(i) + 1] =
            static_cast<unsigned char>(text[static_cast<size_t>(i)]);

    h.tagsRead = true;
    h.riffTagSum = h.bytes[1] + h.bytes[2] + h.bytes[3] + h.bytes[4];
    h.riffSize = h.cvL(5);
    h.waveTagSum = h.bytes[9] + h.bytes[10] + h.bytes[11] + h.bytes[12];
    const size_t fmtAt = text.find("fmt ");
    const size_t dataAt = text.find("data");
    const int32_t F = fmtAt == std::string::npos ? 0 : static_cast<int32_t>(fmtAt) + 1;
    const int32_t D = dataAt == std::string::npos ? 0 : static_cast<int32_t>(dataAt) + 1;
    if (F == 0 || D == 0 || h.waveTagSum != 307 || h.riffTagSum != 295) {
        h.verdict = WaveVerdict::NotWave;
        return h;
    }
    // The format fields and the data chunk's size must lie in the bytes read; beyond them there
    // is nothing to read.
    if (F + 23 > h.got || D + 7 > h.got) {
        h.verdict = WaveVerdict::Unreadable;
        return h;
    }
    h.formatRead = true;
    h.fmtSize = h.cvL(F + 4);
    h.formatTag = h.cvI(F + 8);
    h.channelCount = h.cvI(F + 10);
    h.sampleRate = h.cvL(F + 12);
    h.byteRate = h.cvL(F + 16);
    h.blockAlign = h.cvI(F + 20);
    h.bitsPerSample = h.cvI(F + 22);
    // An extensible header with the PCM subformat is uncompressed PCM (sox writes 24- and 32-bit
    // files that way); its subformat lies at bytes F+32..F+47.
    if (h.formatTag == 0xFFFE && h.fmtSize >= 40 && F + 47 <= h.got &&
        std::equal(std::begin(kPcmSubformat), std::end(kPcmSubformat), h.bytes.begin() + F + 32))
        h.formatTag = 1;

    const int32_t bits = h.bitsPerSample;
    h.usableBytes = static_cast<int64_t>(h.riffSize) - D - 115;
    if (h.formatTag != 1)
        h.verdict = WaveVerdict::Compressed;
    else if (h.channelCount < 1 || h.channelCount > 2)
        h.verdict = WaveVerdict::Tracks;
    else if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
        h.verdict = WaveVerdict::Bits;
    else if (tooShort(h, file, D))
        h.verdict = WaveVerdict::TooShort;
    else if (h.sampleRate <= 0 || h.blockAlign <= 0)
        h.verdict = WaveVerdict::Unreadable;
    else
        h.verdict = WaveVerdict::Accepted;
    return h;
}

}  // namespace velt::desk
