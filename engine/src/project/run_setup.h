// Project reading and run set-up: every key gets its default, the project's keys are read and
// clamped, the run becomes pitched, drum (single-key mode) or live, the audio input is opened and
// the analysis geometry (block length, hop, slots, MIDI timing) is derived from it.
#pragma once

#include <string>

namespace velt::engine {

// Reads the project and sets the run up. Every failure ends the run through FinishRun
// (3.8 project not opened; the audio reader's, the live devices' and the timing checks' codes).
void ReadProject(const std::string& projectPath);

// Highest key whose fundamental stays below half the sample rate:
// round-down of 12 x log2((rate / 2) / reference) + 69.
int NyquistKey(double sampleRate, double referencePitch);

// Samples of an analysis block: seventeen periods of the pitch 4/3 half step below lowKey;
// single-key mode uses 0.04269 s.
int BlockLengthSamples(double sampleRate, double referencePitch, int lowKey, bool singleKey);

}  // namespace velt::engine
