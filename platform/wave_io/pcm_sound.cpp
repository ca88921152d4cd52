#include "platform/wave_io/pcm_sound.h"

namespace velt::platform {

bool PcmSound::playable() const {
    bool bitsOk = bitsPerSample == 8 || bitsPerSample == 16 || bitsPerSample == 24 ||
                  bitsPerSample == 32;
    return bitsOk && (channels == 1 || channels == 2) && sampleRate >= 1000 &&
           sampleRate <= 192000;
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

}  // namespace velt::platform
