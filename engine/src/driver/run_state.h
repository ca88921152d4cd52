// The engine's run state: the project settings as read and clamped at set-up, the derived
// analysis geometry, each stage's state, the open files and the values reported in the status
// line. One run per process, so this state is process-wide (see run_state.cpp). Only the driver
// reads it through run(): the stages take what they need as parameters, and the driver's
// adapters (analysis_steps, midi_output, audio_input, live_devices, tempo_step, ...) map it.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/analysis_types.h"
#include "driver/command_file.h"
#include "driver/stage_params.h"
#include "file_handle.h"
#include "live/live_state.h"
#include "midi/midi_file_writer.h"
#include "midi_events.h"
#include "project/geometry.h"
#include "project/project_settings.h"
#include "run_outcomes.h"
#include "status/status_file.h"

namespace velt::engine {

// Paths from the command line and the project, and the files the run holds open.
struct RunFiles {
    StatusFileState status;  // the status file: its path and, during the run, the open file
    CommandFile command;
    std::string midiPath;  // the output this run writes
    FileHandle audio;
    FileHandle tempo;
};

// Block loop bookkeeping: progress, the block reader's history, the tempo file's position.
struct LoopState {
    float progress = 0;                                     // percent
    float progressStep = 0;                                 // percent per block
    std::vector<int> peaks = std::vector<int>(kSlotCount);  // block peak per ring slot
    int previousPeak = 0;        // peak of the block before (block classification)
    bool previousOnset = false;  // drum runs: the block before was an onset
    int lastPeak = 0;            // peak of the last block read (live threshold command)
    std::array<int, 15> compressorHistory{};  // block peaks, newest first
    std::vector<unsigned char> readBuffer;
    int inputThreshold = 0;  // the settings' InputThreshold; a live run's threshold command sets it
    bool tempoWordsDone = false;  // an end word or the end of the tempo file was read
    int blockInBeat = 0;          // tempo file: blocks of the current beat so far
    int beatWord = 0;             // tempo file: the current beat length in ms
};

class RunSetUp;

struct RunState {
    // The project as the set-up settled it: read-only for the rest of the run (only a RunSetUp
    // writes them).
    const ProjectSettings& settings() const { return settings_; }
    const Geometry& geo() const { return geo_; }

    StatusValues status;
    AnalysisState analysis;
    StageParams params;  // built once at set-up (SettleStageParams)
    RunFiles files;
    LoopState loop;
    std::optional<MidiFileWriter> midi;  // a file run's MIDI file, from the set-up on
    LiveState live;
    MidiEventSink* eventSink = nullptr;  // where the events go: the file writer or the live output
    bool finishing = false;              // the finish has begun
    bool stoppedFromOutside = false;     // a signal or the loss of the starter ends the run: it
                                         // ends as a cancel, but a file run places no file

  private:
    friend class RunSetUp;
    ProjectSettings settings_;
    Geometry geo_;
};

// The set-up's write access to the run's settings and geometry. Only the set-up makes one
// (ReadProject, SetUpAnalysis) and hands it to the steps that read and derive the project; every
// later step sees RunState::settings() and geo() alone, so nothing after the set-up can change
// what the stage parameters were built from.
class RunSetUp {
  public:
    explicit RunSetUp(RunState& run) : state(run), settings(run.settings_), geo(run.geo_) {}
    RunState& state;
    ProjectSettings& settings;
    Geometry& geo;
};

// The one run of this process.
RunState& run();
// Back to the state of a fresh process (tests drive several runs in one process).
void resetRun();

// Sends one event to the run's sink; without one (before the set-up, after the finish) it is
// dropped.
void EmitMidiEvent(int& delta, int status, int data1, int data2, int channel);

// Ends the run with an outcome: type 0 is success and returns; any other type (1 cancel, 2 and
// higher errors) does the finish and then throws the RunOutcome, which RunConversion catches and
// carries back to main (exit status 0 in every case). The codes are named in run_outcomes.h.
void FinishRun(RunOutcome outcome);

// Runs one step of the driver; a stage that cannot go on (StageFailure) ends the run with its
// outcome through FinishRun.
template <typename Step>
void FinishOnStageFailure(Step&& step) {
    try {
        step();
    } catch (const StageFailure& failure) {
        FinishRun(failure.outcome);
    }
}

}  // namespace velt::engine
