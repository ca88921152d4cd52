// The input level meter that the recording window and the options dialog poll: it holds a sound
// input device and tells the peak of what it hears now. It stands in for an outside level
// library, so its three calls keep that library's shape: WaveOpen(device) → 0 or an error number
// (those of platform/wave_io), WaveLevel() → the current peak 0..32767, WaveClose().
//
// The current peak is the largest absolute sample of the newest 50 ms (2,205 samples at 44.1 kHz;
// fewer just after the start); 0 while nothing has arrived and after the input has ended.
// Opening while open first closes the device held (callers open twice for one device), then opens.
#pragma once

#include <cstdint>

namespace velt::platform::outside {

// The meter as an object, for callers that keep their own.
class LevelMeter {
  public:
    LevelMeter() = default;
    ~LevelMeter() { close(); }
    LevelMeter(const LevelMeter&) = delete;
    LevelMeter& operator=(const LevelMeter&) = delete;

    int32_t open(int32_t device);  // -1: the default input device
    int32_t level();               // 0 when not open
    void close();
    bool isOpen() const { return handle_ != 0; }

  private:
    int32_t handle_ = 0;
};

// The outside library's entry points, on one meter per process.
int32_t WaveOpen(int32_t device);
int32_t WaveLevel();
int32_t WaveClose();

}  // namespace velt::platform::outside
