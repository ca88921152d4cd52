// The audio and MIDI file lists of a project as the windows show them: one row per file, numbered
// from 1, and every audio file's MIDI file beside it.
#pragma once

#include <string>

namespace velt::desk {

// "3. song" for the third file /music/song.wav: the number, a dot, a blank and the base name.
std::string FileListRow(int index, const std::string& path);

// The MIDI file a conversion of `audioPath` writes by default: same folder, same base name,
// ".mid".
std::string MidiFileBeside(const std::string& audioPath);

}  // namespace velt::desk
