// The analysis geometry derived from the settings and the audio layout: the audio layout's check,
// block sizes, the analysed byte range, and the timing (beat, resolution, hop, chord slots). Pure:
// set-up calls these in order around the parts that open files (the tempo detection between
// BeginFileTiming and FinishTiming). Settings are clamped in place where the derivation settles
// them.
#pragma once

#include "project/geometry.h"
#include "project/project_settings.h"

namespace velt::engine {

// Samples of an analysis block: seventeen periods of the pitch 4/3 half step below lowKey;
// single-key mode uses 0.04269 s.
int BlockLengthSamples(double sampleRate, double referencePitch, int lowKey, bool singleKey);

// The audio layout in g (channels, sample rate, bits) is one the block reader reads; else the run
// ends (StageFailure 4.17 channels, 4.18 sample size, 4.19 sample rate). Live input is always so.
void CheckAudioLayout(const Geometry& g);

// Bytes per sample frame into g; VirtualSR becomes the sample rate.
void TakeAudioLayout(ProjectSettings& s, Geometry& g);

// Block length and buffer, the analysed range of a file run (StartPoint and EndPoint held inside
// the audio), the analysis window, the speed and gain factors and the fixed velocity.
void DeriveBlockGeometry(ProjectSettings& s, Geometry& g);

// The beat of a live run: the project's tempo, 120 BPM without one. Returns the resolution
// exponent to go on with (at least 0).
double BeginLiveTiming(const ProjectSettings& s, Geometry& g);

// The beat of a file run before tempo detection: the project's tempo, or under AutoTiming the
// tempo and resolution that fit the analysis window. Returns the resolution exponent to go on
// with (below 0: automatic).
double BeginFileTiming(ProjectSettings& s, Geometry& g);

// The resolution (automatic: from the beat and the analysis window), the hop, the subdivision,
// the tempo file's blocks per beat and the chord slots, from the beat in g.
void FinishTiming(const ProjectSettings& s, Geometry& g, double resolution);

// The geometry of a file run that takes its tempo from s (no tempo detection): its key range, the
// audio layout g gives (channels, sample rate, bits; with the kind of run), blocks and timing, in
// the set-up's order. s holds the settings as the set-up's clamps leave them. For programs that
// analyse audio as a run does (the filter builder, the benchmarks), so that their window,
// resolution, hop and sensitivity are the engine's.
Geometry FileRunGeometry(ProjectSettings s, Geometry g);

// The same for mono 16-bit audio at sampleRate, 120 BPM, over keyMin..keyMax with every other
// setting at its default: what the filter builder and the analysis benchmark measure at.
Geometry FileRunGeometry(int keyMin, int keyMax, int sampleRate, bool filterInUse);

// File runs: the ticks per quarter and the tempo must fit the MIDI header, both as the analysis
// counts them and as the header will write them; else StageFailure 7.24 ... 7.27.
void CheckMidiTiming(const Geometry& g);

}  // namespace velt::engine
