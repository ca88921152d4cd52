// Ways users and scripts write the engine's command file in place: each creates (or empties) the
// file first and writes it after, so that the engine can find it empty or half written.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "test_support.h"

namespace velt::engine::test {

enum class CommandWriter {
    Stream,        // an ofstream: created, then written when closed
    ShellPrintf,   // printf 1 > cmd (no line end)
    ShellEcho,     // echo 1 > cmd (a line end)
    HeldUp,        // created, then written after a pause (a writer held up on a busy machine)
    PieceByPiece,  // one character at a time, with short pauses (unbuffered writes field by field)
};

inline constexpr CommandWriter kCommandWriters[] = {
    CommandWriter::Stream, CommandWriter::ShellPrintf, CommandWriter::ShellEcho,
    CommandWriter::HeldUp, CommandWriter::PieceByPiece};

inline const char* commandWriterName(CommandWriter writer) {
    switch (writer) {
        case CommandWriter::Stream:
            return "ofstream";
        case CommandWriter::ShellPrintf:
            return "printf >";
        case CommandWriter::ShellEcho:
            return "echo >";
        case CommandWriter::HeldUp:
            return "held-up writer";
        case CommandWriter::PieceByPiece:
            return "piece by piece";
    }
    return "?";
}

// Writes text into the command file in place, as the writer does; false when it could not.
inline bool writeCommandInPlace(const std::filesystem::path& file, const std::string& text,
                                CommandWriter writer, std::mt19937& random) {
    using velt::test::shellQuote;
    auto pause = [&](int longestMs) {
        std::uniform_int_distribution<int> ms(0, longestMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(ms(random)));
    };
    switch (writer) {
        case CommandWriter::Stream:
            velt::test::writeFile(file, text);
            return true;
        case CommandWriter::ShellPrintf:
            return velt::test::runCommand("printf %s " + shellQuote(text) + " > " +
                                          shellQuote(file.string()))
                       .exitCode == 0;
        case CommandWriter::ShellEcho:
            return velt::test::runCommand("echo " + shellQuote(text) + " > " +
                                          shellQuote(file.string()))
                       .exitCode == 0;
        case CommandWriter::HeldUp:
        case CommandWriter::PieceByPiece: {
            const int descriptor =
                open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (descriptor < 0) return false;
            bool written = true;
            if (writer == CommandWriter::HeldUp) {
                pause(20);
                written = write(descriptor, text.data(), text.size()) == ssize_t(text.size());
            } else {
                for (char c : text) {
                    pause(3);
                    written = written && write(descriptor, &c, 1) == 1;
                }
            }
            return close(descriptor) == 0 && written;
        }
    }
    return false;
}

// A write in place and how long it took from start to end. The engine takes a command that has
// stood unchanged for a while as whole, so a writer held up for longer than that in the middle
// of a number (a machine too busy to run it) is outside what the engine can tell apart.
struct CommandWrite {
    bool written = false;
    bool heldUpTooLong = false;  // the write took longer than the engine waits for more digits
};
inline CommandWrite writeCommand(const std::filesystem::path& file, const std::string& text,
                                 CommandWriter writer, std::mt19937& random,
                                 std::chrono::milliseconds settleTime) {
    const auto start = std::chrono::steady_clock::now();
    const bool written = writeCommandInPlace(file, text, writer, random);
    return {written, std::chrono::steady_clock::now() - start > settleTime};
}

// `printf %s text > file`, as the README tells users to write a command.
inline bool printfCommand(const std::filesystem::path& file, const std::string& text) {
    std::mt19937 unused;
    return writeCommandInPlace(file, text, CommandWriter::ShellPrintf, unused);
}

}  // namespace velt::engine::test
