#include "platform/outside/wave_check.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "platform/wav/wav_file.h"

namespace velt::platform::outside {

namespace {

constexpr int kClipRun = 3;  // consecutive samples that make a clip
constexpr double kClipShare = 32766.0 / 32768.0;
constexpr size_t kBlockFrames = 16384;  // frames read at a time

int64_t sampleAt(const unsigned char* p, int bytes) {
    switch (bytes) {
        case 1:
            return static_cast<int64_t>(p[0]) - 128;
        case 2:
            return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
        case 3: {
            int32_t v = p[0] | (p[1] << 8) | (p[2] << 16);
            return v >= 0x800000 ? v - 0x1000000 : v;
        }
        default:
            return static_cast<int32_t>(
                static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24));
    }
}

}  // namespace

int16_t WaveChecker::CheckWave(const std::string& path) {
    distortion_ = 0;
    peak_ = 0;
    auto layout = wav::readLayout(path);
    if (!layout || !layout->isPcm()) return -1;
    const int channels = layout->channels;
    const int bits = layout->bitsPerSample;
    if (channels < 1 || channels > 2) return -1;
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return -1;
    const int bytes = bits / 8;
    if (layout->blockAlign != channels * bytes || layout->sampleRate == 0) return -1;

    std::ifstream in(path, std::ios::binary);
    if (!in.seekg(static_cast<std::streamoff>(layout->dataOffset))) return -1;

    const double fullScale = static_cast<double>(int64_t{1} << (bits - 1));
    const double clipLevel = kClipShare * fullScale;
    const uint64_t windowFrames = std::max<uint64_t>(1, layout->sampleRate / 20);
    uint64_t framesLeft = layout->frames();

    int64_t peak = 0;
    std::array<int, 2> run{};
    bool windowClipped = false;
    uint64_t inWindow = 0, windows = 0, clippedWindows = 0;
    std::vector<unsigned char> block(kBlockFrames * layout->blockAlign);
    while (framesLeft > 0) {
        size_t frames = static_cast<size_t>(std::min<uint64_t>(framesLeft, kBlockFrames));
        if (!in.read(reinterpret_cast<char*>(block.data()),
                     static_cast<std::streamsize>(frames * layout->blockAlign)))
            return -1;
        framesLeft -= frames;
        const unsigned char* p = block.data();
        for (size_t f = 0; f < frames; ++f) {
            for (int c = 0; c < channels; ++c, p += bytes) {
                int64_t magnitude = std::llabs(sampleAt(p, bytes));
                peak = std::max(peak, magnitude);
                run[static_cast<size_t>(c)] = static_cast<double>(magnitude) >= clipLevel
                                                  ? run[static_cast<size_t>(c)] + 1
                                                  : 0;
                if (run[static_cast<size_t>(c)] >= kClipRun) windowClipped = true;
            }
            if (++inWindow == windowFrames) {
                ++windows;
                clippedWindows += windowClipped;
                inWindow = 0;
                windowClipped = false;
                run = {};
            }
        }
    }
    if (inWindow > 0) {
        ++windows;
        clippedWindows += windowClipped;
    }
    peak_ = static_cast<float>(static_cast<double>(peak) / fullScale);
    distortion_ = windows ? static_cast<float>(static_cast<double>(clippedWindows) / windows) : 0;
    return 0;
}

}  // namespace velt::platform::outside
