// Result codes of the decoder tool. Every operation returns 0 (or a positive count or index) on
// success and one of these negative codes on failure. Codes come in groups of one hundred; the
// tool prints the fixed English text of a code (errorText) in its error lines.
#pragma once

#include <string_view>

namespace velt::mp3 {

enum ErrorCode : int {
    kOk = 0,
    // General.
    kOutOfMemory = -100,
    kOutOfResources = -101,
    kInvalidParameters = -102,
    kInternalError = -103,
    kTimeout = -104,
    kVersionExpired = -105,
    kVersionMismatch = -106,
    // Input and output.
    kOpenFailed = -500,
    kCloseFailed = -501,
    kReadFailed = -502,
    kWriteFailed = -503,
    kPermissionDenied = -504,
    kNoSuchDevice = -505,
    kIoctlFailed = -506,
    kModuleNotFound = -507,
    kUnsupportedInputType = -508,
    kUnsupportedOutputType = -509,
    kUnsupportedFormat = -510,
    kDeviceBusy = -511,
    kNoSuchFile = -513,
    kEndOfStream = -514,
    // Codec.
    kNoCodec = -600,
    // The stream's sample rate changed: one output file holds one rate, so decoding ends there.
    kSampleRateChanged = -601,
    // Bit stream.
    kInvalidFrame = -700,
    // Properties.
    kNoSuchProperty = -900,
    kInvalidPropertyType = -901,
};

// The text of a code: empty for 0 and positive values and for an entry beyond its group's last,
// "unknown error" for a group that does not exist. Never fails; the text is static.
std::string_view errorText(int code);

}  // namespace velt::mp3
