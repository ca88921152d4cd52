#include "conversion.h"

#include <algorithm>
#include <fstream>
#include <optional>

#include "command_file.h"
#include "platform/folders/folders.h"
#include "platform/process/process.h"
#include "status_line.h"

namespace velt::bridge {

namespace fs = std::filesystem;

namespace {

// A status line is short; reading more than this of a damaged file gains nothing.
constexpr std::streamsize kStatusReadLimit = 4096;

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
    if (running_) return kAlreadyRunning;
    std::optional<fs::path> temp = platform::privateTempFolder();
    if (!temp) return kEngineNotStarted;
    fs::path statusFile = *temp / kStatusFileName;
    fs::path commandFile = *temp / kCommandFileName;
    removeQuietly(statusFile);
    removeQuietly(commandFile);

    fs::path engine = (platform::systemFolder() / kEngineName).lexically_normal();
    std::optional<pid_t> pid = platform::startDetached(
        engine, {engine.string(), projectFile, statusFile.string(), commandFile.string()});
    if (!pid) return kEngineNotStarted;
    running_ = true;
    statusFile_ = statusFile;
    commandFile_ = commandFile;
    engine_ = *pid;
    return kDone;
}

Result Conversion::status(ConvertStatus& record) {
    collectEndedEngines();
    if (!running_) return kNotRunning;
    // Ask first, read after: an engine that had ended before the read has written all it ever will.
    bool engineEnded = !platform::isAlive(engine_);
    std::optional<std::string> line = readStatusFile(statusFile_);
    bool complete = line && parseStatusLine(*line, record);
    if (complete && isFinalStatus(record.status)) {
        endRun(engineEnded);
        return kDone;
    }
    if (engineEnded) {
        // Crashed, killed or out of memory: report it as the run's outcome instead of waiting
        // for a final line that will never come.
        record.status = kEngineStoppedStatus;
        endRun(true);
        return kDone;
    }
    return complete ? kDone : kNoCompleteStatus;
}

Result Conversion::command(std::string_view text) {
    collectEndedEngines();
    if (!running_) return kNotRunning;
    return writeCommandFile(commandFile_, text) ? kDone : kCommandNotWritten;
}

void Conversion::endRun(bool engineCollected) {
    removeQuietly(statusFile_);
    removeQuietly(commandFile_);
    running_ = false;
    // The engine exits right after its final line; until then its id stays ours to collect.
    if (!engineCollected && platform::isAlive(engine_)) endedEngines_.push_back(engine_);
    engine_ = -1;
}

void Conversion::collectEndedEngines() {
    std::erase_if(endedEngines_, [](pid_t pid) { return !platform::isAlive(pid); });
}

}  // namespace velt::bridge
