// Where the engine's MIDI events go. The driver chooses the sink at set-up (the MIDI file writer in
// a file run, the output device in a live run) and keeps it in the run state; stages that produce
// events are given a sink, and tests give them one of their own to watch the events.
#pragma once

namespace velt::engine {

class MidiEventSink {
  public:
    virtual ~MidiEventSink() = default;
    // delta: the caller's accumulator of hops since its last event (one hop = 24 ticks).
    // status: 0x90, 0x80, 0xB0, 0xE0 or another channel status; 0xFF the chord-text meta;
    // platform::smf::kTempoMeta (0x51) the tempo meta with data1 = beat length in ms. channel is
    // 0-based, -1 = no channel.
    virtual void emit(int& delta, int status, int data1, int data2, int channel) = 0;
};

}  // namespace velt::engine
