// The audio hand-over of the stand-in windows: how they tell a WAV file and how a project takes
// one audio file without the settings dialog.
#pragma once

#include <string>

namespace velt::desk {

// The one audio file of a project as the stand-ins set it: its MIDI file beside it, its folder
// remembered, convertible when it is a RIFF WAVE file.
void UseSingleAudioFile(const std::string& path);

// True when the file starts like a RIFF WAVE file.
bool LooksLikeWave(const std::string& path);

}  // namespace velt::desk
