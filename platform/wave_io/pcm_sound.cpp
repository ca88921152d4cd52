#include "platform/wave_io/pcm_sound.h"

#include <cstdio>
#include <memory>

#include "platform/wav/wav_file.h"

namespace velt::platform {

bool PcmSound::playable() const {
    bool bitsOk =
        bitsPerSample == 8 || bitsPerSample == 16 || bitsPerSample == 24 || bitsPerSample == 32;
    return bitsOk && (channels == 1 || channels == 2) && sampleRate >= 1000 && sampleRate <= 192000;
}

float PcmSound::sample(int64_t frame, int32_t channel) const {
    const int32_t bytes = bitsPerSample / 8;
    const uint8_t* p = data.data() + frame * frameBytes() + channel * bytes;
    switch (bytes) {
        case 1:
            return (static_cast<int>(p[0]) - 128) / 128.0f;
        case 2:
            return static_cast<int16_t>(p[0] | p[1] << 8) / 32768.0f;
        case 3: {
            int32_t v = static_cast<int32_t>(uint32_t{p[0]} << 8 | uint32_t{p[1]} << 16 |
                                             uint32_t{p[2]} << 24);
            return static_cast<float>(v / 2147483648.0);
        }
        default: {
            int32_t v = static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 |
                                             uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24);
            return static_cast<float>(v / 2147483648.0);
        }
    }
}

int64_t PcmSound::framesOfMs(int64_t ms) const {
    return (ms * sampleRate + 500) / 1000;
}

int64_t PcmSound::msOfFrames(int64_t f) const {
    return sampleRate > 0 ? (f * 1000 + sampleRate / 2) / sampleRate : 0;
}

SoundLoad loadWav(const std::filesystem::path& file, PcmSound& out) {
    out = PcmSound{};
    wav::ReadProblem problem = wav::ReadProblem::None;
    std::optional<wav::Layout> layout = wav::readLayout(file, &problem);
    if (!layout)
        return problem == wav::ReadProblem::Missing ? SoundLoad::Missing : SoundLoad::Invalid;
    PcmSound sound;
    sound.sampleRate = static_cast<int32_t>(layout->sampleRate);
    sound.channels = layout->channels;
    sound.bitsPerSample = layout->bitsPerSample;
    if (!layout->isPcm() || !sound.playable()) return SoundLoad::Unsupported;
    if (layout->blockAlign != sound.frameBytes()) return SoundLoad::Invalid;
    const uint64_t bytes = layout->frames() * layout->blockAlign;
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> in(std::fopen(file.c_str(), "rb"));
    if (!in) return SoundLoad::Invalid;
    try {
        sound.data.resize(static_cast<size_t>(bytes));
    } catch (const std::bad_alloc&) {
        return SoundLoad::Invalid;
    }
    if (std::fseek(in.get(), static_cast<long>(layout->dataOffset), SEEK_SET) != 0 ||
        std::fread(sound.data.data(), 1, sound.data.size(), in.get()) != sound.data.size()) {
        return SoundLoad::Invalid;
    }
    out = std::move(sound);
    return SoundLoad::Ok;
}

}  // namespace velt::platform
