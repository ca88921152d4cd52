#pragma once

namespace velt::engine {

// Decides the current frame by matching instrument filter templates (runs with a filter).
void MatchFilters();

}  // namespace velt::engine
