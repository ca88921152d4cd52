#include "platform/outside/level_meter.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/wave_io/wave_in.h"

namespace velt::platform::outside {

namespace {

void closeMeter(int32_t& handle) {
    if (!handle) return;
    wave_in::close(handle);
    handle = 0;
}

constexpr int64_t kWindowSamples = 2205;  // 50 ms at 44.1 kHz
constexpr size_t kRingSamples = 44100;    // one second is plenty for a 50 ms window
constexpr int32_t kFullScale = 32767;

// The handle of the process's meter (0: closed), as the outside library keeps it. A plain number,
// not a LevelMeter, so that nothing touches the sound input at exit: its own table closes it.
int32_t& processHandle() {
    static int32_t handle = 0;
    return handle;
}

int32_t openMeter(int32_t& handle, int32_t device) {
    closeMeter(handle);
    int32_t opened = 0;
    int32_t result = wave_in::open(opened, device, wave_in::kLiveFormat);
    if (result != wave_in::NoError) return result;
    result = wave_in::start(opened, kRingSamples);
    if (result != wave_in::NoError) {
        wave_in::close(opened);
        return result;
    }
    handle = opened;
    return wave_in::NoError;
}

int32_t meterLevel(int32_t handle) {
    if (!handle) return 0;
    bool done = false;
    int64_t captured = 0;
    if (wave_in::isDone(handle, done) != wave_in::NoError || done) return 0;
    if (wave_in::position(handle, captured) != wave_in::NoError || captured <= 0) return 0;
    std::vector<int16_t> newest(static_cast<size_t>(std::min(captured, kWindowSamples)));
    if (wave_in::read(handle, captured, newest) != wave_in::NoError) return 0;
    int32_t peak = 0;
    for (int16_t sample : newest) peak = std::max(peak, std::abs(static_cast<int32_t>(sample)));
    return std::min(peak, kFullScale);  // -32768 reads as full scale
}

}  // namespace

int32_t LevelMeter::open(int32_t device) {
    return openMeter(handle_, device);
}

int32_t LevelMeter::level() {
    return meterLevel(handle_);
}

void LevelMeter::close() {
    closeMeter(handle_);
}

int32_t WaveOpen(int32_t device) {
    return openMeter(processHandle(), device);
}

int32_t WaveLevel() {
    return meterLevel(processHandle());
}

int32_t WaveClose() {
    closeMeter(processHandle());
    return 0;
}

}  // namespace velt::platform::outside
