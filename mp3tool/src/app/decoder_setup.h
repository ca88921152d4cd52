// Builds the decoder with every module the tool has.
#pragma once

#include <memory>

#include "framework/decoder.h"

namespace velt::mp3 {

// Creates the control block and registers the modules; 0 or the creation's code.
int buildDecoder(std::unique_ptr<Decoder>& decoder);

}  // namespace velt::mp3
