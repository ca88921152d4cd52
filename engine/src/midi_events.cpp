#include "midi_events.h"

namespace velt::engine {

namespace {
MidiEventSink* installedSink = nullptr;  // part of the run state: one run per process
}

void EmitMidiEvent(int& delta, int status, int data1, int data2, int channel) {
    if (installedSink != nullptr) installedSink->emit(delta, status, data1, data2, channel);
}

void SetMidiEventSink(MidiEventSink* sink) { installedSink = sink; }

}  // namespace velt::engine
