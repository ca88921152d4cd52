// The system's MIDI output ports (RtMidi over the ALSA sequencer).
#pragma once

#include <memory>

#include "platform/midi_out/midi_out.h"

namespace velt::platform::midi_out {

std::unique_ptr<Devices> makeSystemDevices();

}  // namespace velt::platform::midi_out
