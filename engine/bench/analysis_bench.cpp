// Speed of the engine's analysis on a 60-second piano render: every frame goes through the key
// measurement, the frame decisions, chord naming and the note tracker, as in a file run.
// Reports the real-time factor (seconds of audio analysed per second) for the default key range
// 28..85 and for the piano range 21..108, and the plain reference loop for comparison.
// Run: build/bench/engine_bench (pin to one core with taskset -c 0 for steady figures).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "analysis/analysis_types.h"
#include "analysis/chord_naming.h"
#include "analysis/frame_decisions.h"
#include "analysis/key_measurement.h"
#include "analysis/note_tracker.h"
#include "analysis/resonator_bank.h"
#include "midi_events.h"
#include "piano_score.h"
#include "project/run_geometry.h"
#include "test_support.h"

namespace {

using namespace velt::engine;

constexpr int kRate = 44100;
constexpr double kSeconds = 60;

// The render (a WAV file for the engine program, mono 16-bit samples for the frame loop), made
// once per process and kept until it ends.
struct Render {
    velt::test::TempDir dir;
    std::filesystem::path wav = dir / "piano.wav";
    std::vector<int16_t> mono;
};

const Render& pianoRender() {
    static const std::unique_ptr<Render> render = [] {
        auto r = std::make_unique<Render>();
        auto raw = r->dir / "piano.raw";
        if (!velt::test::renderScore(velt::test::pianoPiece(kSeconds), r->dir.path(), r->wav,
                                     kRate) ||
            velt::test::runCommand("sox -D " + velt::test::shellQuote(r->wav.string()) +
                                   " -t raw -e signed-integer -b 16 -c 1 " +
                                   velt::test::shellQuote(raw.string()))
                    .exitCode != 0) {
            std::fprintf(stderr, "could not render the piano piece (fluidsynth, csvmidi, sox)\n");
            std::exit(1);
        }
        std::string bytes = velt::test::readFile(raw);
        r->mono.resize(bytes.size() / 2);
        for (size_t i = 0; i < r->mono.size(); ++i)
            r->mono[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                              (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
        return r;
    }();
    return *render;
}

const std::vector<int16_t>& pianoAudio() {
    return pianoRender().mono;
}

// Drops the tracker's events, as a run without an installed sink does.
class DroppingSink : public MidiEventSink {
  public:
    void emit(int&, int, int, int, int) override {}
};

// The analysis of a file run over a key range at 120 BPM with automatic resolution and
// sensitivity: the geometry the run set-up derives, each stage's parameters, and the state they
// work on.
struct AnalysisRun {
    AnalysisRun(int keyMin, int keyMax) {
        const Geometry g = FileRunGeometry(keyMin, keyMax, kRate, false);
        const double f = ProjectSettings{}.ReferencePitch;
        blockLength = g.blockLength;
        hopSamples = g.hopSamples;
        a.samples.assign(blockLength + 2, 0);
        a.HarmonicOffsets = HarmonicOffsetTable();

        BankParams bankParams;
        bankParams.sampleRate = kRate;
        bankParams.referencePitch = f;
        bankParams.lowKey = g.LowKey;
        bankParams.keyMin = keyMin;
        bankParams.keyMax = keyMax;
        bankParams.topKey = g.TopKey;
        bankParams.hopSamples = hopSamples;
        bankParams.minimumLength = 2;
        if (BuildBank(bankParams, a.bank) != 0) {
            std::fprintf(stderr, "no memory for the resonator bank\n");
            std::exit(1);
        }
        measurement.lowKey = keyMin;
        measurement.keyMax = keyMax;
        decision.firstKey = keyMin;
        decision.lastKey = decision.harmonicTop = keyMax;
        decision.harmonicOffsets = a.HarmonicOffsets;
        chord.keyMin = keyMin;
        chord.topKey = keyMax;
        tracker.keyMin = keyMin;
        tracker.topKey = keyMax;
        tracker.threshold = 5;
        tracker.polyphony = 30;
        tracker.minimumLength = 2;
        for (const KeyRecord& record : a.bank.records)
            tracker.minFrames.push_back(record.minFrames);
        tracker.subdivisionExp = g.subdivisionExp;
        tracker.tempoTrack = true;
        tracker.controller = 11;
        tracker.brightness = 74;
        tracker.pitchBend = true;
    }

    int blockLength = 0;
    double hopSamples = 0;
    int inputThreshold = 384;
    AnalysisState a;
    KeyMeasurementParams measurement;
    PolyDecisionParams decision;
    ChordNamingParams chord;
    TrackerParams tracker;
};

// Runs the frame loop over the whole render; plainLoop measures the energies with the reference
// loop instead of the engine's frame path.
void analyseRender(AnalysisRun& r, bool plainLoop) {
    const auto& audio = pianoAudio();
    AnalysisState& a = r.a;
    int peakAll = 1;
    for (int16_t v : audio) peakAll = std::max(peakAll, std::abs(int{v}));
    double normaliser = 32767.0 / peakAll;
    const int block = r.blockLength;
    StartTracker(r.tracker, a.tracker);
    TrackerReport report;
    std::string chordText = "N/C";
    DroppingSink sink;
    TuningTotals tuning;
    for (double h = 0; h + block < audio.size(); h += r.hopSamples) {
        size_t p = static_cast<size_t>(h + 0.5);
        int peak = 0;
        for (int m = 0; m < block; ++m) {
            int v = static_cast<int>(audio[p + m] * normaliser);
            a.samples[m + 1] = v;
            peak = std::max(peak, std::abs(v));
        }
        a.slot = 0;
        if (peak <= r.inputThreshold) {
            for (int k = r.measurement.lowKey; k <= r.measurement.keyMax; ++k)
                a.KeyLevel[k] = a.KeyBend[k] = a.NoteLevel[k] = 0;
        } else if (plainLoop) {
            for (int k = a.bank.firstKey; k <= a.bank.lastKey; ++k)
                a.bank.energies[k] = WindowEnergyReference(a.bank, k, 1, a.samples);
        } else {
            MeasureFrameKeys(r.measurement, a.bank, viewFrame(a.samples, a.bank.framePlanes),
                             a.KeyLevel, a.KeyBend, tuning);
        }
        DecidePolyphonicFrame(r.decision, a.KeyLevel, a.KeyBend, a.KeyEnabled,
                              SlotCells{a.history, a.slot});
        NameRingChord(r.chord, a.history, a.slot, a.pitchClassTotals, chordText);
        TrackerFrame frame;
        frame.slot = a.slot;
        frame.history = a.history;
        frame.beatLength = a.beatLengths[0];
        frame.chordText = chordText;
        TrackFrame(r.tracker, frame, a.tracker, report, sink);
    }
}

void BM_AnalysePianoRender(benchmark::State& bench) {
    pianoAudio();
    AnalysisRun r(static_cast<int>(bench.range(0)), static_cast<int>(bench.range(1)));
    bool plain = bench.range(2) != 0;
    for (auto _ : bench) analyseRender(r, plain);
    double audioSeconds = pianoAudio().size() / double(kRate);
    bench.counters["x_realtime"] =
        benchmark::Counter(audioSeconds, benchmark::Counter::kIsIterationInvariantRate);
    bench.counters["hop"] = r.hopSamples;
}

// A whole run of the engine program on the render: project reading, WAV input, analysis, MIDI
// file and status file.
void BM_EngineRun(benchmark::State& bench) {
    const Render& render = pianoRender();
    auto project = render.dir / "bench.vpr";
    velt::test::writeFile(project, "AudioFile=" + render.wav.string() +
                                       "\nMidiFile=" + (render.dir / "bench.mid").string() +
                                       "\nKeyMin=" + std::to_string(bench.range(0)) +
                                       "\nKeyMax=" + std::to_string(bench.range(1)) +
                                       "\nTempo=120\nTimeSignatureNumerator=4\nChordRes=1\n");
    // The exchange files live where the bridge puts them: the user's runtime folder, a memory
    // file system. On a disk file system the status rewrites of the first two seconds would
    // dominate the run.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::filesystem::path exchange = runtime != nullptr && *runtime != 0 ? runtime : "/dev/shm";
    if (!std::filesystem::is_directory(exchange)) exchange = render.dir.path();
    auto statusFile = exchange / ("velt-bench-status-" + std::to_string(getpid()) + ".txt");
    auto commandFile = exchange / ("velt-bench-command-" + std::to_string(getpid()) + ".txt");
    std::string command = velt::test::shellQuote(VELT_ENGINE_BINARY) + " " +
                          velt::test::shellQuote(project.string()) + " " +
                          velt::test::shellQuote(statusFile.string()) + " " +
                          velt::test::shellQuote(commandFile.string()) + " >/dev/null";
    for (auto _ : bench) {
        if (velt::test::runCommand(command).exitCode != 0) bench.SkipWithError("engine failed");
    }
    std::string status = velt::test::readFile(statusFile);
    std::filesystem::remove(statusFile);
    if (status.rfind("100000", 0) != 0) bench.SkipWithError(("status " + status).c_str());
    double audioSeconds = render.mono.size() / double(kRate);
    bench.counters["x_realtime"] =
        benchmark::Counter(audioSeconds, benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_EngineRun)
    ->ArgNames({"keyMin", "keyMax"})
    ->Args({28, 85})
    ->Args({21, 108})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

BENCHMARK(BM_AnalysePianoRender)
    ->ArgNames({"keyMin", "keyMax", "plainLoop"})
    ->Args({28, 85, 0})
    ->Args({21, 108, 0})
    ->Args({28, 85, 1})
    ->Args({21, 108, 1})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
