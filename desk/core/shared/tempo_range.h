// The tempo a project can hold, in beats per minute, and the part of it that the tempo gauges
// show: every tempo box holds its number to 5 ... 1080, and a needle drawn for a tempo beyond
// 5 ... 235 rests at the end of its dial.
#pragma once

#include <cstdint>

namespace velt::desk {

constexpr int32_t kSlowestTempo = 5;
constexpr int32_t kFastestTempo = 1080;
constexpr int32_t kFastestGaugeTempo = 235;  // the tempo at the right end of a tempo gauge

}  // namespace velt::desk
