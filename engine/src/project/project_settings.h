// The project's settings: every key the engine reads, with the engine's defaults before set-up.
#pragma once

#include <string>

namespace velt::engine {

// A numeric key that holds this value was not given by the project.
constexpr int kKeyNotGiven = 999;

// The finest resolution: log2 of 128 notes per whole note.
constexpr double kFinestResolution = 7;

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
    int Compress = kKeyNotGiven;
    int StereoPan = 50;
    int KeyMin = kKeyNotGiven;
    int KeyMax = kKeyNotGiven;
    int InputThreshold = 384;
    int OutputThreshold = kKeyNotGiven;
    double Resolution = -1;
    int MinimumLength = 0;
    int PauseBetweenNotes = 0;
    int PitchMode = 30;
    int Constrain = 0;
    int Channel = kKeyNotGiven;
    int Filter = -1;
    int Patch = 0;
    int MidiChan = kKeyNotGiven;
    int MidiPat = kKeyNotGiven;
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
    int Sensitivity = kKeyNotGiven;

    // Part 0 of the ensemble: the one part the engine transcribes.
    int Active0 = 1;
    int KeyMin0 = kKeyNotGiven;
    int KeyMax0 = kKeyNotGiven;
    int Track0 = kKeyNotGiven;
    int Poly0 = kKeyNotGiven;
};

}  // namespace velt::engine
