// Reading the engine's one-line status file into the bridge's status record.
#pragma once

#include <string_view>

#include "kvxvtpd.h"

namespace velt::bridge {

// Reads the fourteen blank-separated fields of a status line into `record`: numbers without
// regard to the locale ("," accepted for "."), the chord text cut to 5 characters. False when a
// field is missing or unreadable (the file was read while the engine rewrote it) or when more
// words follow the chord; `record` is then left as it was.
bool parseStatusLine(std::string_view line, ConvertStatus& record);

// A status value that ends the run: 100000 (finished) or below 0 (outcome code).
bool isFinalStatus(float status);

// The status value the bridge reports when the engine ended without a final status line.
inline constexpr float kEngineStoppedStatus = KVX_STATUS_ENGINE_STOPPED;
// ... and when the engine said (by its exit status) that it could not write that line: the
// exchange folder is full or unwritable.
inline constexpr float kStatusNotWrittenStatus = KVX_STATUS_NOT_WRITTEN;

}  // namespace velt::bridge
