#include "midi/note_mapping.h"

#include <algorithm>
#include <cmath>

#include "run_state.h"

namespace velt::engine {

namespace {

// Folds a key into 0..127 by whole octaves.
int foldKey(int key) {
    while (key > 127) key -= 12;
    while (key < 0) key += 12;
    return key;
}

}  // namespace

int MidiNoteKey(int data1, int channel) {
    const RunState& state = run();
    const ProjectSettings& s = state.settings;
    if (!state.geo.singleKeyMode) return foldKey(data1 + s.Transpose);
    // The drum channel maps sounds outside the General MIDI percussion keys to the snare.
    if (channel == 9) return (data1 < 27 || data1 > 87) ? 38 : data1;
    return foldKey(60 + s.Transpose);
}

int MidiNoteVelocity(int status, int data2) {
    const RunState& state = run();
    const ProjectSettings& s = state.settings;
    double v = std::max(0, data2);
    if (s.Compress == 0) v = std::trunc(std::sqrt(v / 127) * 127 + 0.5);
    if (status == 0x90 && s.VelocityOn == 0) return state.geo.fixedVelocity;
    if (status == 0x80 && s.VelocityOff == 0) return state.geo.fixedVelocity;
    return int(std::clamp(v, 1.0, 127.0));
}

}  // namespace velt::engine
