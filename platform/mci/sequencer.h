// The "sequencer" device: a Standard MIDI File (format 0 or 1, read by platform/midi_file)
// played on the default MIDI output (platform/midi_out), each event sent when the layer's clock
// reaches its time. Tempo metas of any track change the pace from their tick on; system
// exclusive events are not sent; meta events are not sent.
//
// The output device is opened at play and closed at stop, so other users of MIDI output (the
// metronome) can have it while the sequence is stopped. Stop, pause and close send a reset (all
// notes and sustain off). Playing from a position after the start first sends the programs,
// controllers and bends in force there, without notes.
#pragma once

#include <memory>

#include "platform/mci/device.h"

namespace velt::platform::mci {

int32_t openSequence(const std::filesystem::path& file, Timing& timing,
                     std::unique_ptr<Device>& device);

}  // namespace velt::platform::mci
