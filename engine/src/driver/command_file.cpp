#include "driver/command_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <utility>

#include "kvxvtpd.h"

namespace velt::engine {

namespace {

// A command is a few characters; a longer file is judged by its start.
constexpr size_t kLongestText = 256;

// One "%d" conversion: spaces, an optional sign, at least one digit.
std::optional<int> scanInt(const std::string& text, size_t& at) {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    size_t start = at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    size_t digits = at;
    long long value = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
        if (value < 1000000000LL) value = value * 10 + (text[at] - '0');
        ++at;
    }
    if (at == digits) {
        at = start;
        return std::nullopt;
    }
    if (text[start] == '-') value = -value;
    return int(value);
}

// The file's text, nullopt when there is no file. A file that cannot be read counts as one
// without a command, so that it is removed in time as an empty one is; a fifo put there reads
// as empty instead of holding the run until someone writes to it.
std::optional<std::string> readText(const std::string& path) {
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
        return std::string();
    }
    std::string text(kLongestText, '\0');
    size_t filled = 0;
    while (filled < text.size()) {
        const ssize_t got = read(descriptor, text.data() + filled, text.size() - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        filled += size_t(got);
    }
    close(descriptor);
    text.resize(filled);
    return text;
}

// Whether the text seen now is to be taken, keeping what the polls have seen of it.
bool readyToTake(CommandFile& file, const std::string& text, bool programMatters,
                 CommandFile::Clock::time_point now) {
    switch (JudgeCommandText(text, programMatters)) {
        case CommandText::Whole:
            return true;
        case CommandText::Unsettled:
            file.emptySince.reset();
            if (text != file.unsettledText) {
                file.unsettledText = text;
                file.unsettledSince = now;
                return false;
            }
            return now - file.unsettledSince >= kProgramSettleTime;
        case CommandText::NoCommand:
            file.unsettledText.clear();
            if (!file.emptySince) {
                file.emptySince = now;
                return false;
            }
            return now - *file.emptySince >= kNoCommandWait;
    }
    return false;
}

// Puts a taken file back under the command file's name, unless a newer command file has come
// there meanwhile (that one replaces it, as every command replaces the one before). The file
// keeps its identity, so a writer that still holds it open writes into the command file.
void putBack(const CommandFile& file) {
    if (link(file.takenPath.c_str(), file.path.c_str()) == 0 || errno == EEXIST) {
        unlink(file.takenPath.c_str());
        return;
    }
    // A file system without hard links.
    std::rename(file.takenPath.c_str(), file.path.c_str());
}

}  // namespace

CommandText JudgeCommandText(const std::string& text, bool programMatters) {
    size_t at = 0;
    const auto code = scanInt(text, at);
    if (!code) return CommandText::NoCommand;
    // Codes are single digits: more digits after one make a code that is ignored all the same.
    if (*code != KVX_COMMAND_PATCH || !programMatters) return CommandText::Whole;
    if (scanInt(text, at)) return at == text.size() ? CommandText::Unsettled : CommandText::Whole;
    // No program: blanks or a lone sign may still be followed by one; anything else never will.
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    if (at == text.size()) return CommandText::NoCommand;
    if (at + 1 == text.size() && (text[at] == '+' || text[at] == '-'))
        return CommandText::NoCommand;
    return CommandText::Whole;
}

std::optional<Command> ParseCommand(const std::string& text) {
    size_t at = 0;
    auto code = scanInt(text, at);
    if (!code) return std::nullopt;
    Command command{*code, std::nullopt};
    if (*code == KVX_COMMAND_PATCH) command.argument = scanInt(text, at);
    return command;
}

CommandFile::CommandFile(std::string commandPath) : path(std::move(commandPath)) {
    if (!path.empty()) takenPath = path + ".taken" + std::to_string(getpid());
}

std::optional<Command> TakeCommand(CommandFile& file, bool programMatters,
                                   CommandFile::Clock::time_point now) {
    if (file.path.empty()) return std::nullopt;
    const std::optional<std::string> seen = readText(file.path);
    if (!seen) {
        file.emptySince.reset();
        file.unsettledText.clear();
        return std::nullopt;
    }
    if (!readyToTake(file, *seen, programMatters, now)) return std::nullopt;
    // Taken under the private name, so that a writer coming now starts a new command file; what
    // was taken is the text judged, or it goes back for the next poll.
    if (std::rename(file.path.c_str(), file.takenPath.c_str()) != 0) return std::nullopt;
    if (readText(file.takenPath).value_or(std::string()) != *seen) {
        putBack(file);
        return std::nullopt;
    }
    unlink(file.takenPath.c_str());
    file.emptySince.reset();
    file.unsettledText.clear();
    // A file removed for want of a command may still start with one ("3" without its program).
    if (JudgeCommandText(*seen, programMatters) == CommandText::NoCommand) return std::nullopt;
    return ParseCommand(*seen);
}

}  // namespace velt::engine
