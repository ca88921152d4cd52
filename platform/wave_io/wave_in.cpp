#include "platform/wave_io/wave_in.h"

#include <cstdlib>
#include <string_view>

#include "platform/device_set/device_table.h"
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

// The handle table stands for the operating system's: one per process.
DeviceTable<Devices, OpenCapture>& table() {
    static DeviceTable<Devices, OpenCapture> t(
        []() -> std::unique_ptr<Devices> {
            const char* file = std::getenv("VELTRANE_WAVEIN_FILE");
            const char* paced = std::getenv("VELTRANE_WAVEIN_PACED");
            const std::string_view pace = paced ? paced : "";
            const Pacing pacing = pace == "engine" ? Pacing::Reader
                                  : pace == "file" ? Pacing::FileSpeed
                                                   : Pacing::WallClock;
            if (file && *file) return std::make_unique<FileDevices>(file, nullptr, pacing);
            return makeSystemDevices();
        },
        [](OpenCapture& entry) { entry.capture->stop(); });
    return t;
}

OpenCapture* find(int32_t handle) {
    return table().find(handle);
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

int32_t open(int32_t& handle, int32_t id, const Format& format) {
    handle = 0;
    if (int32_t result = table().checkId(id); result != NoError) return result;
    if (format.bitsPerSample != 16 || format.channels < 1 || format.channels > 2 ||
        format.sampleRate <= 0) {
        return BadFormat;
    }
    if (table().inUse(id)) return Allocated;
    OpenCapture entry;
    entry.device = id;
    entry.channels = format.channels;
    int32_t result = table().devices().open(id, format, entry.capture);
    if (result != NoError || !entry.capture) return result != NoError ? result : NoDriver;
    handle = table().add(std::move(entry));
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
    return table().close(handle);
}

}  // namespace velt::platform::wave_in
