#include "desk/core/shared/audio_input.h"

namespace velt::desk {

namespace {

// The platform's sound input. Until the platform offers capture devices and its level meter,
// the system has no device and no meter.
class SystemAudioInput : public AudioInput {
  public:
    bool deviceName(int32_t, std::string&) override { return false; }
    bool meterAvailable() override { return false; }
    int32_t meterOpen(int32_t) override { return 68; }
    int32_t meterLevel() override { return 0; }
    int32_t meterClose() override { return 0; }
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
