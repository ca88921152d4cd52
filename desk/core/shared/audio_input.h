// Sound input as the options dialog and the live window reach it: the numbered capture devices
// with their names, and the input level meter (open one device, read its current peak, close).
// The program uses the platform's devices; a test installs its own set.
#pragma once

#include <cstdint>
#include <string>

namespace velt::desk {

class AudioInput {
  public:
    virtual ~AudioInput() = default;
    // The capabilities query of one capture device: false past the last device.
    virtual bool deviceName(int32_t device, std::string& name) = 0;
    // False when the level meter cannot be called at all (it is not installed).
    virtual bool meterAvailable() = 0;
    // Starts watching the input level of `device` (-1: the default input): 0, or an error
    // number for the user. Opening while open watches the new device instead.
    virtual int32_t meterOpen(int32_t device) = 0;
    // The current input peak, 0..32768.
    virtual int32_t meterLevel() = 0;
    virtual int32_t meterClose() = 0;
};

AudioInput& Audio();

// nullptr goes back to the platform's devices.
void UseAudioInput(AudioInput* input);

}  // namespace velt::desk
