// Where the MIDI file is written: under a working name beside the target, put in place only at
// the end of a run that produced a file (success or cancel). A run that fails, crashes or is
// killed leaves an earlier file of the target's name as it was; the working file a killed run
// leaves behind is replaced by the next run on that target.
#pragma once

#include <string>

#include "file_handle.h"

namespace velt::engine {

// The working name of a target: beside it, so that the final rename stays on one file system.
std::string MidiWorkPath(const std::string& target);

// Creates the working file afresh (a stale one is removed first; a link there is never
// followed). An existing target lends its permissions. Nothing (null) when it can't be created,
// or when the target exists and is not a regular file: a device, fifo or folder is never
// written, replaced or deleted.
FileHandle CreateMidiWorkFile(const std::string& target, const std::string& work);

// Renames the working file over the target; false when that failed (the working file is then
// removed and the target left as it was).
bool PlaceMidiFile(const std::string& work, const std::string& target);

}  // namespace velt::engine
