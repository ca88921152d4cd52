// Where the MIDI file is written: a working file of the run's own beside the target, put in
// place only at the end of a run that produced a file (success or a cancel the user asked for).
// A run that fails, crashes or is stopped leaves an earlier file of the target's name as it was.
//
// Runs may share a target (two desktop programs, or the engine started by hand beside one): each
// creates its working file under a name no other run uses, holds an advisory lock on it for its
// whole life and does every later step through its own descriptor. The working files that no
// running engine holds any more (those of killed runs) are removed by the next run on the target.
#pragma once

#include <cstdio>
#include <string>

#include "file_handle.h"

namespace velt::engine {

// The names of the working files of a target begin with this: beside the target, so that the
// final rename stays on one file system.
std::string MidiWorkPrefix(const std::string& target);

// Whether a run may replace the file at target: none is there, or a regular file that the user
// may write and that is empty or a MIDI file (it begins with "MThd"). Anything else (a
// read-only file, a text, a program's settings, a device, fifo or folder) is never written,
// replaced or deleted.
bool MayReplaceMidiTarget(const std::string& target);

// Creates the run's working file (exclusively, under a fresh name; it is held locked while the
// returned stream is open, which reads and writes) and removes the working files of the target
// that no running engine holds. An existing target lends its permissions. Nothing (null) when
// the target may not be replaced or no file can be created; workPath gets the file's name.
FileHandle CreateMidiWorkFile(const std::string& target, std::string& workPath);

enum class MidiPlacement {
    Placed,
    Refused,  // the target became a file that may not be replaced: it is left as it was
    Failed,   // the rename failed (or the working file is no longer the run's own)
};

// Renames the run's working file (open as work, whose name is workPath) over the target, while
// the lock is still held. Unless it was placed, the working file is removed.
MidiPlacement PlaceMidiFile(std::FILE* work, const std::string& workPath,
                            const std::string& target);

// Removes the run's working file, when workPath still names the file open as work.
void RemoveMidiWorkFile(std::FILE* work, const std::string& workPath);

}  // namespace velt::engine
