#include "driver/run_conversion.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <new>

#include "driver/analysis_steps.h"
#include "driver/audio_input.h"
#include "driver/command_file.h"
#include "driver/live_devices.h"
#include "driver/midi_output.h"
#include "driver/run_setup.h"
#include "driver/stage_params.h"
#include "driver/status_cadence.h"
#include "driver/status_report.h"
#include "driver/stop_request.h"
#include "kvxvtpd.h"
#include "midi_events.h"

namespace velt::engine {

namespace {

constexpr int kEndOfBeats = 0xFFFF;  // tempo file word: no more beat lengths, keep the nominal hop

int64_t wholeSeconds() {
    return int64_t(std::time(nullptr));
}

double roundHalfUp(double x) {
    return std::trunc(x + 0.5);
}

// Resizes a run buffer; running out of memory ends the run with 6.detail.
template <typename Buffer>
void allocate(Buffer& buffer, size_t size, int detail) {
    try {
        buffer.assign(size, {});
    } catch (const std::bad_alloc&) {
        FinishRun({kOutOfMemory, detail});
    }
}

void clearKeyMeasurements(RunState& state) {
    AnalysisState& a = state.analysis;
    for (int k = state.settings().KeyMin; k <= state.settings().KeyMax; ++k) {
        a.KeyLevel[size_t(k)] = 0;
        a.KeyBend[size_t(k)] = 0;
        a.NoteLevel[size_t(k)] = 0;
    }
}

void sendStartControllers(const RunState& state) {
    if (!state.geo().partActive) return;
    const int channel = state.geo().partChannel;
    int delta = 0;
    auto control = [&](int controller, int value) {
        EmitMidiEvent(delta, 0xB0, controller, value, channel);
    };
    // Coarse tuning centred, fine tuning in cents, and with pitch bend a range of two half steps.
    control(101, 0);
    control(100, 2);
    control(6, 64);
    const int cents = int(1200 * std::log2(state.settings().ReferencePitch / 440) + 8192.5);
    control(101, 0);
    control(100, 1);
    control(6, cents / 128);
    control(38, cents % 128);
    if (state.settings().PitchBend == 1) {
        control(101, 0);
        control(100, 0);
        control(6, 2);
        control(38, 0);
    }
}

// Next beat length word of the tempo file; the end of the file reads as the end marker.
int readTempoWord(std::FILE* file) {
    int low = std::fgetc(file);
    int high = std::fgetc(file);
    if (low == EOF || high == EOF) return kEndOfBeats;
    return low | (high << 8);
}

// Advances the cumulative hop h after the block of the current slot.
void advanceHop(RunState& state, double& h) {
    const Geometry& g = state.geo();
    LoopState& loop = state.loop;
    std::FILE* tempo = state.files.tempo.get();
    if (tempo == nullptr || loop.tempoWordsDone) {
        h += g.hopSamples;
        return;
    }
    const int slot = state.analysis.slot;
    const double r = g.sampleRate;
    if (g.blocksPerBeat >= 1) {
        if (loop.blockInBeat == 0) {
            loop.beatWord = readTempoWord(tempo);
            if (loop.beatWord == kEndOfBeats) {
                loop.tempoWordsDone = true;
                h += g.hopSamples;
                return;
            }
        }
        loop.blockInBeat = (loop.blockInBeat + 1) % g.blocksPerBeat;
        // A beat of 0 ms would stop the loop where it stands: such a beat keeps the nominal hop.
        if (loop.beatWord == 0) {
            h += g.hopSamples;
            return;
        }
        h += loop.beatWord * r / 1000 / g.blocksPerBeat;
        state.analysis.beatLengths[size_t(slot)] = loop.beatWord;
        return;
    }
    int sum = 0;
    for (int i = 0; i < g.wordsPerBlock; ++i) {
        int word = readTempoWord(tempo);
        if (word == kEndOfBeats) {
            loop.tempoWordsDone = true;
            h += g.hopSamples;
            return;
        }
        sum += word;
    }
    if (sum == 0) {
        h += g.hopSamples;
        return;
    }
    state.analysis.beatLengths[size_t(slot)] = sum;
    h += sum * r / 1000;
}

void classifyBlock(RunState& state, int peak) {
    const ProjectSettings& s = state.settings();
    LoopState& loop = state.loop;
    const int threshold = loop.inputThreshold;
    const bool pausedOut = s.PauseBetweenNotes == 1 && loop.previousPeak > threshold;
    if (!state.geo().singleKeyMode) {
        if (peak <= threshold || pausedOut) {
            clearKeyMeasurements(state);
        } else {
            MeasureKeyEnergies();
        }
        AnalyseFrame();
    } else {
        bool silent =
            peak <= threshold || pausedOut || loop.previousPeak >= peak / 2 || loop.previousOnset;
        if (silent) {
            clearKeyMeasurements(state);
        } else {
            MeasureKeys(peak);
        }
        DecideSingleLine();
        loop.previousOnset = !silent;
    }
    loop.previousPeak = peak;
    loop.lastPeak = peak;
}

// Names the chord of the ring and runs the tracker over its slots 0..last; the ring is then empty.
void flushRing(RunState& state, int last) {
    AnalysisState& a = state.analysis;
    a.slot = last;
    NameChord();
    for (int i = 0; i <= last; ++i) {
        a.slot = i;
        TrackSlot();
    }
    a.slot = -1;
}

}  // namespace

void setUpAnalysis() {
    RunState& state = run();
    RunSetUp setUp(state);
    const Geometry& g = state.geo();
    const ProjectSettings& s = state.settings();

    allocate(state.analysis.samples, size_t(g.sampleBufferLength), memory_detail::kRunBuffers);
    BuildResonatorBank();
    BuildHarmonicTable();
    ReserveFramePlanes(state.analysis.samples, state.analysis.bank.framePlanes);
    if (!g.liveRun) {
        const int64_t blocks = g.singleKeyMode ? 3 : 1;
        allocate(state.loop.readBuffer, size_t(blocks * g.blockBytes + 1),
                 memory_detail::kReadBuffer);
    }
    allocate(state.analysis.beatLengths, kSlotCount, memory_detail::kBeatLengths);

    setUp.geo.normaliser = !g.liveRun && s.Compress != 1 ? RunNormaliserGain() : 1;
    if (s.Compress == 1) state.loop.compressorHistory.fill(32767);
    state.loop.inputThreshold = s.InputThreshold;

    // The project is settled: each stage's parameters are built once, before the first event.
    SettleStageParams(state);
    if (g.liveRun) ReserveLiveFrame(state.live, state.params.liveFrame);
    if (!g.liveRun) CreateMidiFile(state);
    sendStartControllers(state);

    if (!g.liveRun) {
        const double span = double(g.endByte - g.startByte) + g.hopBytes;
        state.loop.progressStep = span > 0 ? float(100 * g.hopBytes / span) : 0;
    }
    state.loop.progress = 0;
    StartNoteTracker();
    AnalysisState& a = state.analysis;
    std::fill(a.history.begin(), a.history.end(), HistoryCell{});
    a.pitchClassTotals.fill(0);
    a.slot = -1;
}

void pollCommandFile() {
    RunState& state = run();
    if (StopRequested()) {
        // Nobody asked for this end: the partial result must not replace the earlier file.
        state.stoppedFromOutside = true;
        FinishRun(outcome::kCancelled);
    }
    auto command = TakeCommand(state.files.command, state.geo().liveRun);
    if (!command) return;
    switch (command->code) {
        case KVX_COMMAND_CANCEL:
            FinishRun(outcome::kCancelled);
            break;
        case KVX_COMMAND_THRESHOLD:
            if (state.geo().liveRun)
                state.loop.inputThreshold = std::min(32767, 2 * state.loop.lastPeak);
            break;
        case KVX_COMMAND_PATCH:
            // The program goes to the device at once; nothing later reads it back.
            if (state.geo().liveRun && command->argument)
                SendLiveProgram(std::clamp(*command->argument, 0, 127));
            break;
        default:
            break;
    }
}

BlockPosition FirstBlock() {
    return {run().geo().startByte, 0};
}

void AnalyseBlock(BlockPosition& at) {
    RunState& state = run();
    const Geometry& g = state.geo();
    AnalysisState& a = state.analysis;
    if (a.slot == -1) std::fill(a.beatLengths.begin(), a.beatLengths.end(), 0);
    a.slot += 1;
    const int peak = ReadBlock(at.byte);
    state.loop.peaks[size_t(a.slot)] = peak;
    classifyBlock(state, peak);
    advanceHop(state, at.hop);
    at.byte = g.startByte + g.bytesPerFrame * int64_t(roundHalfUp(at.hop));
    if (a.slot + 1 >= g.slotCount) flushRing(state, a.slot);
}

void runBlockLoop() {
    RunState& state = run();
    const Geometry& g = state.geo();
    StatusCadence cadence(wholeSeconds());
    for (BlockPosition at = FirstBlock(); at.byte < g.endByte;) {
        AnalyseBlock(at);
        PollCommandFile();
        state.loop.progress += state.loop.progressStep;
        // A tempo file of beats shorter than the project's tempo makes more blocks than the step
        // was sized for; the report stays at 100 so that it can never read as the finished mark.
        state.status.value = std::min(state.loop.progress, 100.0f);
        if (cadence.afterBlock(wholeSeconds())) WriteStatus();
    }
}

void runLiveLoop() {
    RunState& state = run();
    StatusCadence cadence(wholeSeconds());
    for (;;) {
        // A frame only after 10 ms of new audio: frames keep the audio's pace (the minimum note
        // length counts frames, and a window straddling two notes must not be decided again and
        // again), and the loop sleeps meanwhile instead of spinning.
        WaitForLiveAudio(kLiveFrameSamples);
        state.analysis.slot = 0;
        const int peak = ReadLiveBlock();
        state.loop.peaks[0] = peak;
        state.status.value = float(peak);
        classifyBlock(state, peak);
        flushRing(state, 0);
        if (cadence.afterBlock(wholeSeconds())) WriteStatus();
        PollCommandFile();
    }
}

void SetUpAnalysis() {
    FinishOnStageFailure(setUpAnalysis);
}
void PollCommandFile() {
    FinishOnStageFailure(pollCommandFile);
}
void RunBlockLoop() {
    FinishOnStageFailure(runBlockLoop);
}
void RunLiveLoop() {
    FinishOnStageFailure(runLiveLoop);
}

RunOutcome RunConversion(const std::string& projectPath) {
    try {
        try {
            ReadProject(projectPath);
            SetUpAnalysis();
            if (run().geo().liveRun) {
                RunLiveLoop();
            } else {
                RunBlockLoop();
            }
            FinishRun(outcome::kSucceeded);
        } catch (const std::bad_alloc&) {
            FinishRun({kOutOfMemory, memory_detail::kRunBuffers});
        }
    } catch (const RunOutcome& outcome) {
        return outcome;
    }
    return {};
}

}  // namespace velt::engine
