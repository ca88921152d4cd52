// The command file: one number the bridge writes for the engine (1 cancel, 2 take the input level
// as threshold, 3 followed by a program: switch part 0's program). Writers that create the file
// and then write it (a shell's `printf 1 > cmd`, an ofstream) leave a moment when it is empty or
// holds part of a number, so the file is taken only once it holds a whole command: read in place
// first, then renamed to a name private to this process, read again and deleted. A command
// written meanwhile is kept for the next poll and never lost.
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace velt::engine {

struct Command {
    int code = 0;
    std::optional<int> argument;  // the program after a 3
};

// How long a program number that runs to the end of the file must stay as it is before it is
// taken whole (a writer may still be adding digits), and how long a file without a command is
// left for its writer before it is removed.
inline constexpr std::chrono::milliseconds kProgramSettleTime{100};
inline constexpr std::chrono::milliseconds kNoCommandWait{1000};

// The command file's path, the private name it is taken under (made once, so a poll that finds
// no file allocates nothing), and what the polls have seen of a file not taken yet. Empty path:
// the run has no command file.
struct CommandFile {
    using Clock = std::chrono::steady_clock;
    CommandFile() = default;
    CommandFile(std::string commandPath);  // NOLINT: a path names its command file
    std::string path;
    std::string takenPath;  // path + ".taken" + the process id
    // A program number without an end seen at an earlier poll, and since when it has stood.
    std::string unsettledText;
    Clock::time_point unsettledSince;
    // Since when the file has been there without a command; unset while it has one or is absent.
    std::optional<Clock::time_point> emptySince;
};

// What a command file's text holds so far.
enum class CommandText {
    Whole,      // a command that cannot change by more writing
    Unsettled,  // code 3 and a program that runs to the end of the text: digits may follow
    NoCommand,  // no command yet: empty, blanks, a sign, code 3 still without its program, or junk
};

// Judges a text. programMatters: code 3's program is used (live runs); otherwise code 3 is
// whole as soon as its code is there, as every other code is.
CommandText JudgeCommandText(const std::string& text, bool programMatters);

// Takes (and deletes) the command file when it holds a whole command: one that cannot change, or
// an unsettled program that has stood unchanged for kProgramSettleTime. A file without a command
// is left for its writer and removed once it has stayed so for kNoCommandWait. nullopt when
// nothing was taken or the removed file held no command.
std::optional<Command> TakeCommand(CommandFile& file, bool programMatters,
                                   CommandFile::Clock::time_point now = CommandFile::Clock::now());

// Reads the command of a text: the first integer, and for code 3 a second one. nullopt without one.
std::optional<Command> ParseCommand(const std::string& text);

}  // namespace velt::engine
