#include "driver/run_setup.h"

#include <algorithm>
#include <cstdio>

#include "driver/analysis_steps.h"
#include "driver/audio_input.h"
#include "driver/live_devices.h"
#include "driver/run_state.h"
#include "driver/tempo_step.h"
#include "project/key_range.h"
#include "project/project_keys.h"
#include "project/project_text.h"
#include "project/run_geometry.h"

namespace velt::engine {

namespace {

// An instrument filter may give the polyphony the project leaves out (and the key range).
void loadFilters(RunSetUp& setUp, bool pitchModeGiven) {
    ProjectSettings& s = setUp.settings;
    const int projectPitchMode = s.PitchMode;
    if (!pitchModeGiven) s.PitchMode = kKeyNotGiven;
    LoadFilters(setUp);
    if (s.PitchMode == kKeyNotGiven) s.PitchMode = projectPitchMode;
    s.PitchMode = std::clamp(s.PitchMode, 0, 128);
    s.Poly0 = PartPolyphony(s.PitchMode);
}

// Audio input: the file's header (or the project's format for raw PCM), or the live devices.
void openAudioInput(RunSetUp& setUp) {
    ProjectSettings& s = setUp.settings;
    Geometry& g = setUp.geo;
    if (g.liveRun) {
        int error = OpenLiveInput(s.AudioDevice);
        if (error != 0) throw StageFailure{{kWaveInDeviceFailed, error}};
        g.channels = 1;
        g.bitsPerSample = 16;
        g.sampleRate = 44100;
        ApplyInputDefaults(s, true);
    } else {
        ApplyInputDefaults(s, false);
        if (!ReadWaveHeader(setUp)) {
            g.channels = s.Tracks;
            g.sampleRate = s.Rate;
            g.bitsPerSample = s.BitsPerSample;
        }
        CheckAudioLayout(g);
    }
    TakeAudioLayout(s, g);
}

// Geometry and timing; the status line reports the start, tempo, metre and resolution.
void deriveGeometry(RunSetUp& setUp) {
    RunState& state = setUp.state;
    ProjectSettings& s = setUp.settings;
    Geometry& g = setUp.geo;
    StatusValues& status = state.status;

    DeriveBlockGeometry(s, g);
    status.startTime = float(s.StartPoint);
    status.chordRes = s.ChordRes;
    status.numerator = s.TimeSignatureNumerator;
    status.tempo = s.Tempo;

    double resolution = 0;
    if (g.liveRun) {
        resolution = BeginLiveTiming(s, g);
        status.tempo = g.beatsPerSecond * 60;
    } else {
        resolution = BeginFileTiming(s, g);
        if (s.AutoTiming == 1) status.tempo = s.Tempo;
        DetectTempo(setUp, resolution);
        status.chordRes = s.ChordRes;
    }
    FinishTiming(s, g, resolution);
    status.resolution = float(g.resolution);

    if (!g.liveRun && s.TempoDetect == 0 && s.AutoTiming == 0 && !s.TempoFile.empty()) {
        state.files.tempo.reset(std::fopen(s.TempoFile.c_str(), "rb"));
    }
    if (!g.liveRun) CheckMidiTiming(g);
}

void readProject(const std::string& projectPath) {
    RunState& state = run();
    RunSetUp setUp(state);
    Geometry& g = setUp.geo;

    // 1. Every key, part 0 and the single-key mode.
    auto text = ProjectText::Load(projectPath);
    if (!text) throw StageFailure{outcome::kProjectNotOpened};
    ProjectReading reading = ReadProjectKeys(*text);
    setUp.settings = std::move(reading.settings);
    ProjectSettings& s = setUp.settings;
    g.singleKeyMode = reading.singleKeyMode;
    g.reservedBytes = reading.reservedBytes;
    g.partActive = reading.partActive;
    g.liveRun = reading.liveRun;
    state.files.midiPath = reading.midiPath;

    // 2. Filters and the audio input.
    if (s.Filter != -1 && s.PitchMode != 1) loadFilters(setUp, reading.pitchModeGiven);
    g.filterInUse = s.Filter != -1 && s.PitchMode != 1;
    openAudioInput(setUp);

    // 3. Part 0's channel and program, the live output.
    ResolvePartOutput(s, g);
    if (g.liveRun) {
        int error = OpenLiveOutput(s.MidiDevice);
        if (error != 0) throw StageFailure{{kMidiDeviceFailed, error}};
        SendLivePartSetup();
    }

    // 4. Clamps, keys, geometry and timing, key mask.
    ClampSettings(s, g);
    ResolveKeyRange(s, g);
    deriveGeometry(setUp);
    SettleKeyConstraint(s);
    state.analysis.KeyEnabled = KeyMask(s, g.singleKeyMode, state.analysis.KeyEnabled.size());
    state.status.keySignature = s.KeySignature;
    state.status.majorMinor = s.MajorMinor;
    state.status.referencePitch = s.ReferencePitch;
}

}  // namespace

void ReadProject(const std::string& projectPath) {
    FinishOnStageFailure([&] { readProject(projectPath); });
}

}  // namespace velt::engine
