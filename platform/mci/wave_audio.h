// The "waveaudio" devices: a WAV file played on the default output device, and a new take
// recorded from the default sound input.
//
// A new take needs a sound input: with no input device at all, "open new" answers kMciNoDevice.
// It captures from the moment its format is set ("set"), so the input is running when
// "record" comes; frames that arrive before "record" are dropped, so the take starts within one
// device buffer (at most 512 frames) of it. From "record" to "stop" the take holds as many frames
// as the clock says passed (round(ms * rate / 1000)), as far as the input delivered them. The
// input's ring is emptied into the take on the layer's timing. "save" writes the take as a PCM
// WAV file (platform/wav), a valid 44-byte file when it is empty; a file that cannot be written
// is removed and reported. The take can be played, too.
#pragma once

#include <memory>
#include <string>

#include "platform/mci/device.h"

namespace velt::platform::mci {

int32_t openWaveFile(const std::filesystem::path& file, Timing& timing,
                     std::unique_ptr<Device>& device);
int32_t openNewTake(Timing& timing, std::unique_ptr<Device>& device);

}  // namespace velt::platform::mci
