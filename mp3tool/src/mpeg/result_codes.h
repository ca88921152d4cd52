// Result codes the MPEG decoding units return; they are the decoder tool's own codes, so a
// frame reader result can be passed on unchanged by the codec module.
#pragma once

namespace velt::mpeg {

constexpr int kOk = 0;
constexpr int kEndOfStream = -514;   // "end of input stream"
constexpr int kInvalidFrame = -700;  // "invalid frame": the frame is dropped, decoding goes on
constexpr int kOutOfMemory = -100;   // "out of memory"

}  // namespace velt::mpeg
