// The analysis geometry of a run: the kind of run, the audio layout, block and hop sizes, the
// analysed range and the timing, all derived at set-up from the settings and the audio.
#pragma once

#include <cstdint>

namespace velt::engine {

// Derived at set-up from the settings and the audio.
struct Geometry {
    bool liveRun = false;
    bool singleKeyMode = false;
    bool filterInUse = false;
    bool riffFile = false;   // false: raw PCM without a RIFF/WAVE header
    bool partActive = true;  // part 0 sends its start controllers

    int channels = 0;        // 1 or 2
    int sampleRate = 0;      // Hz
    int bitsPerSample = 0;   // 8, 16, 24 or 32
    int bytesPerFrame = 0;   // channels x bits / 8
    int64_t dataOffset = 0;  // file offset of the first sample byte
    int64_t dataLength = 0;  // bytes of sample data
    int64_t endOfData = 0;   // file offset just past the sample data

    int LowKey = 0;         // lowest key the block length is sized for
    int TopKey = 0;         // highest analysed key
    int partChannel = 0;    // part 0's MIDI channel, 0-based; -1 = no output
    int partProgram = 0;    // part 0's program
    int reservedBytes = 0;  // 7 when part 0's program change and pan go into the header

    int blockLength = 0;         // S, samples per analysis block
    int64_t blockBytes = 0;      // S x bytes per frame
    int sampleBufferLength = 0;  // ints in the sample buffer: the longest analysis window + 3
    double hopSamples = 0;       // samples between analysis blocks
    double hopBytes = 0;         // bytes per frame x hop
    double analysisWindow = 0;   // R, samples; used by tempo detection
    double beatsPerSecond = 2;
    double resolution = -1;  // e: log2 of the note subdivision per whole note (fraction: triplets)
    int subdivisionExp = 0;  // s: frames per tracker tick are 2^s
    int denominatorExp = 2;  // d as an exponent
    int slotCount = 1;       // frames in the chord ring (1..384)
    int blocksPerBeat = 0;   // tempo file: whole blocks per beat (0: several beats per block)
    int wordsPerBlock = 1;   // tempo file: words summed per block when blocksPerBeat is 0
    double speedFactor = 1;  // Speed / 100
    double gainFactor = 1;   // Gain / 100
    int fixedVelocity = 64;

    int64_t startByte = 0;    // first byte of the analysed range
    int64_t endByte = 0;      // end of the analysed range
    double audioSeconds = 0;  // length of the audio
    double normaliser = 1;
};

}  // namespace velt::engine
