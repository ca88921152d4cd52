#include "project/run_setup.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "driver/analysis_steps.h"
#include "midi/midi_file_writer.h"
#include "project/project_text.h"
#include "driver/audio_input.h"
#include "driver/live_devices.h"
#include "driver/run_state.h"
#include "tempo/tempo_detection.h"

namespace velt::engine {

namespace {

constexpr int kNotGiven = 999;
constexpr int kMinSampleRate = 1000;    // Hz; below, the geometry divides by (nearly) zero
constexpr int kMaxSampleRate = 768000;  // Hz

// round() of the engine: trunc(x + 0.5).
double roundHalfUp(double x) {
    return std::trunc(x + 0.5);
}

int switchValue(int value) {
    return value != 0 ? 1 : 0;
}

// Tonic pitch class of the major key with -7..7 sharps (+) or flats (-).
constexpr int kTonicBySignature[15] = {11, 6, 1, 8, 3, 10, 5, 0, 7, 2, 9, 4, 11, 6, 1};
constexpr int kMajorScaleMask[12] = {1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 0, 1};

void readKeys(const ProjectText& text, ProjectSettings& s) {
    text.readString("ExePath=", 10, s.ExePath);
    text.readString("AudioFile=", 11, s.AudioFile);
    text.readString("MidiFile=", 10, s.MidiFile);
    text.readString("TempoFile=", 10, s.TempoFile);
    text.readDouble("StartPoint=", s.StartPoint);
    text.readDouble("EndPoint=", s.EndPoint);
    text.readDouble("ReferencePitch=", s.ReferencePitch);
    text.readDouble("Resolution=", s.Resolution);
    text.readDouble("Tempo=", s.Tempo);
    const std::pair<const char*, int*> ints[] = {
        {"Tracks=", &s.Tracks},
        {"Rate=", &s.Rate},
        {"BitsPerSample=", &s.BitsPerSample},
        {"EntireAudio=", &s.EntireAudio},
        {"CropSilence=", &s.CropSilence},
        {"VirtualSR=", &s.VirtualSR},
        {"Compress=", &s.Compress},
        {"StereoPan=", &s.StereoPan},
        {"KeyMin=", &s.KeyMin},
        {"KeyMax=", &s.KeyMax},
        {"InputThreshold=", &s.InputThreshold},
        {"OutputThreshold=", &s.OutputThreshold},
        {"MinimumLength=", &s.MinimumLength},
        {"PauseBetweenNotes=", &s.PauseBetweenNotes},
        {"PitchMode=", &s.PitchMode},
        {"Constrain=", &s.Constrain},
        {"Channel=", &s.Channel},
        {"Filter=", &s.Filter},
        {"Patch=", &s.Patch},
        {"MidiChan=", &s.MidiChan},
        {"MidiPat=", &s.MidiPat},
        {"TimeSignatureNumerator=", &s.TimeSignatureNumerator},
        {"TimeSignatureDenominator=", &s.TimeSignatureDenominator},
        {"TempoDetect=", &s.TempoDetect},
        {"AutoTiming=", &s.AutoTiming},
        {"Speed=", &s.Speed},
        {"Transpose=", &s.Transpose},
        {"KeySignature=", &s.KeySignature},
        {"MajorMinor=", &s.MajorMinor},
        {"AutoDetectKey=", &s.AutoDetectKey},
        {"Gain=", &s.Gain},
        {"VelocityOn=", &s.VelocityOn},
        {"VelocityOff=", &s.VelocityOff},
        {"Controller=", &s.Controller},
        {"Brightness=", &s.Brightness},
        {"PitchBend=", &s.PitchBend},
        {"TempoTrack=", &s.TempoTrack},
        {"ChordRes=", &s.ChordRes},
        {"BufferIncrement=", &s.BufferIncrement},
        {"AudioDevice=", &s.AudioDevice},
        {"MidiDevice=", &s.MidiDevice},
        {"Sensitivity=", &s.Sensitivity},
    };
    for (const auto& [key, target] : ints) text.readInt(key, *target);
}

// The MIDI file beside the audio when the project names none: the audio's extension becomes .mid.
std::string defaultMidiPath(const std::string& audio) {
    return std::filesystem::path(audio).replace_extension(".mid").string();
}

// Audio input: the file's header (or the project's format for raw PCM), or the live devices.
void openAudioInput(RunState& state) {
    ProjectSettings& s = state.settings;
    Geometry& g = state.geo;
    if (g.liveRun) {
        int error = OpenLiveInput(s.AudioDevice);
        if (error != 0) throw StageFailure{{kWaveInDeviceFailed, error}};
        g.channels = 1;
        g.bitsPerSample = 16;
        g.sampleRate = 44100;
        if (s.Compress == kNotGiven) s.Compress = 1;
        if (s.Sensitivity == kNotGiven) s.Sensitivity = 0;
    } else {
        if (s.Compress == kNotGiven) s.Compress = 1;
        if (!ReadWaveHeader()) {
            g.channels = s.Tracks;
            g.sampleRate = s.Rate;
            g.bitsPerSample = s.BitsPerSample;
        }
        if (g.channels != 1 && g.channels != 2) throw StageFailure{outcome::kBadChannelCount};
        if (g.bitsPerSample != 8 && g.bitsPerSample != 16 && g.bitsPerSample != 24 &&
            g.bitsPerSample != 32) {
            throw StageFailure{outcome::kBadSampleSize};
        }
        if (g.sampleRate < kMinSampleRate || g.sampleRate > kMaxSampleRate)
            throw StageFailure{outcome::kBadSampleRate};
    }
    s.VirtualSR = g.sampleRate;
    g.bytesPerFrame = g.channels * g.bitsPerSample / 8;
}

void clampSettings(RunState& state) {
    ProjectSettings& s = state.settings;
    const Geometry& g = state.geo;
    if (s.Transpose < -127 || s.Transpose > 127) s.Transpose = 0;
    for (int* flag : {&s.EntireAudio, &s.CropSilence, &s.PauseBetweenNotes, &s.Constrain,
                      &s.TempoDetect, &s.AutoTiming, &s.MajorMinor, &s.AutoDetectKey, &s.VelocityOn,
                      &s.VelocityOff, &s.PitchBend, &s.TempoTrack}) {
        *flag = switchValue(*flag);
    }
    if (s.Compress != 1 || s.Filter == 0) s.Compress = 0;
    if (s.Controller < 0 || s.Controller > 127) s.Controller = 11;
    if (s.Brightness < 0 || s.Brightness > 127) s.Brightness = 74;
    if (s.PitchMode != 1) s.Brightness = 0;
    s.StereoPan = std::clamp(s.StereoPan, 0, 100);
    if (s.InputThreshold < 0 || s.InputThreshold > 32767) s.InputThreshold = 0;
    if (s.TimeSignatureNumerator < 0 || s.TimeSignatureNumerator > 99) s.TimeSignatureNumerator = 0;
    if (s.ChordRes < 0 || s.ChordRes > 24) s.ChordRes = 0;
    if (s.TimeSignatureDenominator < 0 || s.TimeSignatureDenominator > 6) {
        s.TimeSignatureDenominator = 2;
    }
    if (s.Sensitivity != kNotGiven && (s.Sensitivity < 0 || s.Sensitivity > 7)) s.Sensitivity = 1;
    if (s.KeySignature < -7 || s.KeySignature > 8) {
        s.KeySignature = 0;
        s.Constrain = 0;
    }
    if (s.Speed <= 0) s.Speed = 100;
    if (s.Speed > 999) s.Speed = 999;
    if (s.Gain <= 0) s.Gain = 100;
    if (s.Gain > 999) s.Gain = 999;
    if (g.filterInUse && s.OutputThreshold == kNotGiven)
        s.OutputThreshold = g.singleKeyMode ? 10 : 5;
    if (s.OutputThreshold == kNotGiven || s.OutputThreshold < 1) s.OutputThreshold = 5;
    if (s.OutputThreshold > 63) s.OutputThreshold = 63;
    if (g.liveRun) {
        s.AutoTiming = 0;
        if (s.MinimumLength < 1) {
            if (g.singleKeyMode) {
                s.MinimumLength = 1;
            } else if (s.PitchMode == 1) {
                s.MinimumLength = 6;
                s.Controller = 0;
            } else {
                s.MinimumLength = 2;
            }
        }
    } else if (s.MinimumLength < 1) {
        s.MinimumLength = g.singleKeyMode ? 1 : 2;
    }
    // A tempo of 0, below 0 or not a number is not given: it is detected.
    if (!std::isfinite(s.Tempo) || s.Tempo <= 0) s.Tempo = 0;
    // No music is this fast; the bound keeps the tempo a number every reader of the status line
    // can hold (a float), and the timing check still refuses it.
    constexpr double kHighestTempo = 1e9;
    s.Tempo = std::min(s.Tempo, kHighestTempo);
    if (s.Tempo == 0) s.TempoDetect = 1;
    if (!std::isfinite(s.Resolution)) s.Resolution = -1;
    if (!std::isfinite(s.ReferencePitch)) s.ReferencePitch = 440;
    s.ReferencePitch = std::clamp(s.ReferencePitch, 427.5, 452.8);
    s.BufferIncrement = 1;
}

// Key ranges of the run and of part 0; keys stay inside 1..127 whatever the project says.
void resolveKeys(RunState& state) {
    ProjectSettings& s = state.settings;
    Geometry& g = state.geo;
    const int nyquist = NyquistKey(g.sampleRate, s.ReferencePitch);
    if (s.KeyMin == kNotGiven) s.KeyMin = 28;
    // Filter templates cover keys 21..108: a filter run stays inside them.
    const int highest = g.filterInUse ? 108 : 127;
    s.KeyMin = std::clamp(s.KeyMin, g.filterInUse ? 21 : 1, highest);
    if (s.KeyMax == kNotGiven) s.KeyMax = (g.singleKeyMode && !g.filterInUse) ? s.KeyMin : 85;
    s.KeyMax = std::min(std::max(s.KeyMax, s.KeyMin), highest);
    if (s.PitchMode > 0) s.KeyMax = std::min(s.KeyMax, nyquist);
    g.TopKey = g.filterInUse ? std::min(s.KeyMax, 108) : s.KeyMax;
    if (s.KeyMin0 == kNotGiven) s.KeyMin0 = s.KeyMin;
    s.KeyMin0 = std::max(s.KeyMin0, s.KeyMin);
    if (s.KeyMax0 == kNotGiven) s.KeyMax0 = s.KeyMax;
    s.KeyMax0 = std::min({std::max(s.KeyMax0, s.KeyMin0), g.TopKey, nyquist});
}

// Timing: beats per second, resolution and subdivision, hop, slots and the tempo file.
void deriveTiming(RunState& state) {
    ProjectSettings& s = state.settings;
    Geometry& g = state.geo;
    StatusValues& status = state.status;
    const double r = g.sampleRate;
    double resolution = s.Resolution;

    if (g.liveRun) {
        // Live timing has no beat to come from when the project gives no tempo: 120 BPM.
        g.beatsPerSecond = (s.Tempo > 0 ? s.Tempo : 120.0) / 60;
        status.tempo = g.beatsPerSecond * 60;
        if (resolution < 0) resolution = 0;
    } else {
        g.beatsPerSecond = s.Tempo / 60;
        if (s.AutoTiming == 1) {
            s.TempoDetect = 0;
            s.MinimumLength = g.singleKeyMode ? 1 : 2;
            resolution = 4;
            double tempo = r / g.analysisWindow * 15;
            while (tempo > 120) {
                tempo /= 2;
                resolution += 1;
            }
            while (tempo < 60) {
                tempo *= 2;
                resolution -= 1;
            }
            resolution = std::clamp(resolution, 0.0, 6.0);
            s.Tempo = tempo;
            status.tempo = tempo;
            g.beatsPerSecond = tempo / 60;
        }
        int chordRes = s.ChordRes;
        DetectTempo(resolution, chordRes);
        s.ChordRes = chordRes;
        status.chordRes = chordRes;
        if (resolution < 0) {
            resolution =
                std::min(6.0, std::trunc(std::log2(r / g.beatsPerSecond / g.analysisWindow) + 2.5));
        }
    }
    resolution = std::min(resolution, 7.0);
    g.resolution = resolution;
    status.resolution = float(resolution);

    g.denominatorExp = s.TimeSignatureDenominator;
    const double d = std::pow(2.0, g.denominatorExp);
    auto hopFor = [&](int sensitivity) {
        return r / (g.beatsPerSecond * std::pow(2.0, resolution + sensitivity) / d);
    };
    int sensitivity = s.Sensitivity;
    if (sensitivity == kNotGiven) {
        double hop = hopFor(0);
        sensitivity = int(std::clamp(roundHalfUp(std::log2(hop / g.analysisWindow)), 0.0, 7.0));
    }
    g.subdivisionExp = sensitivity;
    g.hopSamples = hopFor(sensitivity);
    g.hopBytes = g.bytesPerFrame * g.hopSamples;
    const double framesPerBeat = std::pow(2.0, resolution + sensitivity) / d;

    if (!g.liveRun && s.TempoDetect == 0 && s.AutoTiming == 0 && !s.TempoFile.empty()) {
        state.files.tempo.reset(std::fopen(s.TempoFile.c_str(), "rb"));
    }
    g.blocksPerBeat = int(std::trunc(framesPerBeat + 0.1));
    g.wordsPerBlock = g.blocksPerBeat == 0 ? std::max(1, int(roundHalfUp(1 / framesPerBeat))) : 1;

    g.slotCount = int(std::min(384.0, roundHalfUp(s.ChordRes * framesPerBeat)));
    if (g.slotCount < 1 || g.liveRun || g.singleKeyMode) g.slotCount = 1;
}

// MIDI timing check (file runs): the ticks per quarter and the tempo must fit the MIDI header,
// both as the analysis counts them and as the header will write them.
void checkMidiTiming(const RunState& state) {
    const Geometry& g = state.geo;
    const double bps = g.beatsPerSecond;
    const double d = std::pow(2.0, g.denominatorExp);
    const double q = g.sampleRate / g.hopSamples / bps * g.speedFactor;
    const double roundQ = roundHalfUp(q);
    const double m =
        std::isfinite(q) && q > 0 ? std::trunc(roundQ * 1000000.0 / q / bps * d / 4) : 0;
    auto toInt = [](double v) -> int64_t {
        return std::isfinite(v) ? int64_t(std::clamp(v, -1e15, 1e15)) : 0;
    };
    int detail = TimingOutcomeDetail(roundQ >= 32768 ? 32768 : toInt(roundQ), toInt(m));
    if (detail == 0) {
        MidiTiming header =
            ComputeMidiTiming({double(g.sampleRate), g.hopSamples, bps, g.subdivisionExp,
                               g.denominatorExp, g.speedFactor, 1});
        detail = TimingOutcomeDetail(header.division, header.tempoMicros);
    }
    if (detail != 0) throw StageFailure{{kTimingOutOfRange, detail}};
}

void deriveGeometry(RunState& state) {
    ProjectSettings& s = state.settings;
    Geometry& g = state.geo;
    StatusValues& status = state.status;
    const double r = g.sampleRate;
    const double f = s.ReferencePitch;
    const int b = g.bytesPerFrame;

    g.LowKey = s.KeyMin;
    if (g.liveRun && s.PitchMode == 1) g.LowKey = std::min(127, s.KeyMin + 19);
    g.blockLength = BlockLengthSamples(r, f, g.LowKey, g.singleKeyMode);
    g.blockBytes = int64_t(g.blockLength) * b;
    // The longest resonator window (17 periods of LowKey - 4/3, rounded) reads one sample past its
    // length; the buffer holds it with element 0 unused.
    int longest = g.blockLength;
    if (!g.singleKeyMode) {
        double period = r / (f * std::pow(2.0, (g.LowKey - 1 - 1.0 / 3 - 69) / 12));
        longest = std::max(longest, int(roundHalfUp(17 * period)));
    }
    g.sampleBufferLength = longest + 3;

    if (!g.liveRun) {
        g.audioSeconds = double(g.dataLength) / b / r;
        const double length = g.audioSeconds;
        if (s.EntireAudio == 1) {
            s.StartPoint = 0;
            s.EndPoint = length;
        }
        if (!std::isfinite(s.StartPoint) || s.StartPoint < 0 || s.StartPoint > length) {
            s.StartPoint = 0;
        }
        if (!std::isfinite(s.EndPoint) || s.EndPoint <= s.StartPoint || s.EndPoint > length) {
            s.EndPoint = length;
        }
        g.startByte = g.dataOffset + b * int64_t(roundHalfUp(r * s.StartPoint));
        g.endByte = g.dataOffset + b * int64_t(roundHalfUp(r * s.EndPoint));
    }
    status.startTime = float(s.StartPoint);
    status.chordRes = s.ChordRes;
    status.numerator = s.TimeSignatureNumerator;
    status.tempo = s.Tempo;

    g.analysisWindow =
        g.singleKeyMode ? 0.04269 * r : 17 * r / (f * std::pow(2.0, (g.TopKey - 69.0) / 12));
    g.speedFactor = s.Speed / 100.0;
    g.gainFactor = s.Gain / 100.0;
    deriveTiming(state);
    if (!g.liveRun) checkMidiTiming(state);

    if (s.VelocityOn == 0 || s.VelocityOff == 0) {
        g.fixedVelocity = int(std::clamp(roundHalfUp(g.gainFactor * 64), 1.0, 127.0));
    }
}

void buildKeyMask(RunState& state) {
    ProjectSettings& s = state.settings;
    const Geometry& g = state.geo;
    std::vector<uint8_t>& enabled = state.analysis.KeyEnabled;
    std::fill(enabled.begin(), enabled.end(), 0);
    if (s.KeySignature == 8) {
        s.Constrain = 0;
        s.MajorMinor = 0;
    }
    if (g.singleKeyMode) {
        enabled[size_t(s.KeyMin)] = 1;
        return;
    }
    const bool constrain =
        s.KeySignature >= -7 && s.KeySignature <= 7 && s.Constrain == 1 && s.PitchMode != 0;
    if (constrain) s.AutoDetectKey = 0;
    const int tonic =
        s.KeySignature >= -7 && s.KeySignature <= 7 ? kTonicBySignature[s.KeySignature + 7] : 0;
    for (int k = s.KeyMin; k <= s.KeyMax; ++k) {
        enabled[size_t(k)] = constrain ? uint8_t(kMajorScaleMask[((k - tonic) % 12 + 12) % 12]) : 1;
    }
}

}  // namespace

int NyquistKey(double sampleRate, double referencePitch) {
    double key = std::floor(12 * std::log2((sampleRate / 2) / referencePitch) + 69);
    return int(std::clamp(key, -1000.0, 1000.0));
}

int BlockLengthSamples(double sampleRate, double referencePitch, int lowKey, bool singleKey) {
    if (singleKey) return int(0.04269 * sampleRate);
    return int(17 * sampleRate / (referencePitch * std::pow(2.0, (lowKey - 4.0 / 3 - 69) / 12)));
}

namespace {

void readProject(const std::string& projectPath) {
    RunState& state = run();
    ProjectSettings& s = state.settings;
    Geometry& g = state.geo;

    // 1. Every key, then part 0 and the drum channel.
    auto text = ProjectText::Load(projectPath);
    if (!text) throw StageFailure{outcome::kProjectNotOpened};
    readKeys(*text, s);

    bool activeGiven = false;
    int active = 0;
    if (text->readInt("Active0=", active)) {
        activeGiven = true;
        if (active >= 0) s.Active0 = switchValue(active);
    }
    g.reservedBytes = (activeGiven && active != 0) ? 7 : 0;
    bool singleKey = false;
    if (s.Active0 == 1 && s.Channel == 10) {
        s.Active0 = 0;
        g.reservedBytes = 0;
        singleKey = true;
    } else if (s.Channel == 0) {
        g.reservedBytes = 0;
    }
    if (s.Channel != 10) {
        text->readInt("KeyMax0=", s.KeyMax0);
        text->readInt("KeyMin0=", s.KeyMin0);
    }
    text->readInt("Track0=", s.Track0);
    text->readInt("Poly0=", s.Poly0);
    if (s.PitchMode < 0 || s.PitchMode > 128) s.PitchMode = 128;

    // 2. Single-key mode: a drum run, or part 0 on the drum channel.
    if (s.PitchMode == 0 || singleKey) {
        g.singleKeyMode = true;
        s.KeySignature = 8;
        s.AutoDetectKey = 0;
        s.Controller = 0;
        s.Brightness = 0;
        s.Transpose = 0;
        s.Constrain = 0;
        s.MajorMinor = 0;
        s.PitchBend = 0;
        s.PitchMode = 0;
        s.Filter = -1;
        s.OutputThreshold = 1;
        s.KeyMin = s.MidiPat;
        s.KeyMax = s.MidiPat;
        s.Active0 = 1;
        s.Channel = 10;
        s.Patch = 0;
        g.reservedBytes = 7;
    }
    if (s.Channel == kNotGiven) s.Channel = g.singleKeyMode ? 10 : 1;
    if (s.MidiChan != kNotGiven) s.Channel = s.MidiChan;
    if (s.MidiPat != kNotGiven && !g.singleKeyMode) s.Patch = s.MidiPat;
    s.Track0 = 0;
    s.Poly0 = s.PitchMode < 2 ? 1 : s.PitchMode;
    g.partActive = s.Active0 == 1;

    // 3. Output, filters and the audio input.
    g.liveRun = s.AudioFile.empty();
    state.files.midiPath =
        s.MidiFile.empty() && !g.liveRun ? defaultMidiPath(s.AudioFile) : s.MidiFile;
    if (s.Filter != -1 && s.PitchMode != 1) {
        // A polyphony the project leaves out comes from the instrument's line of the filter index.
        int given = 0;
        const int projectPitchMode = s.PitchMode;
        if (!text->readInt("PitchMode=", given)) s.PitchMode = kNotGiven;
        LoadFilters();
        if (s.PitchMode == kNotGiven) s.PitchMode = projectPitchMode;
        s.PitchMode = std::clamp(s.PitchMode, 0, 128);
        s.Poly0 = s.PitchMode < 2 ? 1 : s.PitchMode;
    }
    g.filterInUse = s.Filter != -1 && s.PitchMode != 1;
    openAudioInput(state);

    // 4. Part 0's channel and program, the live output.
    if (s.Channel < 0 || s.Channel > 16) s.Channel = 1;
    g.partChannel = s.Channel - 1;
    if (g.partChannel < 0) g.reservedBytes = 0;  // no channel: no program or pan to write
    if (s.Patch < 0 || s.Patch > 127) s.Patch = (s.Filter >= 0 && s.Filter <= 127) ? s.Filter : 0;
    g.partProgram = s.Patch;
    if (s.MidiDevice < -1) s.MidiDevice = -1;
    if (g.liveRun) {
        int error = OpenLiveOutput(s.MidiDevice);
        if (error != 0) throw StageFailure{{kMidiDeviceFailed, error}};
        SendLivePartSetup();
    }

    // 5. Clamps, keys, geometry and timing, key mask.
    clampSettings(state);
    resolveKeys(state);
    deriveGeometry(state);
    buildKeyMask(state);
    state.status.keySignature = s.KeySignature;
    state.status.majorMinor = s.MajorMinor;
    state.status.referencePitch = s.ReferencePitch;
}

}  // namespace

void ReadProject(const std::string& projectPath) {
    FinishOnStageFailure([&] { readProject(projectPath); });
}

}  // namespace velt::engine
