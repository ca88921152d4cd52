#include "driver/analysis_steps.h"

#include <algorithm>

#include "analysis/filter_tables.h"
#include "driver/run_state.h"
#include "live/live_io.h"
#include "midi_events.h"
#include "project/run_geometry.h"

namespace velt::engine {

namespace {

// Hands the tracker's events to the run's installed sink.
class InstalledSink : public MidiEventSink {
  public:
    void emit(int& delta, int status, int data1, int data2, int channel) override {
        EmitMidiEvent(delta, status, data1, data2, channel);
    }
};

TrackerReport reportOf(const StatusValues& status) {
    return {status.startedKey, status.startedBend, status.lowestKey, status.highestKey};
}

void keepReport(const TrackerReport& report, StatusValues& status) {
    status.startedKey = report.startedKey;
    status.startedBend = report.startedBend;
    status.lowestKey = report.lowestKey;
    status.highestKey = report.highestKey;
}

SlotCells currentSlot(AnalysisState& a) {
    return SlotCells{a.history, a.slot};
}

// The frame hop of a file run of this project (its tempo, metre and resolution, the sensitivity
// derived as when the project gives none): the grid of a live run's timing, settled the file way.
double FileRunHop(const RunState& state) {
    ProjectSettings s = state.settings();
    Geometry g = state.geo();
    s.Sensitivity = kKeyNotGiven;
    FinishTiming(s, g, s.Resolution);
    return g.hopSamples;
}

}  // namespace

BankParams BankParamsOf(const RunState& state) {
    const Geometry& g = state.geo();
    const ProjectSettings& s = state.settings();
    BankParams p;
    p.sampleRate = g.sampleRate;
    p.referencePitch = s.ReferencePitch;
    p.lowKey = g.LowKey;
    p.keyMin = s.KeyMin;
    p.keyMax = s.KeyMax;
    p.topKey = g.TopKey;
    p.singleLine = s.PitchMode == 1;
    p.singleKeyMode = g.singleKeyMode;
    p.liveRun = g.liveRun;
    p.hopSamples = g.hopSamples;
    p.minimumLength = s.MinimumLength;
    // A live single line holds its keys to a file run's note lengths: a frame every 10 ms would
    // otherwise let the mixed partials of a note change (a key below the notes, an octave up)
    // last long enough to become notes that the file run of the same audio never writes.
    if (g.liveRun && p.singleLine && !g.singleKeyMode) {
        p.fileRunHop = FileRunHop(state);
        p.liveFrameSamples = double(kLiveFrameSamples);
    }
    return p;
}

KeyMeasurementParams KeyMeasurementParamsOf(const RunState& state) {
    KeyMeasurementParams p;
    p.lowKey = state.geo().LowKey;
    p.keyMax = state.settings().KeyMax;
    return p;
}

PolyDecisionParams PolyDecisionParamsOf(const RunState& state) {
    PolyDecisionParams p;
    p.firstKey = std::max(state.settings().KeyMin, 0);
    p.lastKey = std::min(state.geo().TopKey, kKeyCount - 1);
    p.harmonicTop = std::min(state.settings().KeyMax, kKeyCount);
    p.gain = state.geo().gainFactor;
    p.harmonicOffsets = state.analysis.HarmonicOffsets;
    return p;
}

SingleLineParams SingleLineParamsOf(const RunState& state) {
    const ProjectSettings& s = state.settings();
    SingleLineParams p;
    p.firstKey = std::max(s.KeyMin, 0);
    p.lastKey = std::min(state.geo().TopKey, kKeyCount - 1);
    p.keyMax = std::min(s.KeyMax, kKeyCount);
    p.harmonicTop = state.analysis.bank.harmonicTop;
    p.lowKey = state.geo().LowKey;
    p.partSelected = s.Track0 == 0;
    p.partKeyMin = s.KeyMin0;
    p.partKeyMax = s.KeyMax0;
    p.brightness = s.Brightness != 0;
    p.singleKeyMode = state.geo().singleKeyMode;
    p.gain = state.geo().gainFactor;
    p.harmonicOffsets = state.analysis.HarmonicOffsets;
    return p;
}

FilterMatchParams FilterMatchParamsOf(const RunState& state) {
    const ProjectSettings& s = state.settings();
    FilterMatchParams p;
    p.keyMin = std::max(s.KeyMin, 0);
    p.topKey = state.geo().TopKey;
    p.keyMax = std::min(s.KeyMax, kKeyCount - 1);
    p.polyphony = s.Poly0;
    p.partSelected = s.Track0 == 0;
    p.partKeyMin = s.KeyMin0;
    p.partKeyMax = s.KeyMax0;
    p.gain = state.geo().gainFactor;
    return p;
}

ChordNamingParams ChordNamingParamsOf(const RunState& state) {
    const ProjectSettings& s = state.settings();
    ChordNamingParams p;
    p.enabled = !(s.PitchMode == 0 || (state.geo().liveRun && s.PitchMode <= 1));
    p.keyMin = s.KeyMin;
    p.topKey = state.geo().TopKey;
    p.keyTotals = s.AutoDetectKey == 1;
    p.nameChord = s.AutoTiming == 0;
    p.keySignature = state.status.keySignature;
    p.minor = s.MajorMinor;
    p.transpose = s.Transpose;
    return p;
}

TrackerParams TrackerParamsOf(const RunState& state) {
    const ProjectSettings& s = state.settings();
    const Geometry& g = state.geo();
    TrackerParams p;
    p.keyMin = std::max(s.KeyMin, 0);
    p.topKey = std::min(g.TopKey, kKeyCount - 1);
    p.threshold = s.OutputThreshold;
    p.polyphony = s.PitchMode < 2 ? 1 : s.PitchMode;
    p.channel = g.partChannel;
    p.minimumLength = s.MinimumLength;
    p.minFrames.reserve(state.analysis.bank.records.size());
    for (const KeyRecord& record : state.analysis.bank.records)
        p.minFrames.push_back(record.minFrames);
    p.subdivisionExp = g.subdivisionExp;
    p.liveRun = g.liveRun;
    p.filterInUse = g.filterInUse;
    p.drums = s.PitchMode == 0;
    p.autoTiming = s.AutoTiming != 0;
    p.tempoTrack = s.TempoTrack == 1;
    p.cropSilence = s.CropSilence == 1;
    p.controller = s.Controller;
    p.brightness = s.Brightness;
    p.pitchBend = s.PitchBend == 1;
    return p;
}

void LoadFilters(RunSetUp& setUp) {
    RunState& state = setUp.state;
    ProjectSettings& s = setUp.settings;
    FilterChoice choice{s.Filter, s.KeyMin, s.KeyMax, s.PitchMode};
    // The settings take what the loading completed, also when the template file is damaged.
    auto keepChoice = [&] {
        s.Filter = choice.filter;
        s.KeyMin = choice.keyMin;
        s.KeyMax = choice.keyMax;
        s.PitchMode = choice.pitchMode;
    };
    try {
        LoadFilterTables({s.ExePath, s.Patch}, choice, state.analysis.filter);
    } catch (const StageFailure&) {
        keepChoice();
        throw;
    }
    keepChoice();
}

void BuildHarmonicTable() {
    run().analysis.HarmonicOffsets = HarmonicOffsetTable();
}

void BuildResonatorBank() {
    RunState& state = run();
    if (int detail = BuildBank(BankParamsOf(state), state.analysis.bank); detail != 0)
        throw StageFailure{{kOutOfMemory, detail}};
}

void MeasureKeyEnergies() {
    RunState& state = run();
    AnalysisState& a = state.analysis;
    TuningTotals tuning{a.TuningSum, a.TuningWeight};
    MeasureFrameKeys(state.params.keyMeasurement, a.bank, viewFrame(a.samples, a.bank.framePlanes),
                     a.KeyLevel, a.KeyBend, tuning);
    a.TuningSum = tuning.sum;
    a.TuningWeight = tuning.weight;
}

void MeasureKeys(int peak) {
    RunState& state = run();
    MeasureDrumKey(state.settings().KeyMin, peak, state.analysis.NoteLevel, state.analysis.KeyBend);
}

void AnalyseFrame() {
    RunState& state = run();
    AnalysisState& a = state.analysis;
    if (state.settings().PitchMode == 1)
        DecideSingleLine();
    else if (state.geo().filterInUse)
        MatchFilterFrame(state.params.filterMatch, {a.KeyLevel, a.KeyBend, a.KeyEnabled}, a.filter,
                         currentSlot(a));
    else
        DecidePolyphonicFrame(state.params.polyDecision, a.KeyLevel, a.KeyBend, a.KeyEnabled,
                              currentSlot(a));
}

void DecideSingleLine() {
    RunState& state = run();
    AnalysisState& a = state.analysis;
    DecideSingleLineFrame(state.params.singleLine,
                          SingleLineRows{a.KeyLevel, a.KeyBend, a.NoteLevel, a.KeyEnabled},
                          a.singleLine, currentSlot(a));
}

void NameChord() {
    RunState& state = run();
    AnalysisState& a = state.analysis;
    NameRingChord(state.params.chordNaming, a.history, a.slot, a.pitchClassTotals,
                  state.status.chordText);
}

void StartNoteTracker() {
    RunState& state = run();
    StartTracker(state.params.tracker, state.analysis.tracker);
}

void TrackSlot() {
    RunState& state = run();
    AnalysisState& a = state.analysis;
    TrackerFrame frame;
    frame.slot = a.slot;
    frame.history = a.history;
    if (a.slot >= 0 && a.slot < static_cast<int>(a.beatLengths.size()))
        frame.beatLength = a.beatLengths[size_t(a.slot)];
    frame.chordText = state.status.chordText;
    TrackerReport report = reportOf(state.status);
    InstalledSink sink;
    TrackFrame(state.params.tracker, frame, a.tracker, report, sink);
    keepReport(report, state.status);
}

bool TrackerIdle() {
    const RunState& state = run();
    return TrackerIsIdle(state.params.tracker, state.analysis.tracker, state.status.chordText);
}

int TailFrameCount() {
    const RunState& state = run();
    return ShortestNoteFrames(state.analysis.bank, state.settings().KeyMin);
}

}  // namespace velt::engine
