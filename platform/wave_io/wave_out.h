// Sound output: PCM sounds played on numbered output devices through handles, asynchronously,
// answering with the classic multimedia error numbers (platform/mm_error).
//
// A playback runs on its own (a sound card pulls the samples from its driver's thread); the
// caller never waits: it starts a stretch of frames, asks for the position, pauses, resumes or
// stops. Each open stream has its own gain, left and right; a device's volume
// (setVolume) scales every stream of that device in this process. The system mixer is never
// touched.
//
// Devices come from one of three sources (the rules they share: platform/device_set):
// - the system's output devices (RtAudio over ALSA; ALSA's "default" device first); a machine
//   without sound hardware has none (count 0, open gives NoDevice, quietly);
// - with VELTRANE_WAVEOUT_LOG=<file> in the environment, one device that plays in real time
//   without sound and appends a line per call to that file (clock_wave_out.h);
// - an in-process device set installed by a test (ClockWaveOut, playing in a test clock's time).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/mm_error/mm_error.h"
#include "platform/wave_io/pcm_sound.h"

namespace velt::platform::wave_out {

enum Result : int32_t {
    NoError = kMmOk,
    BadDeviceId = kMmBadDeviceId,
    Allocated = kMmAllocated,
    InvalidHandle = kMmInvalidHandle,
    NoDriver = kMmNoDriver,
    NoMemory = kMmNoMemory,
    InvalidParam = kMmInvalidParam,
    BadFormat = kWaveBadFormat,
    NoDevice = kMidiNoDevice,
};

using platform::kMaxDeviceNameLength;  // device names are cut to this length

// Stream gains: 1.0 is the sound as recorded.
struct Gain {
    double left = 1.0;
    double right = 1.0;
    bool operator==(const Gain&) const = default;
};

// One open stream of a device, made by Devices::open for one sound.
class Stream {
  public:
    virtual ~Stream() = default;
    // Starts playing frames first .. end - 1 (0 <= first <= end <= frames); a stream that plays
    // already starts over. The layer has checked the range.
    virtual int32_t play(int64_t first, int64_t end) = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    virtual void stop() = 0;
    // The frame playing now (the end once played out).
    virtual int64_t position() = 0;
    // True once the started stretch has played out (not while paused or stopped before it).
    virtual bool finished() = 0;
    virtual void setGain(const Gain& gain) = 0;
};

// A set of output devices, numbered from 0.
class Devices {
  public:
    virtual ~Devices() = default;
    virtual int32_t count() = 0;
    virtual std::string name(int32_t id) = 0;
    virtual int32_t open(int32_t id, std::shared_ptr<const PcmSound> sound,
                         std::unique_ptr<Stream>& stream) = 0;
};

// Selects the devices for this process: nullptr goes back to the layer's own choice. Handles
// still open are closed.
void useDevices(Devices* devices);

int32_t deviceCount();
std::string deviceName(int32_t id);  // "" for an id out of range; at most kMaxDeviceNameLength
// Our text for a result number ("" for NoError, a generic text for numbers not in the table).
std::string errorText(int32_t result);

// Opens device `id` (-1: the default device, the first one) for `sound`. `handle` gets a
// non-zero number on success and 0 on failure. NoDevice when there is no device at all,
// BadDeviceId for an id out of range, BadFormat for a sound the layer cannot play (see
// PcmSound::playable). Several streams may play on one device at once.
int32_t open(int32_t& handle, int32_t id, std::shared_ptr<const PcmSound> sound);
// Plays frames first .. end - 1, asynchronously; both are clamped to the sound's frames and an
// end before first plays nothing.
int32_t play(int32_t handle, int64_t first, int64_t end);
int32_t pause(int32_t handle);
int32_t resume(int32_t handle);
int32_t stop(int32_t handle);
// The frame playing now.
int32_t position(int32_t handle, int64_t& frame);
// Whether the last play has played out.
int32_t isFinished(int32_t handle, bool& finished);
// The stream's own gain, each side 0..1 (values outside are clamped).
int32_t setGain(int32_t handle, Gain gain);
int32_t close(int32_t handle);

// The volume of device `id` (-1: the default one) in this process, packed as the classic
// volume word: left in the low 16 bits, right in the high 16 bits, 0xFFFF = full. It scales the
// gain of every stream of that device, open now or later.
int32_t setVolume(int32_t id, uint32_t volume);
int32_t getVolume(int32_t id, uint32_t& volume);

}  // namespace velt::platform::wave_out
