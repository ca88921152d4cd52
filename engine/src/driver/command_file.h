// The command file: one number the bridge writes for the engine (1 cancel, 2 take the input level
// as threshold, 3 followed by a program: switch part 0's program). It is taken atomically: renamed
// to a name private to this process, read, deleted, so a command written meanwhile is kept for
// the next poll and never lost.
#pragma once

#include <optional>
#include <string>

namespace velt::engine {

struct Command {
    int code = 0;
    std::optional<int> argument;  // the program after a 3
};

// The command file's path and the private name it is taken under, made once so that a poll that
// finds no command allocates nothing. Empty: the run has no command file.
struct CommandFile {
    CommandFile() = default;
    CommandFile(std::string commandPath);  // NOLINT: a path names its command file
    std::string path;
    std::string takenPath;  // path + ".taken" + the process id
};

// Takes (and deletes) the command file when there is one. nullopt when no file was there or it
// held no integer.
std::optional<Command> TakeCommand(const CommandFile& file);

// Reads the command of a text: the first integer, and for code 3 a second one. nullopt without one.
std::optional<Command> ParseCommand(const std::string& text);

}  // namespace velt::engine
