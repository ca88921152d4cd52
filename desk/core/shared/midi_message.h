// MIDI short messages on the program's open output port (hMidiOut).
#pragma once

#include <cstdint>

namespace velt::desk {

// Sends status + data1 * 256 + data2 * 65536 on hMidiOut and keeps the result in MidiResult.
// A failure is reported (title "Send MIDI") unless SuppressMidiErrors is set.
void SendMidiMsg(int32_t status, int32_t data1, int32_t data2);

}  // namespace velt::desk
