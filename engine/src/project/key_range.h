// The keys a run analyses: the range of the run and of part 0, held below half the sample rate
// and inside the filter templates, and the mask of keys the scale allows. Pure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "project/geometry.h"
#include "project/project_settings.h"

namespace velt::engine {

// Highest key whose fundamental stays below half the sample rate:
// round-down of 12 x log2((rate / 2) / reference) + 69.
int NyquistKey(double sampleRate, double referencePitch);

// KeyMin, KeyMax, KeyMin0 and KeyMax0 from their defaults and clamps, and g.TopKey (the highest
// analysed key). Keys stay inside 1..127 whatever the project says; g gives the sample rate and
// the kind of run.
void ResolveKeyRange(ProjectSettings& s, Geometry& g);

// Without a key signature (8) nothing is constrained and no mode is given; a constrained run does
// not detect its key.
void SettleKeyConstraint(ProjectSettings& s);

// Which of keyCount keys are analysed: the single key of a single-key run, else KeyMin..KeyMax,
// with only the keys of the major scale of KeySignature when the run is constrained.
std::vector<uint8_t> KeyMask(const ProjectSettings& s, bool singleKeyMode, size_t keyCount);

}  // namespace velt::engine
