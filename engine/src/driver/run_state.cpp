#include "driver/run_state.h"

namespace velt::engine {

RunState& run() {
    static RunState state;
    return state;
}

void resetRun() {
    run() = RunState{};
}

void EmitMidiEvent(int& delta, int status, int data1, int data2, int channel) {
    if (MidiEventSink* sink = run().eventSink) sink->emit(delta, status, data1, data2, channel);
}

}  // namespace velt::engine
