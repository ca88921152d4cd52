// The codec module "WAVE Audio Codec": passes a 16-bit PCM WAV input through to the output. It
// takes inputs whose name ends in "wav" (or whose stream type says WAVE), reads the RIFF chunks
// up to "data" when the stream starts, and then hands on the data chunk in blocks of whole sample
// frames. Only 16-bit integer PCM (format tag 1, or 0xFFFE with the PCM subformat) is accepted;
// anything else is kUnsupportedFormat.
#pragma once

#include "framework/codec_module.h"

namespace velt::mp3 {

CodecModule waveCodecModule();

}  // namespace velt::mp3
