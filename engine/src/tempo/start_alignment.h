// Start alignment: the grid start near the first onset that lies closest to all onsets.
//
// Candidate starts x run over one grid unit C centred on the first onset T0, from
// trunc(T0 - C/2 + 1) to trunc(T0 + C/2). Each is scored by the summed distance from the grid
// points x, x + C, x + 2C, ... (as many units as fit between the first and the last onset) to their
// nearest onsets, each distance rounded; the smallest sum wins, the earliest on ties. Times and
// the result are in tempo frames. Needs at least one onset.
#pragma once

#include <cstdint>
#include <vector>

namespace velt::engine {

int64_t AlignStart(const std::vector<int32_t>& onsets, double unit);

}  // namespace velt::engine
