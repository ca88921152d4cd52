// The system's sound input devices through RtAudio over ALSA: every ALSA device with an input
// channel, ALSA's "default" device (the one the desktop's sound server routes) first.
#pragma once

#include <memory>

#include "platform/wave_io/wave_in.h"

namespace velt::platform::wave_in {

std::unique_ptr<Devices> makeSystemDevices();

}  // namespace velt::platform::wave_in
