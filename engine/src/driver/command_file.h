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

// Takes (and deletes) the command file when there is one. nullopt when no file was there or it
// held no integer.
std::optional<Command> TakeCommand(const std::string& commandPath);

// Reads the command of a text: the first integer, and for code 3 a second one. nullopt without one.
std::optional<Command> ParseCommand(const std::string& text);

}  // namespace velt::engine
