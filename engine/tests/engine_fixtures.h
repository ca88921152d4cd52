// Fixtures shared by the engine tests: WAV files made by sox, project files, and runs of the
// engine's set-up in-process or of the built program.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "driver/run_setup.h"
#include "driver/run_state.h"
#include "status/status_file.h"
#include "test_support.h"

namespace velt::engine::test {

namespace fs = std::filesystem;
using velt::test::runCommand;
using velt::test::shellQuote;

// Makes a WAV with sox from a null input: format options, then the synth effect arguments.
inline fs::path makeWav(const fs::path& file, int rate, int bits, int channels,
                        const std::string& synth, const std::string& extra = "") {
    std::string command = "sox -D -n -r " + std::to_string(rate) + " -b " + std::to_string(bits) +
                          " -c " + std::to_string(channels) + " " + extra + " " +
                          shellQuote(file.string()) + " synth " + synth + " 2>&1";
    auto result = runCommand(command);
    EXPECT_EQ(result.exitCode, 0) << command << "\n" << result.output;
    return file;
}

// A project that converts without tempo detection (tempo, metre and chord resolution given).
inline std::string timedProject(const fs::path& audio, const fs::path& midi,
                                const std::string& extra = "") {
    return "[audio]\nAudioFile=" + audio.string() + "\n[midi]\nMidiFile=" + midi.string() +
           "\n[timing]\nTempo=120\nTimeSignatureNumerator=4\nChordRes=2\n" + extra;
}

inline fs::path writeProject(const fs::path& file, const std::string& text) {
    velt::test::writeFile(file, text);
    return file;
}

// Reads the project in-process with a fresh run state; the outcome is {0, 0} when the set-up
// went through (the run is then left set up for the caller to inspect or continue).
inline RunOutcome setUpProject(const fs::path& project, const fs::path& statusFile) {
    resetRun();
    run().files.status.path = statusFile.string();
    try {
        ReadProject(project.string());
    } catch (const RunOutcome& outcome) {
        return outcome;
    }
    return {};
}

struct EngineRun {
    int exitCode = -1;
    std::string output;  // standard output
    std::string status;  // the status file after the run
};

// Runs the built engine as the bridge does.
inline EngineRun runEngine(const fs::path& project, const fs::path& statusFile,
                           const fs::path& commandFile) {
    fs::path engine = velt::test::binDir() / "kvxvtpd64";
    auto result =
        runCommand(shellQuote(engine.string()) + " " + shellQuote(project.string()) + " " +
                   shellQuote(statusFile.string()) + " " + shellQuote(commandFile.string()));
    return {result.exitCode, result.output, velt::test::readFile(statusFile)};
}

// The first field of a status line.
inline std::string statusValue(const std::string& line) {
    return line.substr(0, line.find(' '));
}

}  // namespace velt::engine::test
