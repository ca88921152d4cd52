#include "project/run_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "midi/midi_file_writer.h"
#include "project/key_range.h"
#include "run_outcomes.h"

namespace velt::engine {

namespace {

constexpr int kMinSampleRate = 1000;    // Hz; below, the geometry divides by (nearly) zero
constexpr int kMaxSampleRate = 768000;  // Hz
constexpr double kSingleKeyBlockSeconds = 0.04269;
constexpr double kLiveTempo = 120;  // BPM of a live run whose project gives none
constexpr int kMaxSlots = 384;      // frames in the chord ring

// round() of the engine: trunc(x + 0.5).
double roundHalfUp(double x) {
    return std::trunc(x + 0.5);
}

}  // namespace

int BlockLengthSamples(double sampleRate, double referencePitch, int lowKey, bool singleKey) {
    if (singleKey) return int(kSingleKeyBlockSeconds * sampleRate);
    return int(17 * sampleRate / (referencePitch * std::pow(2.0, (lowKey - 4.0 / 3 - 69) / 12)));
}

void CheckAudioLayout(const Geometry& g) {
    if (g.channels != 1 && g.channels != 2) throw StageFailure{outcome::kBadChannelCount};
    if (g.bitsPerSample != 8 && g.bitsPerSample != 16 && g.bitsPerSample != 24 &&
        g.bitsPerSample != 32) {
        throw StageFailure{outcome::kBadSampleSize};
    }
    if (g.sampleRate < kMinSampleRate || g.sampleRate > kMaxSampleRate)
        throw StageFailure{outcome::kBadSampleRate};
}

void TakeAudioLayout(ProjectSettings& s, Geometry& g) {
    s.VirtualSR = g.sampleRate;
    g.bytesPerFrame = g.channels * g.bitsPerSample / 8;
}

void DeriveBlockGeometry(ProjectSettings& s, Geometry& g) {
    const double r = g.sampleRate;
    const double f = s.ReferencePitch;
    const int b = g.bytesPerFrame;

    // Every run measures from KeyMin: a live single line that measured from KeyMin + 19 (a
    // shorter frame) had to guess the keys below from their harmonics and named notes at note
    // changes that a file run of the same audio does not.
    g.LowKey = s.KeyMin;
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

    g.analysisWindow = g.singleKeyMode ? kSingleKeyBlockSeconds * r
                                       : 17 * r / (f * std::pow(2.0, (g.TopKey - 69.0) / 12));
    g.speedFactor = s.Speed / 100.0;
    g.gainFactor = s.Gain / 100.0;
    if (s.VelocityOn == 0 || s.VelocityOff == 0) {
        g.fixedVelocity = int(std::clamp(roundHalfUp(g.gainFactor * 64), 1.0, 127.0));
    }
}

double BeginLiveTiming(const ProjectSettings& s, Geometry& g) {
    // Live timing has no beat to come from when the project gives no tempo.
    g.beatsPerSecond = (s.Tempo > 0 ? s.Tempo : kLiveTempo) / 60;
    return std::max(s.Resolution, 0.0);
}

double BeginFileTiming(ProjectSettings& s, Geometry& g) {
    double resolution = s.Resolution;
    g.beatsPerSecond = s.Tempo / 60;
    if (s.AutoTiming == 1) {
        // A tempo of 60 ... 120 BPM whose subdivision is about one analysis window.
        s.TempoDetect = 0;
        s.MinimumLength = g.singleKeyMode ? 1 : 2;
        resolution = 4;
        double tempo = g.sampleRate / g.analysisWindow * 15;
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
        g.beatsPerSecond = tempo / 60;
    }
    return resolution;
}

void FinishTiming(const ProjectSettings& s, Geometry& g, double resolution) {
    const double r = g.sampleRate;
    if (resolution < 0) {
        resolution =
            std::min(6.0, std::trunc(std::log2(r / g.beatsPerSecond / g.analysisWindow) + 2.5));
    }
    resolution = std::min(resolution, kFinestResolution);
    g.resolution = resolution;

    g.denominatorExp = s.TimeSignatureDenominator;
    const double d = std::pow(2.0, g.denominatorExp);
    auto hopFor = [&](int sensitivity) {
        return r / (g.beatsPerSecond * std::pow(2.0, resolution + sensitivity) / d);
    };
    int sensitivity = s.Sensitivity;
    if (sensitivity == kKeyNotGiven) {
        double hop = hopFor(0);
        sensitivity = int(std::clamp(roundHalfUp(std::log2(hop / g.analysisWindow)), 0.0, 7.0));
    }
    g.subdivisionExp = sensitivity;
    g.hopSamples = hopFor(sensitivity);
    g.hopBytes = g.bytesPerFrame * g.hopSamples;
    const double framesPerBeat = std::pow(2.0, resolution + sensitivity) / d;

    g.blocksPerBeat = int(std::trunc(framesPerBeat + 0.1));
    g.wordsPerBlock = g.blocksPerBeat == 0 ? std::max(1, int(roundHalfUp(1 / framesPerBeat))) : 1;

    g.slotCount = int(std::min(double(kMaxSlots), roundHalfUp(s.ChordRes * framesPerBeat)));
    if (g.slotCount < 1 || g.liveRun || g.singleKeyMode) g.slotCount = 1;
}

Geometry FileRunGeometry(ProjectSettings s, Geometry g) {
    g.liveRun = false;
    TakeAudioLayout(s, g);
    ResolveKeyRange(s, g);
    DeriveBlockGeometry(s, g);
    const double resolution = BeginFileTiming(s, g);
    FinishTiming(s, g, resolution);
    return g;
}

Geometry FileRunGeometry(int keyMin, int keyMax, int sampleRate, bool filterInUse) {
    ProjectSettings settings;
    settings.KeyMin = keyMin;
    settings.KeyMax = keyMax;
    settings.Tempo = 120;
    Geometry audio;
    audio.channels = 1;
    audio.sampleRate = sampleRate;
    audio.bitsPerSample = 16;
    audio.filterInUse = filterInUse;
    return FileRunGeometry(settings, audio);
}

void CheckMidiTiming(const Geometry& g) {
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

}  // namespace velt::engine
