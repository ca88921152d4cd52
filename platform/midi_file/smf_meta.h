// Meta event types of Standard MIDI Files that more than one program writes or reads: the engine
// writes them (and passes them between its stages as event statuses), the reader reads them.
#pragma once

namespace velt::platform::smf {

// FF 51 03 tt tt tt: the tempo, microseconds per quarter note in three bytes, high byte first.
constexpr int kTempoMeta = 0x51;

}  // namespace velt::platform::smf
