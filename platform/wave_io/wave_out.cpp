#include "platform/wave_io/wave_out.h"

#include <algorithm>
#include <cstdlib>
#include <map>

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

struct State {
    Devices* chosen = nullptr;
    std::unique_ptr<Devices> own;
    std::map<int32_t, OpenStream> open;
    std::map<int32_t, uint32_t> volumes;  // per device; absent = full
    int32_t nextHandle = 1;
};

// The handle table stands for the operating system's: one per process.
State& state() {
    static State s;
    return s;
}

Devices& devices() {
    State& s = state();
    if (s.chosen) return *s.chosen;
    if (!s.own) {
        const char* log = std::getenv("VELTRANE_WAVEOUT_LOG");
        if (log && *log)
            s.own = std::make_unique<ClockWaveOut>(nullptr, 1, log);
        else
            s.own = makeSystemDevices();
    }
    return *s.own;
}

OpenStream* find(int32_t handle) {
    auto it = state().open.find(handle);
    return it == state().open.end() ? nullptr : &it->second;
}

uint32_t volumeOf(int32_t device) {
    auto it = state().volumes.find(device);
    return it == state().volumes.end() ? 0xFFFFFFFFu : it->second;
}

// The stream's own gain scaled by its device's volume.
void applyGain(OpenStream& entry) {
    uint32_t volume = volumeOf(entry.device);
    Gain g = entry.gain;
    g.left *= (volume & 0xFFFF) / 65535.0;
    g.right *= (volume >> 16) / 65535.0;
    entry.stream->setGain(g);
}

}  // namespace

void useDevices(Devices* chosen) {
    State& s = state();
    for (auto& [handle, entry] : s.open) entry.stream->stop();
    s.open.clear();
    s.volumes.clear();
    s.chosen = chosen;
    s.own.reset();
}

int32_t deviceCount() {
    return devices().count();
}

std::string deviceName(int32_t id) {
    if (id < 0 || id >= deviceCount()) return "";
    std::string name = devices().name(id);
    if (name.size() > kMaxDeviceNameLength) name.resize(kMaxDeviceNameLength);
    return name;
}

std::string errorText(int32_t result) {
    if (result == NoError) return "";
    std::string text = mmErrorText(result);
    return text.empty() ? "Error " + std::to_string(result) + "." : text;
}

int32_t open(int32_t& handle, int32_t id, std::shared_ptr<const PcmSound> sound) {
    handle = 0;
    if (!sound) return InvalidParam;
    int32_t count = deviceCount();
    if (count <= 0) return NoDevice;
    if (id == -1) id = 0;
    if (id < 0 || id >= count) return BadDeviceId;
    if (!sound->playable()) return BadFormat;
    OpenStream entry;
    entry.device = id;
    entry.sound = sound;
    int32_t result = devices().open(id, std::move(sound), entry.stream);
    if (result != NoError || !entry.stream) return result != NoError ? result : NoDriver;
    if (volumeOf(id) != 0xFFFFFFFFu) applyGain(entry);
    handle = state().nextHandle++;
    state().open.emplace(handle, std::move(entry));
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
    auto it = state().open.find(handle);
    if (it == state().open.end()) return InvalidHandle;
    it->second.stream->stop();
    state().open.erase(it);
    return NoError;
}

int32_t setVolume(int32_t id, uint32_t volume) {
    if (id == -1) id = 0;
    // A balance slider sets the volume at every step: a device open now needs no new look at
    // the system's devices.
    bool inUse = false;
    for (auto& [handle, e] : state().open) inUse = inUse || e.device == id;
    if (!inUse) {
        int32_t count = deviceCount();
        if (count <= 0) return NoDevice;
        if (id < 0 || id >= count) return BadDeviceId;
    }
    state().volumes[id] = volume;
    for (auto& [handle, entry] : state().open)
        if (entry.device == id) applyGain(entry);
    return NoError;
}

int32_t getVolume(int32_t id, uint32_t& volume) {
    volume = 0;
    int32_t count = deviceCount();
    if (count <= 0) return NoDevice;
    if (id == -1) id = 0;
    if (id < 0 || id >= count) return BadDeviceId;
    volume = volumeOf(id);
    return NoError;
}

}  // namespace velt::platform::wave_out
