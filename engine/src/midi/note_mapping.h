// Keys and velocities of note events as they leave the engine, to the file or to the device:
// transposition folded into 0..127 by octaves, the drum map, the velocity curve without the
// compressor, the fixed velocities, and velocities held to 1..127.
#pragma once

namespace velt::engine {

struct NoteMappingParams {
    int transpose = 0;           // semitones added to every key
    bool singleKeyMode = false;  // drums: key 60 + transpose, or the drum map on channel 10
    bool compressed = false;     // the compressor ran: velocities as measured, no square-root curve
    bool velocityOn = true;      // false: every note-on gets fixedVelocity
    bool velocityOff = true;     // false: every note-off gets fixedVelocity
    int fixedVelocity = 64;      // 1..127
};

// data1 of a note event on channel (0-based) as written.
int MidiNoteKey(const NoteMappingParams& params, int data1, int channel);
// data2 of a note event (status 0x90 or 0x80) as written.
int MidiNoteVelocity(const NoteMappingParams& params, int status, int data2);

}  // namespace velt::engine
