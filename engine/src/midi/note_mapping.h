// Keys and velocities of note events as they leave the engine, to the file or to the device:
// transposition folded into 0..127 by octaves, the drum map, the velocity curve without the
// compressor, the fixed velocities, and velocities held to 1..127.
#pragma once

namespace velt::engine {

// data1 of a note event on channel (0-based) as written.
int MidiNoteKey(int data1, int channel);
// data2 of a note event (status 0x90 or 0x80) as written.
int MidiNoteVelocity(int status, int data2);

}  // namespace velt::engine
