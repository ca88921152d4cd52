// The engine's run state: the project settings as read and clamped at set-up, the derived
// analysis geometry, and the values reported in the status line. One run per process, so
// this state is process-wide (see run_state.cpp); every module reads it through run().
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/analysis_types.h"
#include "file_handle.h"
#include "live/live_state.h"
#include "midi/midi_file_writer.h"
#include "run_outcomes.h"
#include "status/status_file.h"

namespace velt::engine {

// Project keys, with the engine's defaults before set-up. 999 in a numeric key means "not given".
struct ProjectSettings {
    std::string ExePath;
    std::string AudioFile;
    std::string MidiFile;
    std::string TempoFile;
    int Tracks = 0;
    int Rate = 0;
    int BitsPerSample = 0;
    int EntireAudio = 0;
    int CropSilence = 0;
    double StartPoint = 0;
    double EndPoint = 0;
    int VirtualSR = 44100;
    double ReferencePitch = 440;
    int Compress = 999;
    int StereoPan = 50;
    int KeyMin = 999;
    int KeyMax = 999;
    int InputThreshold = 384;
    int OutputThreshold = 999;
    double Resolution = -1;
    int MinimumLength = 0;
    int PauseBetweenNotes = 0;
    int PitchMode = 30;
    int Constrain = 0;
    int Channel = 999;
    int Filter = -1;
    int Patch = 0;
    int MidiChan = 999;
    int MidiPat = 999;
    int TimeSignatureNumerator = 0;
    int TimeSignatureDenominator = 2;
    int TempoDetect = 0;
    int AutoTiming = 0;
    double Tempo = 0;
    int Speed = 100;
    int Transpose = 0;
    int KeySignature = 8;
    int MajorMinor = 0;
    int AutoDetectKey = 1;
    int Gain = 100;
    int VelocityOn = 1;
    int VelocityOff = 1;
    int Controller = 11;
    int Brightness = 74;
    int PitchBend = 1;
    int TempoTrack = 1;
    int ChordRes = 0;
    int BufferIncrement = 0;
    int AudioDevice = 0;
    int MidiDevice = 0;
    int Sensitivity = 999;

    // Part 0 of the ensemble: the one part the engine transcribes.
    int Active0 = 1;
    int KeyMin0 = 999;
    int KeyMax0 = 999;
    int Track0 = 999;
    int Poly0 = 999;
};

// Derived at set-up from the settings and the audio.
struct Geometry {
    bool liveRun = false;
    bool singleKeyMode = false;
    bool filterInUse = false;
    bool riffFile = false;    // false: raw PCM without a RIFF/WAVE header
    bool partActive = true;   // part 0 sends its start controllers

    int channels = 0;         // 1 or 2
    int sampleRate = 0;       // Hz
    int bitsPerSample = 0;    // 8, 16, 24 or 32
    int bytesPerFrame = 0;    // channels x bits / 8
    int64_t dataOffset = 0;   // file offset of the first sample byte
    int64_t dataLength = 0;   // bytes of sample data
    int64_t endOfData = 0;    // file offset just past the sample data

    int LowKey = 0;           // lowest key the block length is sized for
    int TopKey = 0;           // highest analysed key
    int partChannel = 0;      // part 0's MIDI channel, 0-based; -1 = no output
    int partProgram = 0;      // part 0's program
    int reservedBytes = 0;    // 7 when part 0's program change and pan go into the header

    int blockLength = 0;      // S, samples per analysis block
    int64_t blockBytes = 0;   // S x bytes per frame
    int sampleBufferLength = 0;  // ints in the sample buffer: the longest analysis window + 3
    double hopSamples = 0;    // samples between analysis blocks
    double hopBytes = 0;      // bytes per frame x hop
    double analysisWindow = 0;  // R, samples; used by tempo detection
    double beatsPerSecond = 2;
    double resolution = -1;   // e: log2 of the note subdivision per whole note (fraction: triplets)
    int subdivisionExp = 0;   // s: frames per tracker tick are 2^s
    int denominatorExp = 2;   // d as an exponent
    int slotCount = 1;        // frames in the chord ring (1..384)
    int blocksPerBeat = 0;    // tempo file: whole blocks per beat (0: several beats per block)
    int wordsPerBlock = 1;    // tempo file: words summed per block when blocksPerBeat is 0
    double speedFactor = 1;   // Speed / 100
    double gainFactor = 1;    // Gain / 100
    int fixedVelocity = 64;
    double tempoFactor = 1;   // AutoTiming correction of the header's timing

    int64_t startByte = 0;    // first byte of the analysed range
    int64_t endByte = 0;      // end of the analysed range
    double audioSeconds = 0;  // length of the audio
    double normaliser = 1;
};

// Paths from the command line and the project, and the files the run holds open.
struct RunFiles {
    StatusFileState status;     // the status file: its path and, during the run, the open file
    std::string commandPath;
    std::string midiPath;       // the output this run writes
    FileHandle audio;
    FileHandle tempo;
};

// Block loop bookkeeping: progress, the block reader's history, the tempo file's position.
struct LoopState {
    float progress = 0;         // percent
    float progressStep = 0;     // percent per block
    std::vector<int> peaks = std::vector<int>(kSlotCount);  // block peak per ring slot
    int previousPeak = 0;       // peak of the block before (block classification)
    bool previousOnset = false; // drum runs: the block before was an onset
    int lastPeak = 0;           // peak of the last block read (live threshold command)
    std::array<int, 15> compressorHistory{};  // block peaks, newest first
    std::vector<unsigned char> readBuffer;
    bool tempoWordsDone = false;  // an end word or the end of the tempo file was read
    int blockInBeat = 0;        // tempo file: blocks of the current beat so far
    int beatWord = 0;           // tempo file: the current beat length in ms
};

struct RunState {
    ProjectSettings settings;
    Geometry geo;
    StatusValues status;
    AnalysisState analysis;
    RunFiles files;
    LoopState loop;
    std::optional<MidiFileWriter> midi;  // a file run's MIDI file, from the set-up on
    LiveState live;
    bool finishing = false;     // the finish has begun
};

// The one run of this process.
RunState& run();
// Back to the state of a fresh process (tests drive several runs in one process).
void resetRun();

// Ends the run with an outcome: type 0 is success and returns; any other type (1 cancel, 2 and
// higher errors) does the finish and then throws the RunOutcome, which RunConversion catches and
// carries back to main (exit status 0 in every case). The codes are named in run_outcomes.h.
void FinishRun(RunOutcome outcome);

// Runs one step of the driver; a stage that cannot go on (StageFailure) ends the run with its
// outcome through FinishRun.
template <typename Step>
void FinishOnStageFailure(Step&& step) {
    try {
        step();
    } catch (const StageFailure& failure) {
        FinishRun(failure.outcome);
    }
}

}  // namespace velt::engine
