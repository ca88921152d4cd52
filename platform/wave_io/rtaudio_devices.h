// What the system's sound input and output devices share: an RtAudio client over ALSA, the
// device list in our order (ALSA's "default" device first, the one the desktop's sound server
// routes) and the result number of a stream that would not open.
#pragma once

#include <rtaudio/RtAudio.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace velt::platform {

enum class SoundDirection { Input, Output };

// Frames the driver hands over per callback (about 12 ms at 44.1 kHz).
constexpr unsigned kRtAudioBufferFrames = 512;

// A client with its warnings silenced; nullptr when ALSA cannot be had.
std::unique_ptr<RtAudio> makeRtAudioClient();

// RtAudio reports stream problems (overruns) through this callback instead of printing them.
void quietRtAudio(RtAudioError::Type, const std::string&);

// The RtAudio ids and names of the devices with channels in `direction`, "default" first.
std::vector<std::pair<unsigned, std::string>> rtAudioDevices(RtAudio& client,
                                                             SoundDirection direction);

// The device count and a device's name ("" out of range), each through a client of its own.
int32_t rtAudioDeviceCount(SoundDirection direction);
std::string rtAudioDeviceName(SoundDirection direction, int32_t id);

// The multimedia result number (platform/mm_error) of a failed openStream.
int32_t rtAudioOpenResult(const RtAudioError& error);

}  // namespace velt::platform
