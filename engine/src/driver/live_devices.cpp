#include "driver/live_devices.h"

#include "driver/midi_output.h"
#include "driver/run_state.h"
#include "midi_events.h"

namespace velt::engine {

namespace {

// The run's events to the output device, keys and velocities mapped as the set-up settled them
// (the first event comes after that).
class LiveSink : public MidiEventSink {
  public:
    void emit(int& delta, int status, int data1, int data2, int channel) override {
        const RunState& state = run();
        SendLiveEvent(state.live, state.params.noteMapping, delta, status, data1, data2, channel);
    }
};
LiveSink liveSink;  // stateless: the devices are in run().live

}  // namespace

LivePart LivePartOf(const RunState& state) {
    return {state.geo().partChannel, state.geo().partProgram};
}

LiveFrameLayout LiveFrameLayoutOf(const RunState& state) {
    return {state.geo().blockLength, state.geo().filterInUse};
}

int OpenLiveInput(int device) {
    return OpenLiveInput(run().live, device);
}

int OpenLiveOutput(int device) {
    const int error = OpenLiveOutput(run().live, device);
    if (error == 0) run().eventSink = &liveSink;
    return error;
}

void SendLivePartSetup() {
    const RunState& state = run();
    SendLivePartSetup(state.live, LivePartOf(state));
}

void SendLiveProgram(int program) {
    const RunState& state = run();
    SendLiveProgram(state.live, LivePartOf(state), program);
}

void WaitForLiveAudio(int64_t samples) {
    WaitForLiveAudio(run().live, samples);
}

int ReadLiveSamples() {
    RunState& state = run();
    return ReadLiveSamples(state.live, state.params.liveFrame, state.analysis.samples);
}

}  // namespace velt::engine
