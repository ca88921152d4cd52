// What the command-line conversion refuses before it starts the engine.
#pragma once

#include <optional>
#include <string>

namespace velt::desk {

// The log line's outcome text when the project at `path` can't be converted without a window,
// or nothing when it can (a file that can't be read is left to the copy that reports it):
// - a file that is not a project at all (not text: binary bytes) gets the program's refusal of
//   such a file;
// - a project without an audio file would make the engine a live run, listening to the sound
//   card and playing until someone cancels it; no window means no one ever would;
// - an audio file that exists but is not a regular file (or a link to one): a FIFO or device
//   would block the engine's read with no one to cancel it.
// The audio file is found as the engine finds it: the last line that holds "AudioFile=" and a
// value after it.
std::optional<std::string> BatchProjectRefusal(const std::string& path);

// The value of `key` ("AudioFile=", "MidiFile=") in the project text as the engine reads it: the
// last line that holds the key with at least one character after it; empty when none does.
std::string EngineKeyValue(const std::string& text, const std::string& key);

}  // namespace velt::desk
