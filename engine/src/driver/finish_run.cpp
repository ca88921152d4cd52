// The one place where every run ends. Success and cancel first complete the MIDI file (pending
// slots, a silent tail that ends every sounding note, End of Track, key, tempo, header, velocity
// pass); every outcome then closes the files, puts the MIDI file of a success or of a cancel the
// user asked for in place (a failed run, or one stopped by a signal or the loss of its starter,
// drops it, and an earlier file stays), writes the final status line, and, except for success,
// unwinds to main.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analysis/key_detection.h"
#include "driver/analysis_steps.h"
#include "driver/midi_output.h"
#include "driver/run_state.h"
#include "driver/status_report.h"
#include "live/live_io.h"
#include "midi_events.h"
#include "status/status_file.h"

namespace velt::engine {

namespace {

void completeOutput(RunState& state) {
    const Geometry& g = state.geo();
    const ProjectSettings& s = state.settings();
    AnalysisState& a = state.analysis;

    if (!g.liveRun && a.slot >= 0) {
        const int last = a.slot;
        NameChord();
        for (int i = 0; i <= last; ++i) {
            a.slot = i;
            TrackSlot();
        }
    }
    // Silent tail: long enough for every sounding note to reach its end. Each pass uses a cleared
    // slot of the ring with no beat length, so the tail adds note offs and never a stray tempo.
    // Once the tracker holds nothing more, further silent passes cannot add an event: the tail
    // stops there (a huge minimum note length would otherwise keep the finish busy for minutes).
    const int64_t tail = 2 * int64_t{TailFrameCount()};
    const int ring = std::clamp(g.slotCount, 1, kSlotCount);
    for (int64_t t = 0; t <= tail; ++t) {
        const int slot = int(t % ring);
        for (int k = s.KeyMin; k <= s.KeyMax; ++k) a.cell(k, slot) = HistoryCell{};
        a.beatLengths[size_t(slot)] = 0;
        a.slot = slot;
        TrackSlot();
        if (TrackerIdle()) break;
    }
    a.slot = -1;

    if (!g.liveRun) {
        WriteEndOfTrack(state);
        if (s.AutoDetectKey == 1) {
            DetectedKey key = DetectKey(a.pitchClassTotals, s.Transpose);
            state.status.keySignature = key.keySignature;
            state.status.majorMinor = key.majorMinor;
        }
        WriteMidiHeader(state, CorrectAutoTimingTempo(state));
        ScaleVelocities(state);
        if (a.TuningWeight != 0 && s.PitchMode > 0) {
            state.status.referencePitch *= std::pow(2.0, (a.TuningSum / a.TuningWeight) / 12);
        }
    }
}

}  // namespace

void FinishRun(RunOutcome ending) {
    auto [type, detail] = ending;
    RunState& state = run();
    const bool live = state.geo().liveRun;
    // A file run stopped from outside drops its file, so there is nothing to complete; a live
    // run still ends every sounding note.
    const bool placesFile = !state.stoppedFromOutside;
    if ((type == kRunSucceeded || type == kRunCancelled) && !state.finishing &&
        (live || placesFile)) {
        state.finishing = true;
        FinishOnStageFailure([&] { completeOutput(state); });
    }
    state.finishing = true;

    state.eventSink = nullptr;
    if (live) {
        if (type != kMidiDeviceFailed && type != kWaveInDeviceFailed) CloseLiveOutput(state.live);
        if (type != kWaveInDeviceFailed) CloseLiveInput(state.live);
    }
    state.files.tempo.reset();
    state.files.audio.reset();
    // Success and a cancel the user asked for put the completed file in place of the target;
    // every other end drops the working file and leaves an earlier file of that name as it was.
    if (type > kRunCancelled || !placesFile) {
        DropMidiFile(state);
    } else if (RunOutcome placed = PutMidiFileInPlace(state); placed.type != kRunSucceeded) {
        type = placed.type;
        detail = placed.detail;
    }

    state.status.value = OutcomeStatusValue(type, detail);
    WriteFinalStatus();
    if (type != kRunSucceeded) throw RunOutcome{type, detail};
}

}  // namespace velt::engine
