#include "desk/core/shared/audio_input.h"

#include "platform/outside/level_meter.h"
#include "platform/wave_io/wave_in.h"

namespace velt::desk {

namespace {

// The platform's sound input and its level meter.
class SystemAudioInput : public AudioInput {
  public:
    bool deviceName(int32_t device, std::string& name) override {
        if (device < 0 || device >= platform::wave_in::deviceCount()) return false;
        name = platform::wave_in::deviceName(device);
        return true;
    }
    bool meterAvailable() override { return true; }
    int32_t meterOpen(int32_t device) override { return platform::outside::WaveOpen(device); }
    int32_t meterLevel() override { return platform::outside::WaveLevel(); }
    int32_t meterClose() override { return platform::outside::WaveClose(); }
};

AudioInput*& installed() {
    static AudioInput* input = nullptr;
    return input;
}

}  // namespace

AudioInput& Audio() {
    static SystemAudioInput system;
    AudioInput* input = installed();
    return input ? *input : system;
}

void UseAudioInput(AudioInput* input) {
    installed() = input;
}

}  // namespace velt::desk
