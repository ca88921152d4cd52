// Instrument filter tables: the templates of the selected instrument, read from "filter.txt" and
// "filter.ifd" in the install folder (ExePath).
#pragma once

namespace velt::engine {

// Loads the tables of the project's Filter entry; sets Filter to -1 when no filter can be used.
void LoadFilters();

}  // namespace velt::engine
