#include "driver/tempo_step.h"

#include "tempo/tempo_detection.h"

namespace velt::engine {

TimingSettings TimingSettingsOf(const RunState& state, double resolution) {
    TimingSettings settings;
    settings.tempoDetect = state.settings().TempoDetect == 1;
    settings.beatsPerSecond = state.geo().beatsPerSecond;
    settings.numerator = state.status.numerator;
    settings.resolution = resolution;
    settings.chordRes = state.settings().ChordRes;
    return settings;
}

OnsetScanParams OnsetScanParamsOf(const RunState& state) {
    const Geometry& g = state.geo();
    OnsetScanParams scan;
    scan.sampleRate = g.sampleRate;
    scan.channels = g.channels;
    scan.bitsPerSample = g.bitsPerSample;
    scan.stereoPan = state.settings().StereoPan;
    scan.inputThreshold = state.settings().InputThreshold;
    scan.dataOffset = g.dataOffset;
    scan.startByte = g.startByte;
    scan.endByte = g.endByte;
    return scan;
}

void DetectTempo(RunSetUp& setUp, double resolution) {
    RunState& state = setUp.state;
    Geometry& g = setUp.geo;
    StatusValues& status = state.status;
    const OnsetScanParams scan = OnsetScanParamsOf(state);
    AudioFileSource audio(state.files.audio.get());
    const TimingDecision decision = DetectTiming(TimingSettingsOf(state, resolution), scan, audio);
    if (decision.finishType != 0) {
        throw StageFailure{{decision.finishType, decision.finishDetail}};
    }
    if (!decision.changed) return;

    g.beatsPerSecond = decision.beatsPerSecond;
    status.tempo = decision.beatsPerSecond * 60;
    status.numerator = decision.numerator;
    if (decision.denominatorExp >= 0) {
        setUp.settings.TimeSignatureDenominator = decision.denominatorExp;
    }
    setUp.settings.ChordRes = decision.chordRes;
    status.chordRes = decision.chordRes;
    if (decision.startMoved) {
        g.startByte = DetectedStartByte(scan, decision);
        status.startTime = static_cast<float>(static_cast<double>(g.startByte - g.dataOffset) /
                                              g.bytesPerFrame / g.sampleRate);
    }
}

}  // namespace velt::engine
