// MIDI output devices: numbering, names, opening, short messages, reset and close, with the
// classic multimedia error numbers the programs' messages are written around.
//
// Devices come from one of three sources (the rules they share: platform/device_set):
// - the system's devices: first the built-in software synthesizer (soft_synth.h) when it is
//   available, then the MIDI output ports of the ALSA sequencer (RtMidi); a machine with neither
//   has no device (count 0, open gives NoDevice);
// - with VELTRANE_MIDIOUT_LOG=<file> in the environment, one recording device that appends a line
//   per event to that file: "<ms> <bytes as lower-case hex, blank-separated>", "<ms> reset",
//   "<ms> close", with ms counted from the first use of MIDI output in the process;
// - an in-process device set installed by a test (RecordingMidiOut below).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/mm_error/mm_error.h"

namespace velt::platform::midi_out {

// The classic multimedia result numbers (platform/mm_error).
enum Result : int32_t {
    NoError = kMmOk,
    BadDeviceId = kMmBadDeviceId,
    Allocated = kMmAllocated,
    InvalidHandle = kMmInvalidHandle,
    NoDriver = kMmNoDriver,
    InvalidParam = kMmInvalidParam,
    BadFormat = kWaveBadFormat,
    NotReady = kMidiNotReady,
    NoDevice = kMidiNoDevice,
};

using platform::kMaxDeviceNameLength;  // device names are cut to this length

// Our text for a result number ("" for NoError, a generic text for numbers not in the table).
std::string errorText(int32_t result);

// One open port of a device.
class Port {
  public:
    virtual ~Port() = default;
    virtual int32_t send(const std::vector<uint8_t>& bytes) = 0;
    virtual int32_t reset() = 0;  // all notes off and sustain off on every channel
    virtual void close() = 0;
    // Output volume 0..1 as the device's own gain; false when the device has none (the layer
    // then scales note-on velocities instead).
    virtual bool setGain(double) { return false; }
};

// A set of devices, numbered from 0.
class Devices {
  public:
    virtual ~Devices() = default;
    virtual int32_t count() = 0;
    virtual std::string name(int32_t id) = 0;
    virtual int32_t open(int32_t id, std::unique_ptr<Port>& port) = 0;
};

// Selects the devices for this process: nullptr goes back to the layer's own choice
// (the log device when VELTRANE_MIDIOUT_LOG is set, else the system's ports).
void useDevices(Devices* devices);

int32_t deviceCount();
std::string deviceName(int32_t id);  // "" for an id out of range; at most kMaxDeviceNameLength

// Opens device `id` (-1: the default device, the first one). `handle` gets a non-zero number on
// success and 0 on failure. Opening a device already open in this process gives Allocated.
int32_t open(int32_t& handle, int32_t id);
// Sends a packed short message: status in the low byte, then the data bytes (cut to 7 bits, so a
// stray high bit never turns into a status byte on the wire). A data byte as status (below 0x80)
// repeats the port's last status (running status). System exclusive (0xF0, 0xF7) cannot travel
// as a short message: InvalidParam.
int32_t shortMessage(int32_t handle, uint32_t packed);
int32_t reset(int32_t handle);
int32_t close(int32_t handle);

// The output volume of device `id` (-1: the default one) in this process, packed as the classic
// volume word: left in the low 16 bits, right in the high 16 bits, 0xFFFF = full. MIDI has one
// level, so the louder side counts. The built-in synthesizer takes it as its gain; other devices
// get note-on velocities scaled by it (a note keeps at least velocity 1 unless the volume is 0). It
// holds for ports open now and opened later.
int32_t setVolume(int32_t id, uint32_t volume);
int32_t getVolume(int32_t id, uint32_t& volume);

// The number of bytes a short message with this status byte has (1..3).
int messageLength(uint8_t status);

// The reset sequence on all sixteen channels (controller 64 = 0: sustain off, controller 123 = 0:
// all notes off), sent through a port's send; ports of real devices use it for their reset.
int32_t sendResetMessages(Port& port);

// The test double: records every event in memory and answers with the results set on it.
class RecordingMidiOut : public Devices {
  public:
    struct Event {
        enum class Kind { Open, Message, Reset, Close } kind;
        int32_t device = 0;
        std::vector<uint8_t> bytes;
    };

    explicit RecordingMidiOut(int32_t devices = 1) : devices_(devices) {}
    int32_t count() override { return devices_; }
    std::string name(int32_t id) override;
    int32_t open(int32_t id, std::unique_ptr<Port>& port) override;

    std::vector<Event> events;
    int32_t openResult = NoError;
    int32_t sendResult = NoError;  // the result every send gives
    bool hasGain = false;          // ports take the volume as a gain (recorded in `gains`)
    std::vector<double> gains;

  private:
    int32_t devices_;
};

}  // namespace velt::platform::midi_out
