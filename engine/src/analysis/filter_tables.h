// Instrument filter tables: the index "filter.txt" (one instrument per line) and the binary
// templates "filter.ifd" in the install folder, loaded once per run for the filter matching.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "analysis/analysis_types.h"

namespace velt::engine {

struct FilterIndexLine {
    int lineNumber = 0;  // 1-based: the instrument's entry number in "filter.ifd"
    int keyMin = 0;      // defaults; 0 = none
    int keyMax = 0;
    int polyphony = 0;
};

// The first line whose leading number is the program, or nothing.
std::optional<FilterIndexLine> FindFilterInstrument(std::istream& index, int program);

// Byte range of entry n (1-based) of a template file of the given size, from its offset table.
struct FilterEntryRange {
    bool damaged = false;  // the file is too short for its own offset table
    int64_t start = 0;
    int64_t end = 0;  // empty when start >= end
};
FilterEntryRange LocateFilterEntry(std::istream& file, int64_t fileSize, int entry);

// Places an entry's 3-byte records (step, whole, fraction) into the table, starting at key slot
// 21, segment (0, 0), bin 21. Stops past key slot 109 or at a partial record.
void PlaceFilterRecords(std::vector<float>& table, const std::vector<uint8_t>& records);

// Where the data files lie and which instrument to load.
struct FilterLoadParams {
    std::string exePath;  // the install folder; empty: the engine's own folder
    int program = 0;      // the instrument: the leading number of its index line
};

// The project's choices the loading reads and completes. 999 means "not given".
struct FilterChoice {
    int filter = 0;    // 0 loads the templates; other numbers only the index's defaults; -1 none
    int keyMin = 999;  // taken from the index line when not given
    int keyMax = 999;
    int pitchMode = 999;  // polyphony
};

// Loads the instrument's templates into filter (a fresh FilterState; an all-zero table unless
// choice.filter is 0). Missing data files or an unlisted instrument set choice.filter to -1; an
// instrument found fills the choices not given from its index line. A template file too damaged
// to read throws StageFailure{kFilterDataUnreadable}, the choices already completed.
void LoadFilterTables(const FilterLoadParams& params, FilterChoice& choice, FilterState& filter);

}  // namespace velt::engine
