// The error numbers of the multimedia command layer and their texts: our own numbers, apart from
// the device layers' classic ones (platform/mm_error), one table walked by a test. 0 is success.
#pragma once

#include <cstdint>
#include <string>

namespace velt::platform::mci {

enum MciError : int32_t {
    kMciOk = 0,
    kMciUnknownCommand = 301,  // the first word is no command, or the device has no such command
    kMciUnknownKeyword = 302,  // a word the command does not take, or a value it cannot read
    kMciBadString = 303,       // a quote missing or misplaced, a path with a quote, a value missing
    kMciAliasNotOpen = 304,    // no device is open under that name
    kMciAliasInUse = 305,      // the name is taken by an open device
    kMciFileNotFound = 306,
    kMciInvalidFile = 307,  // damaged, or not of the kind the device plays
    kMciNoDevice = 308,     // no sound or MIDI device to play or record on
    kMciBusy = 309,         // the device is in use
    kMciFormatNotSupported = 310,
    kMciOutOfRange = 311,  // a position or setting outside what the device takes
    kMciWriteFailed = 312,
    kMciHardwareFailure = 313,  // the sound or MIDI device failed
};

constexpr int32_t kMciFirstError = kMciUnknownCommand;
constexpr int32_t kMciLastError = kMciHardwareFailure;

// The text of an error number; false (and a generic text) for a number not in the table.
bool mciGetErrorString(int32_t error, std::string& text);

}  // namespace velt::platform::mci
