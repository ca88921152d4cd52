#include "platform/wave_io/wave_in.h"

#include <cstdlib>
#include <map>
#include <string_view>

#include "platform/wave_io/file_wave_in.h"
#include "platform/wave_io/system_wave_in.h"

namespace velt::platform::wave_in {

namespace {

struct OpenCapture {
    int32_t device = 0;
    int32_t channels = 1;
    std::unique_ptr<Capture> capture;
    size_t ringSamples = 0;  // 0 until started
};

struct State {
    Devices* chosen = nullptr;
    std::unique_ptr<Devices> own;
    std::map<int32_t, OpenCapture> open;
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
        const char* file = std::getenv("VELTRANE_WAVEIN_FILE");
        const char* paced = std::getenv("VELTRANE_WAVEIN_PACED");
        const Pacing pacing =
            paced && std::string_view(paced) == "engine" ? Pacing::Reader : Pacing::WallClock;
        if (file && *file)
            s.own = std::make_unique<FileDevices>(file, nullptr, pacing);
        else
            s.own = makeSystemDevices();
    }
    return *s.own;
}

OpenCapture* find(int32_t handle) {
    auto it = state().open.find(handle);
    return it == state().open.end() ? nullptr : &it->second;
}

}  // namespace

void useDevices(Devices* chosen) {
    State& s = state();
    for (auto& [handle, entry] : s.open) entry.capture->stop();
    s.open.clear();
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

int32_t open(int32_t& handle, int32_t id, const Format& format) {
    handle = 0;
    int32_t count = deviceCount();
    if (count <= 0) return NoDevice;
    if (id == -1) id = 0;
    if (id < 0 || id >= count) return BadDeviceId;
    if (format.bitsPerSample != 16 || format.channels < 1 || format.channels > 2 ||
        format.sampleRate <= 0) {
        return BadFormat;
    }
    State& s = state();
    for (auto& [h, entry] : s.open) {
        if (entry.device == id) return Allocated;
    }
    OpenCapture entry;
    entry.device = id;
    entry.channels = format.channels;
    int32_t result = devices().open(id, format, entry.capture);
    if (result != NoError || !entry.capture) return result != NoError ? result : NoDriver;
    handle = s.nextHandle++;
    s.open.emplace(handle, std::move(entry));
    return NoError;
}

int32_t start(int32_t handle, size_t ringSamples) {
    OpenCapture* entry = find(handle);
    if (!entry) return InvalidHandle;
    if (entry->ringSamples != 0) return NoError;
    if (ringSamples == 0) return InvalidParam;
    int32_t result = entry->capture->start(ringSamples);
    if (result == NoError) entry->ringSamples = ringSamples;
    return result;
}

int32_t position(int32_t handle, int64_t& samples) {
    samples = 0;
    OpenCapture* entry = find(handle);
    if (!entry) return InvalidHandle;
    if (!entry->capture->position(samples)) {
        samples = 0;
        return NotSupported;
    }
    return NoError;
}

int32_t isDone(int32_t handle, bool& done) {
    done = false;
    OpenCapture* entry = find(handle);
    if (!entry) return InvalidHandle;
    done = entry->ringSamples != 0 && entry->capture->done();
    return NoError;
}

int32_t read(int32_t handle, int64_t end, std::span<int16_t> out) {
    OpenCapture* entry = find(handle);
    if (!entry) return InvalidHandle;
    if (out.size() % static_cast<size_t>(entry->channels) != 0) return InvalidParam;
    int64_t frames = static_cast<int64_t>(out.size()) / entry->channels;
    int64_t captured = 0;
    if (entry->ringSamples == 0 || !entry->capture->position(captured)) captured = 0;
    int64_t oldest = captured - static_cast<int64_t>(entry->ringSamples);
    int64_t first = end - frames;
    if (end > captured || first < 0 || first < oldest) return InvalidParam;
    if (frames > 0 && !entry->capture->read(first, out)) return InvalidParam;
    return NoError;
}

int32_t stop(int32_t handle) {
    OpenCapture* entry = find(handle);
    if (!entry) return InvalidHandle;
    entry->capture->stop();
    return NoError;
}

int32_t close(int32_t handle) {
    auto it = state().open.find(handle);
    if (it == state().open.end()) return InvalidHandle;
    it->second.capture->stop();
    state().open.erase(it);
    return NoError;
}

}  // namespace velt::platform::wave_in
