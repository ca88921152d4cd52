// Encodes instrument templates in the record format of "filter.ifd": per entry a walk over key
// slots 21..109, segments (i, j) and key bins 21..127, one 3-byte record (step, whole, fraction)
// per value; the file ends with the entries' offsets and their count.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace velt::tools {

// Template values of one instrument: (key slot, segment 0..8, bin) -> value 0..255.99.
using InstrumentTemplates = std::map<std::tuple<int, int, int>, float>;

// The records of one entry; values of 0 need no record.
std::vector<uint8_t> encodeEntry(const InstrumentTemplates& templates);

// The whole file: the entries in order, their 32-bit offsets and the count byte (at most 255).
std::string buildFilterFile(const std::vector<std::vector<uint8_t>>& entries);

}  // namespace velt::tools
