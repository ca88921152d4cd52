#include "platform/wave_io/wave_out.h"

#include <algorithm>
#include <cstdlib>

#include "platform/device_set/device_table.h"
#include "platform/wave_io/clock_wave_out.h"
#include "platform/wave_io/system_wave_out.h"

namespace velt::platform::wave_out {

namespace {

struct OpenStream {
    int32_t device = 0;
    std::shared_ptr<const PcmSound> sound;
    std::unique_ptr<Stream> stream;
    Gain gain;
};

// The handle table stands for the operating system's: one per process.
DeviceTable<Devices, OpenStream>& table() {
    static DeviceTable<Devices, OpenStream> t(
        []() -> std::unique_ptr<Devices> {
            const char* log = std::getenv("VELTRANE_WAVEOUT_LOG");
            if (log && *log) return std::make_unique<ClockWaveOut>(nullptr, 1, log);
            return makeSystemDevices();
        },
        [](OpenStream& entry) { entry.stream->stop(); });
    return t;
}

OpenStream* find(int32_t handle) {
    return table().find(handle);
}

// The stream's own gain scaled by its device's volume.
void applyGain(OpenStream& entry) {
    uint32_t volume = table().volume(entry.device);
    Gain g = entry.gain;
    g.left *= (volume & 0xFFFF) / 65535.0;
    g.right *= (volume >> 16) / 65535.0;
    entry.stream->setGain(g);
}

}  // namespace

void useDevices(Devices* chosen) {
    table().use(chosen);
}

int32_t deviceCount() {
    return table().count();
}

std::string deviceName(int32_t id) {
    return table().name(id);
}

std::string errorText(int32_t result) {
    return mmResultText(result);
}

int32_t open(int32_t& handle, int32_t id, std::shared_ptr<const PcmSound> sound) {
    handle = 0;
    if (!sound) return InvalidParam;
    if (int32_t result = table().checkId(id); result != NoError) return result;
    if (!sound->playable()) return BadFormat;
    OpenStream entry;
    entry.device = id;
    entry.sound = sound;
    int32_t result = table().devices().open(id, std::move(sound), entry.stream);
    if (result != NoError || !entry.stream) return result != NoError ? result : NoDriver;
    if (table().volume(id) != kFullVolume) applyGain(entry);
    handle = table().add(std::move(entry));
    return NoError;
}

int32_t play(int32_t handle, int64_t first, int64_t end) {
    OpenStream* entry = find(handle);
    if (!entry) return InvalidHandle;
    const int64_t frames = entry->sound->frames();
    first = std::clamp<int64_t>(first, 0, frames);
    end = std::clamp<int64_t>(end, first, frames);
    return entry->stream->play(first, end);
}

int32_t pause(int32_t handle) {
    OpenStream* entry = find(handle);
    if (!entry) return InvalidHandle;
    entry->stream->pause();
    return NoError;
}

int32_t resume(int32_t handle) {
    OpenStream* entry = find(handle);
    if (!entry) return InvalidHandle;
    entry->stream->resume();
    return NoError;
}

int32_t stop(int32_t handle) {
    OpenStream* entry = find(handle);
    if (!entry) return InvalidHandle;
    entry->stream->stop();
    return NoError;
}

int32_t position(int32_t handle, int64_t& frame) {
    frame = 0;
    OpenStream* entry = find(handle);
    if (!entry) return InvalidHandle;
    frame = entry->stream->position();
    return NoError;
}

int32_t isFinished(int32_t handle, bool& finished) {
    finished = false;
    OpenStream* entry = find(handle);
    if (!entry) return InvalidHandle;
    finished = entry->stream->finished();
    return NoError;
}

int32_t setGain(int32_t handle, Gain gain) {
    OpenStream* entry = find(handle);
    if (!entry) return InvalidHandle;
    entry->gain = {std::clamp(gain.left, 0.0, 1.0), std::clamp(gain.right, 0.0, 1.0)};
    applyGain(*entry);
    return NoError;
}

int32_t close(int32_t handle) {
    return table().close(handle);
}

int32_t setVolume(int32_t id, uint32_t volume) {
    return table().setVolume(id, volume, applyGain);
}

int32_t getVolume(int32_t id, uint32_t& volume) {
    return table().getVolume(id, volume);
}

}  // namespace velt::platform::wave_out
