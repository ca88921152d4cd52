// Small pictures for the picture buttons, drawn in code so that a button without a caption still
// shows what it does: the level button a level meter under a fader knob, the recording device
// button a microphone. 16 x 16 pixels, transparent around the drawing.
#pragma once

#include "desk/ui/picture.h"

namespace velt::desk {

// "Adjust Recording Level": green, yellow and red bars rising to the right under a fader knob.
ui::Picture LevelButtonPicture();
// "Set Default Audio Recording Device": a microphone on its stand.
ui::Picture RecordingDeviceButtonPicture();

}  // namespace velt::desk
