#include "driver/command_file.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <utility>

#include "kvxvtpd.h"

namespace velt::engine {

namespace {

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

}  // namespace

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

std::optional<Command> TakeCommand(const CommandFile& file) {
    if (file.path.empty()) return std::nullopt;
    const std::string& taken = file.takenPath;
    if (std::rename(file.path.c_str(), taken.c_str()) != 0) return std::nullopt;
    std::ostringstream content;
    {
        std::ifstream in(taken, std::ios::binary);
        content << in.rdbuf();
    }
    // A file without a number is consumed all the same: putting it back would have every later
    // poll find it again for the rest of the run. Writers rename a finished file into place.
    std::remove(taken.c_str());
    return ParseCommand(content.str());
}

}  // namespace velt::engine
