// Instrument filter tables: the index "filter.txt" (one instrument per line) and the binary
// templates "filter.ifd" in the install folder, loaded once per run for the filter matching.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

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

// Loads the selected instrument's templates as set-up asks: may take KeyMin, KeyMax and
// PitchMode defaults from the index, and sets Filter to -1 when no filter can be used.
void LoadFilters();

}  // namespace velt::engine
