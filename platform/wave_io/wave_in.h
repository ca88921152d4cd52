// Sound input (live capture): numbered input devices opened through handles, started into a ring
// of samples whose count the caller polls, answering with the classic multimedia error numbers
// (platform/mm_error).
//
// Capture runs on its own (a sound card fills the ring from its driver's thread); the caller never
// waits: it asks how many samples have arrived and copies the newest ones. The ring keeps the last
// `ringSamples` samples; capture goes on indefinitely.
//
// Devices come from one of three sources (the rules they share: platform/device_set):
// - the system's input devices (RtAudio over ALSA; ALSA's "default" device first); a machine
//   without sound hardware has none (count 0, open gives NoDevice);
// - with VELTRANE_WAVEIN_FILE=<wav> in the environment, one device that plays that WAV file
//   (44.1 kHz, 16-bit, mono or stereo) as its input at wall-clock pace from the start, then is done
//   (file_wave_in.h); VELTRANE_WAVEIN_PACED=engine also keeps it at most 10 ms ahead of what
//   has been read, so a starved reader hears everything later rather than skipping some, and
//   VELTRANE_WAVEIN_PACED=file lets the reader alone set the pace (file speed, for tests);
// - an in-process device set installed by a test (fake_wave_in.h).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/mm_error/mm_error.h"

namespace velt::platform::wave_in {

enum Result : int32_t {
    NoError = kMmOk,
    BadDeviceId = kMmBadDeviceId,
    Allocated = kMmAllocated,
    InvalidHandle = kMmInvalidHandle,
    NoDriver = kMmNoDriver,
    NoMemory = kMmNoMemory,
    NotSupported = kMmNotSupported,
    InvalidParam = kMmInvalidParam,
    BadFormat = kWaveBadFormat,
    NoDevice = kMidiNoDevice,
};

// Capture format: 16-bit PCM at `sampleRate`, `channels` interleaved. Every device takes the live
// format; other formats only where the device offers them.
struct Format {
    int32_t sampleRate = 44100;
    int32_t channels = 1;
    int32_t bitsPerSample = 16;
    bool operator==(const Format&) const = default;
};
constexpr Format kLiveFormat{};  // 44,100 Hz, mono, 16-bit

using platform::kMaxDeviceNameLength;  // device names are cut to this length

// One open capture of a device, made by Devices::open.
class Capture {
  public:
    virtual ~Capture() = default;
    // Makes a ring of `ringSamples` samples and starts capturing into it; NoMemory when the ring
    // cannot be had.
    virtual int32_t start(size_t ringSamples) = 0;
    // Samples captured since the start; false when the device cannot tell.
    virtual bool position(int64_t& samples) = 0;
    // True when the device will deliver nothing more (a file device at the end of its file).
    virtual bool done() = 0;
    // Copies frames first .. first + out.size() / channels - 1; the layer has checked that they
    // arrived and were in the ring. False when capture has overwritten some of them meanwhile.
    virtual bool read(int64_t first, std::span<int16_t> out) = 0;
    // Stops capturing; what arrived stays readable.
    virtual void stop() = 0;
};

// A set of input devices, numbered from 0.
class Devices {
  public:
    virtual ~Devices() = default;
    virtual int32_t count() = 0;
    virtual std::string name(int32_t id) = 0;
    virtual int32_t open(int32_t id, const Format& format, std::unique_ptr<Capture>& capture) = 0;
};

// Selects the devices for this process: nullptr goes back to the layer's own choice. Handles
// still open are closed.
void useDevices(Devices* devices);

int32_t deviceCount();
std::string deviceName(int32_t id);  // "" for an id out of range; at most kMaxDeviceNameLength

// Our text for a result number ("" for NoError, a generic text for numbers not in the table).
std::string errorText(int32_t result);

// Opens device `id` (-1: the default device, the first one) for capture in `format`. `handle`
// gets a non-zero number on success and 0 on failure. NoDevice when there is no device at all,
// BadDeviceId for an id out of range, Allocated when the device is open in this process already,
// BadFormat when the device cannot capture in that format.
int32_t open(int32_t& handle, int32_t id, const Format& format = kLiveFormat);
// Starts capturing into a ring that keeps the newest `ringSamples` samples (per channel: frames).
// A second start does nothing. NoMemory when the ring cannot be allocated, InvalidParam for 0.
int32_t start(int32_t handle, size_t ringSamples);
// Samples (frames) captured since the start, 0 before it; NotSupported when the device cannot
// report its position.
int32_t position(int32_t handle, int64_t& samples);
// Whether the device has delivered all it ever will.
int32_t isDone(int32_t handle, bool& done);
// Copies the out.size() / channels frames that end before frame `end` (interleaved);
// InvalidParam when some of them have not arrived yet or have left the ring.
int32_t read(int32_t handle, int64_t end, std::span<int16_t> out);
// Stops capturing (samples already captured stay readable).
int32_t stop(int32_t handle);
int32_t close(int32_t handle);

}  // namespace velt::platform::wave_in
