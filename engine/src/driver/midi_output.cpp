#include "driver/midi_output.h"

#include <algorithm>

#include "midi/auto_timing.h"
#include "midi_events.h"

namespace velt::engine {

namespace {

// The file run's event sink: the writer gets the chord named last with every event.
class RunFileSink : public MidiEventSink {
  public:
    void emit(int& delta, int status, int data1, int data2, int channel) override {
        RunState& state = run();
        if (!state.midi) return;
        const double leading =
            state.midi->write(delta, status, data1, data2, channel, state.status.chordText);
        if (leading != 0) state.status.startTime += float(leading);
    }
};
RunFileSink runFileSink;  // stateless: the writer is in run().midi

// The run's writer; a run without one fails as a write to a file that is not open would.
MidiFileWriter& writerOf(RunState& state, RunOutcome failure) {
    if (!state.midi) throw StageFailure{failure};
    return *state.midi;
}

double tickSecondsOf(const Geometry& g) {
    return TrackerTickSeconds(g.hopSamples, g.subdivisionExp, g.sampleRate);
}

}  // namespace

NoteMappingParams NoteMappingParamsOf(const RunState& state) {
    const ProjectSettings& s = state.settings();
    NoteMappingParams p;
    p.transpose = s.Transpose;
    p.singleKeyMode = state.geo().singleKeyMode;
    p.compressed = s.Compress != 0;
    p.velocityOn = s.VelocityOn != 0;
    p.velocityOff = s.VelocityOff != 0;
    p.fixedVelocity = state.geo().fixedVelocity;
    return p;
}

MidiWriterParams MidiWriterParamsOf(const RunState& state) {
    const Geometry& g = state.geo();
    MidiWriterParams p;
    p.target = state.files.midiPath;
    p.audio = state.settings().AudioFile;
    p.reservedBytes = g.reservedBytes;
    p.notes = NoteMappingParamsOf(state);
    p.autoTiming = state.settings().AutoTiming == 1;
    p.tickSeconds = tickSecondsOf(g);
    p.resolution = g.resolution;
    p.denominatorExp = g.denominatorExp;
    p.numerator = state.status.numerator;
    p.speedFactor = g.speedFactor;
    return p;
}

HeaderInput MidiHeaderOf(const RunState& state, double tempoFactor) {
    const Geometry& g = state.geo();
    HeaderInput in;
    SetHeaderTiming(
        in, ComputeMidiTiming({double(g.sampleRate), g.hopSamples, g.beatsPerSecond,
                               g.subdivisionExp, g.denominatorExp, g.speedFactor, tempoFactor}));
    in.numerator = state.status.numerator;
    in.denominatorExp = g.denominatorExp;
    in.keySignature = state.status.keySignature;
    in.majorMinor = state.status.majorMinor;
    in.reserved = g.reservedBytes;
    in.channel = std::max(0, g.partChannel);
    in.program = g.partProgram;
    return in;
}

VelocityPassParams VelocityPassParamsOf(const RunState& state) {
    VelocityPassParams p;
    p.gainFactor = state.geo().gainFactor;
    p.keyMin = state.settings().KeyMin;
    p.topKey = state.geo().TopKey;
    p.threshold = state.settings().OutputThreshold;
    return p;
}

void CreateMidiFile(RunState& state) {
    state.midi.emplace(MidiWriterParamsOf(state));
    state.eventSink = &runFileSink;
}

void WriteEndOfTrack(RunState& state) {
    writerOf(state, outcome::kMidiFileNotCompleted).writeEndOfTrack();
}

double CorrectAutoTimingTempo(RunState& state) {
    if (state.settings().AutoTiming != 1 || !state.midi) return 1;
    const auto measured =
        MeasuredTempo(state.status.tempo, state.midi->meter(), tickSecondsOf(state.geo()));
    if (!measured) return 1;
    state.status.tempo = measured->tempo;
    return measured->factor;
}

void WriteMidiHeader(RunState& state, double tempoFactor) {
    writerOf(state, outcome::kMidiHeaderNotWritten).writeHeader(MidiHeaderOf(state, tempoFactor));
}

void ScaleVelocities(RunState& state) {
    if (state.midi) state.midi->scaleVelocities(VelocityPassParamsOf(state));
}

RunOutcome PutMidiFileInPlace(RunState& state) {
    return state.midi ? state.midi->place() : RunOutcome{};
}

void DropMidiFile(RunState& state) {
    if (state.midi) state.midi->discard();
}

}  // namespace velt::engine
