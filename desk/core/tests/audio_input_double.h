// A set of capture devices and a level meter for the window tests: named devices, a level the
// test sets, and a record of every meter call.
#pragma once

#include <string>
#include <vector>

#include "desk/core/shared/audio_input.h"

namespace velt::desk::test_audio {

class FakeAudioInput : public AudioInput {
  public:
    explicit FakeAudioInput(std::vector<std::string> names = {"Line In", "Microphone", "USB"})
        : names(std::move(names)) {
        UseAudioInput(this);
    }
    ~FakeAudioInput() override { UseAudioInput(nullptr); }

    bool deviceName(int32_t device, std::string& name) override {
        if (device < 0 || device >= static_cast<int32_t>(names.size())) return false;
        name = names[static_cast<size_t>(device)];
        return true;
    }
    bool meterAvailable() override { return available; }
    int32_t meterOpen(int32_t device) override {
        calls.push_back("open " + std::to_string(device));
        return openResult;
    }
    int32_t meterLevel() override { return level; }
    int32_t meterClose() override {
        calls.push_back("close");
        return 0;
    }

    std::vector<std::string> names;
    bool available = true;
    int32_t openResult = 0;
    int32_t level = 0;
    std::vector<std::string> calls;
};

}  // namespace velt::desk::test_audio
