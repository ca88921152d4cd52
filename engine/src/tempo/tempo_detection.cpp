// Tempo detection of a file run: scans the run's audio file for onsets and puts what the timing
// decisions found into the run state (tempo, numerator and denominator, ChordRes, start point).
#include "tempo/tempo_detection.h"

#include <cstdio>

#include "driver/run_state.h"
#include "tempo/onset_scan.h"
#include "tempo/timing_decision.h"

namespace velt::engine {

namespace {

// The run's open audio file as the scan's byte access.
class AudioFileSource : public AudioByteSource {
  public:
    explicit AudioFileSource(std::FILE* file) : file_(file) {}
    bool seek(int64_t position) override {
        return file_ != nullptr && fseeko(file_, position, SEEK_SET) == 0;
    }
    bool read(uint8_t* into, size_t count) override {
        return file_ != nullptr && std::fread(into, 1, count, file_) == count;
    }

  private:
    std::FILE* file_;
};

}  // namespace

void DetectTempo(double resolution, int& chordRes) {
    RunState& state = run();
    const ProjectSettings& s = state.settings;
    Geometry& g = state.geo;
    StatusValues& status = state.status;

    TimingSettings settings;
    settings.tempoDetect = s.TempoDetect == 1;
    settings.beatsPerSecond = g.beatsPerSecond;
    settings.numerator = status.numerator;
    settings.resolution = resolution;
    settings.chordRes = chordRes;

    OnsetScanParams scan;
    scan.sampleRate = g.sampleRate;
    scan.channels = g.channels;
    scan.bitsPerSample = g.bitsPerSample;
    scan.stereoPan = s.StereoPan;
    scan.inputThreshold = s.InputThreshold;
    scan.dataOffset = g.dataOffset;
    scan.startByte = g.startByte;
    scan.endByte = g.endByte;
    AudioFileSource source(state.files.audio.get());

    const TimingDecision decision =
        DecideTiming(settings, [&] { return ScanOnsets(scan, source); });
    if (decision.finishType != 0) {
        throw StageFailure{{decision.finishType, decision.finishDetail}};
        return;
    }
    if (!decision.changed) return;

    g.beatsPerSecond = decision.beatsPerSecond;
    status.tempo = decision.beatsPerSecond * 60;
    status.numerator = decision.numerator;
    if (decision.denominatorExp >= 0)
        state.settings.TimeSignatureDenominator = decision.denominatorExp;
    chordRes = decision.chordRes;
    status.chordRes = decision.chordRes;
    if (decision.startMoved) {
        // The bar may begin before the first sample: the block reader reads silence there.
        g.startByte = g.dataOffset + TempoFramesToBytes(scan, decision.startFrame);
        status.startTime = static_cast<float>(static_cast<double>(g.startByte - g.dataOffset) /
                                              g.bytesPerFrame / g.sampleRate);
    }
}

}  // namespace velt::engine
