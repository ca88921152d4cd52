// Layer I decoding (ISO/IEC 11172-3, 2.4.3.2; also the low sampling rates of ISO/IEC 13818-3):
// bit allocation, scale factors and 12 slots of samples per frame, fed to synthesis.
#pragma once

#include "mpeg/frame_context.h"

namespace velt::mpeg {

// Returns 0, or -700 (nothing synthesised) for an allocation of 15, a scale factor index of 63,
// or fields that run past the frame's bytes.
int decodeLayer1(FrameContext& frame);

}  // namespace velt::mpeg
