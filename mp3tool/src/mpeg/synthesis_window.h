// The synthesis window D[i] of the polyphase filterbank, in units of 2^-16.
#pragma once

#include <array>
#include <cstdint>

namespace velt::mpeg {

// D[i] x 65536. The filter uses D[i] x 32768 so that its sums come out in 16-bit sample units.
extern const std::array<std::int32_t, 512> kSynthesisWindow;

}  // namespace velt::mpeg
