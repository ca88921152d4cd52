// The compact big-endian binary form of a property snapshot:
//   count (4 bytes), then per entry: type (1), name length n (2), name and a NUL (n + 1), and for a
//   string a value length m (2) and the value and a NUL (m + 1), for an integer its value (4).
// An entry of another type has no value part. Lengths are those of the texts without the NUL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "framework/property_list.h"

namespace velt::mp3 {

// Bytes the binary form of the snapshot takes.
std::size_t propertyBinarySize(const PropertySnapshot& snapshot);

// The binary form; kInvalidParameters (and nothing written) when a name or value is longer than a
// 16-bit length can describe.
int writePropertyBinary(const PropertySnapshot& snapshot, std::vector<std::uint8_t>& out);

// Reads a binary form from the start of bytes; returns the bytes consumed, or kInvalidParameters
// when the form is cut short, a length overruns the bytes or a text lacks its closing NUL.
// The snapshot is filled only on success.
int readPropertyBinary(std::span<const std::uint8_t> bytes, PropertySnapshot& snapshot);

}  // namespace velt::mp3
