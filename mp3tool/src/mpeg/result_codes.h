// The decoder tool's result codes that the MPEG decoding units return, so a frame reader result
// can be passed on unchanged by the codec module.
#pragma once

#include "framework/error_codes.h"

namespace velt::mpeg {

using mp3::kEndOfStream;   // "end of input stream"
using mp3::kInvalidFrame;  // "invalid frame": the frame is dropped, decoding goes on
using mp3::kOk;
using mp3::kOutOfMemory;

}  // namespace velt::mpeg
