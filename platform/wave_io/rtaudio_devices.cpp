#include "platform/wave_io/rtaudio_devices.h"

#include <algorithm>

#include "platform/device_log/quiet_libraries.h"
#include "platform/mm_error/mm_error.h"

namespace velt::platform {

std::unique_ptr<RtAudio> makeRtAudioClient() {
    quietOutsideSoundLibraries();
    try {
        auto client = std::make_unique<RtAudio>(RtAudio::LINUX_ALSA);
        client->showWarnings(false);
        return client;
    } catch (const RtAudioError&) {
        return nullptr;
    }
}

void quietRtAudio(RtAudioError::Type, const std::string&) {}

std::vector<std::pair<unsigned, std::string>> rtAudioDevices(RtAudio& client,
                                                             SoundDirection direction) {
    std::vector<std::pair<unsigned, std::string>> found;
    try {
        unsigned count = client.getDeviceCount();
        for (unsigned id = 0; id < count; ++id) {
            RtAudio::DeviceInfo info = client.getDeviceInfo(id);
            const unsigned channels =
                direction == SoundDirection::Input ? info.inputChannels : info.outputChannels;
            if (info.probed && channels > 0) found.emplace_back(id, info.name);
        }
    } catch (const RtAudioError&) {
    }
    std::stable_partition(found.begin(), found.end(),
                          [](const auto& device) { return device.second == "default"; });
    return found;
}

int32_t rtAudioDeviceCount(SoundDirection direction) {
    auto client = makeRtAudioClient();
    return client ? static_cast<int32_t>(rtAudioDevices(*client, direction).size()) : 0;
}

std::string rtAudioDeviceName(SoundDirection direction, int32_t id) {
    auto client = makeRtAudioClient();
    if (!client) return "";
    auto devices = rtAudioDevices(*client, direction);
    return id >= 0 && id < static_cast<int32_t>(devices.size()) ? devices[id].second : "";
}

int32_t rtAudioOpenResult(const RtAudioError& error) {
    switch (error.getType()) {
        case RtAudioError::INVALID_DEVICE:
            return kMmBadDeviceId;
        case RtAudioError::INVALID_PARAMETER:
            return kWaveBadFormat;
        case RtAudioError::MEMORY_ERROR:
            return kMmNoMemory;
        default:
            return kMmNoDriver;
    }
}

}  // namespace velt::platform
