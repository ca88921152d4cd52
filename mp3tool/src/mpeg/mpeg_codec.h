// The "MPEG Audio Codec" module of the decoder tool: decodes MPEG audio (Layers I, II and III of
// MPEG-1, the low sampling rates of MPEG-2, and MPEG 2.5 for Layer III) into 16-bit PCM, one
// frame per decode. It probes the stream start (ID3v2 tag, first header, Xing or VBRI header)
// for duration and bit rate, maps between byte positions and play time for seeking, publishes
// "mpeg/level", "mpeg/layer" and "mpeg/mode", and takes three options: channel routing (option 1),
// rate reduction (option 2) and 32 gains per channel (option 3).
#pragma once

#include "framework/codec_module.h"

namespace velt::mp3 {

CodecModule mpegCodecModule();

}  // namespace velt::mp3
