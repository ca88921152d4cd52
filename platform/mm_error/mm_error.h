// The multimedia error numbers the sound input and MIDI output devices answer with, and their
// texts. The numbers are the classic ones because the programs' messages are written around them
// ("MMSYSTEM: " followed by the text, or "MMSYSTEM: Error " followed by the number).
#pragma once

#include <cstddef>
#include <string>

namespace velt::platform {

enum MmError : int {
    kMmOk = 0,
    kMmError = 1,          // unspecified failure of the device
    kMmBadDeviceId = 2,    // device number out of range
    kMmAllocated = 4,      // the device (or this handle) is already in use
    kMmInvalidHandle = 5,  // the handle is not open
    kMmNoDriver = 6,       // the device's driver or back end cannot work
    kMmNoMemory = 7,       // a buffer could not be allocated
    kMmNotSupported = 8,   // the device cannot do what was asked (report its position, ...)
    kMmInvalidParam = 11,  // a message or argument the device cannot take
    kWaveBadFormat = 32,   // the device cannot capture in the format asked for
    kMidiNotReady = 67,    // the device is busy
    kMidiNoDevice = 68,    // there is no device at all
};

// Device names are cut to this many characters, as the device lists show them.
constexpr size_t kMaxDeviceNameLength = 31;

// The text of an error number, without the "MMSYSTEM: " prefix; empty for a number that has none.
std::string mmErrorText(int error);

// The text a device layer answers for a result number: "" for kMmOk, "Error <n>." for a number
// without a text of its own.
std::string mmResultText(int error);

}  // namespace velt::platform
