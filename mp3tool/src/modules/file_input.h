// The input module "Input From File": delivers the bytes of a file, or of standard input when
// the name is "-". A file whose name ends in ".mp3" has its ID3v1 tag published as stream
// properties when it is opened.
#pragma once

#include "framework/input_module.h"

namespace velt::mp3 {

InputModule fileInputModule();

}  // namespace velt::mp3
