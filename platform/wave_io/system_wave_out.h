// The system's sound output devices through RtAudio over ALSA: every ALSA device with an output
// channel, ALSA's "default" device (the one the desktop's sound server routes) first.
#pragma once

#include <memory>

#include "platform/wave_io/wave_out.h"

namespace velt::platform::wave_out {

std::unique_ptr<Devices> makeSystemDevices();

}  // namespace velt::platform::wave_out
