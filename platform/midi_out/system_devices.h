// The system's MIDI output devices: first the built-in software synthesizer when it is available
// (soft_synth.h), then the output ports of the ALSA sequencer (RtMidi). So the default device,
// device 0, is the synthesizer when there is one.
#pragma once

#include <memory>

#include "platform/midi_out/midi_out.h"
#include "platform/midi_out/soft_synth.h"

namespace velt::platform::midi_out {

std::unique_ptr<Devices> makeSystemDevices(SoftSynthOptions synthOptions = {});

// "Client:Port Name 20:0" (RtMidi's name of an ALSA port) → "Port Name", the part a device list
// shows.
std::string alsaPortName(const std::string& rtMidiName);

}  // namespace velt::platform::midi_out
