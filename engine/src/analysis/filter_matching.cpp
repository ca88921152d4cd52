// Instrument-filter matching. Until filter tables are loaded a frame decided this way is silent.
#include "filter_matching.h"

#include <algorithm>

#include "run_state.h"

namespace velt::engine {

void MatchFilters() {
    AnalysisState& analysis = run().analysis;
    if (analysis.slot < 0 || analysis.slot >= kSlotCount) return;
    int hi = std::min(run().geo.TopKey, kKeyCount - 1);
    for (int k = std::max(run().settings.KeyMin, 0); k <= hi; ++k) {
        analysis.cell(k, analysis.slot).level = 0;
        analysis.cell(k, analysis.slot).bend = 0;
    }
}

}  // namespace velt::engine
