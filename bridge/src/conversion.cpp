#include "conversion.h"

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <optional>

#include "command_file.h"
#include "platform/folders/folders.h"
#include "platform/process/process.h"
#include "platform/process/process_list.h"
#include "status_line.h"

namespace velt::bridge {

namespace fs = std::filesystem;

namespace {

// A status line is short; reading more than this of a damaged file gains nothing.
constexpr std::streamsize kStatusReadLimit = 4096;

// How long an engine asked to stop (SIGTERM: it ends as a cancel would) is given before it is
// killed, and again for the kill to take effect.
constexpr std::chrono::milliseconds kStopWait{1500};

std::optional<std::string> readStatusFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(kStatusReadLimit, '\0');
    in.read(text.data(), kStatusReadLimit);
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

void removeQuietly(const fs::path& file) {
    std::error_code ignored;
    fs::remove(file, ignored);
}

}  // namespace

Result Conversion::begin(const std::string& projectFile) {
    collectEndedEngines();
    if (running_) return KVX_ALREADY_RUNNING;
    std::optional<fs::path> temp = platform::privateTempFolder();
    if (!temp) return KVX_ENGINE_NOT_STARTED;
    fs::path statusFile = *temp / kStatusFileName;
    fs::path commandFile = *temp / kCommandFileName;
    // Before the files go: a leftover engine would go on writing them.
    if (!endLeftoverEngines(statusFile, commandFile)) return KVX_ENGINE_NOT_STARTED;
    removeQuietly(statusFile);
    removeQuietly(commandFile);

    fs::path engine = (platform::systemFolder() / kEngineName).lexically_normal();
    // The engine ends with the program that started it: SIGTERM, which it takes as a cancel.
    std::optional<pid_t> pid = platform::startBoundChild(
        engine, {engine.string(), projectFile, statusFile.string(), commandFile.string()}, SIGTERM);
    if (!pid) return KVX_ENGINE_NOT_STARTED;
    running_ = true;
    statusFile_ = statusFile;
    commandFile_ = commandFile;
    engine_ = *pid;
    return KVX_DONE;
}

Result Conversion::status(ConvertStatus& record) {
    collectEndedEngines();
    if (!running_) return KVX_NOT_RUNNING;
    // Ask first, read after: an engine that had ended before the read has written all it ever will.
    int waitStatus = 0;
    bool engineEnded = !platform::isAlive(engine_, waitStatus);
    std::optional<std::string> line = readStatusFile(statusFile_);
    bool complete = line && parseStatusLine(*line, record);
    if (complete && isFinalStatus(record.status)) {
        endRun(engineEnded);
        return KVX_DONE;
    }
    if (engineEnded) {
        // Crashed, killed or out of memory: report it as the run's outcome instead of waiting
        // for a final line that will never come.
        const bool lineLost =
            WIFEXITED(waitStatus) && WEXITSTATUS(waitStatus) == KVX_EXIT_STATUS_LOST;
        record.status = lineLost ? kStatusNotWrittenStatus : kEngineStoppedStatus;
        endRun(true);
        return KVX_DONE;
    }
    return complete ? KVX_DONE : KVX_NO_COMPLETE_STATUS;
}

Result Conversion::command(std::string_view text) {
    collectEndedEngines();
    if (!running_) return KVX_NOT_RUNNING;
    return writeCommandFile(commandFile_, text) ? KVX_DONE : KVX_COMMAND_NOT_WRITTEN;
}

Result Conversion::abandon() {
    collectEndedEngines();
    if (!running_) return KVX_NOT_RUNNING;
    // An engine that will not die (stuck in the kernel) is left to be collected later; the run
    // is over for this library either way.
    bool collected = platform::terminate(engine_, kStopWait);
    endRun(collected);
    return KVX_DONE;
}

void Conversion::endRun(bool engineCollected) {
    removeQuietly(statusFile_);
    removeQuietly(commandFile_);
    running_ = false;
    // The engine exits right after its final line; until then its id stays ours to collect.
    if (!engineCollected && platform::isAlive(engine_)) endedEngines_.push_back(engine_);
    engine_ = -1;
}

// Engines of this user on the same exchange files (their command line names both): left by a
// program that was killed before its engine noticed, or started by another copy of the program.
// Two engines would write one status file and take each other's commands.
// False when one of them would not end.
bool Conversion::endLeftoverEngines(const fs::path& statusFile, const fs::path& commandFile) {
    bool allEnded = true;
    for (pid_t pid : platform::processesWithArguments(statusFile.string(), commandFile.string())) {
        if (platform::terminate(pid, kStopWait)) {
            std::erase(endedEngines_, pid);
        } else {
            allEnded = false;
        }
    }
    return allEnded;
}

void Conversion::collectEndedEngines() {
    std::erase_if(endedEngines_, [](pid_t pid) { return !platform::isAlive(pid); });
}

}  // namespace velt::bridge
