#include "midi/note_mapping.h"

#include <algorithm>
#include <cmath>

namespace velt::engine {

namespace {

// Folds a key into 0..127 by whole octaves.
int foldKey(int key) {
    while (key > 127) key -= 12;
    while (key < 0) key += 12;
    return key;
}

}  // namespace

int MidiNoteKey(const NoteMappingParams& params, int data1, int channel) {
    if (!params.singleKeyMode) return foldKey(data1 + params.transpose);
    // The drum channel maps sounds outside the General MIDI percussion keys to the snare.
    if (channel == 9) return (data1 < 27 || data1 > 87) ? 38 : data1;
    return foldKey(60 + params.transpose);
}

int MidiNoteVelocity(const NoteMappingParams& params, int status, int data2) {
    double v = std::max(0, data2);
    if (!params.compressed) v = std::trunc(std::sqrt(v / 127) * 127 + 0.5);
    if (status == 0x90 && !params.velocityOn) return params.fixedVelocity;
    if (status == 0x80 && !params.velocityOff) return params.fixedVelocity;
    return int(std::clamp(v, 1.0, 127.0));
}

}  // namespace velt::engine
