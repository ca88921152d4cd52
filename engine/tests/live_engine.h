// The engine as a separate process: any run, and the live run of the live tests (input from a WAV
// file through the file device, notes to the MIDI log device).
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

extern char** environ;

namespace velt::engine::test {

// How the file input of a live run keeps pace.
enum class LivePace {
    FileSpeed,  // the engine's reads alone: the file is heard as fast as the engine runs
    WallClock,  // real time, and no further ahead of the engine's reads than one period
};

// The engine started as its own process with extra environment variables; ended by its id if a
// test leaves it running.
class EngineProcess {
  public:
    EngineProcess(const std::filesystem::path& project, const std::filesystem::path& status,
                  const std::filesystem::path& command, std::vector<std::string> env = {}) {
        for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
        std::vector<char*> envp;
        for (std::string& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string engine = (velt::test::binDir() / "kvxvtpd64").string();
        std::vector<std::string> args = {engine, project.string(), status.string(),
                                         command.string()};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        started_ =
            posix_spawn(&pid_, engine.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0;
        posix_spawn_file_actions_destroy(&actions);
    }
    EngineProcess(const EngineProcess&) = delete;
    EngineProcess& operator=(const EngineProcess&) = delete;
    ~EngineProcess() {
        if (running()) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    bool started() const { return started_; }
    bool running() {
        if (!started_ || ended_) return false;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            ended_ = true;
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        return !ended_;
    }
    // Waits up to limit for the process to end; true when it did.
    bool waitForEnd(std::chrono::milliseconds limit) {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (running() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return !running();
    }
    int exitCode() const { return exitCode_; }

  private:
    pid_t pid_ = -1;
    bool started_ = false;
    bool ended_ = false;
    int exitCode_ = -1;
};

// The engine started as a live run with the file input and log output devices.
class LiveEngine : public EngineProcess {
  public:
    LiveEngine(const std::filesystem::path& wav, const std::filesystem::path& log,
               const std::filesystem::path& project, const std::filesystem::path& status,
               const std::filesystem::path& command, LivePace pace = LivePace::FileSpeed)
        : EngineProcess(project, status, command,
                        {"VELTRANE_WAVEIN_FILE=" + wav.string(),
                         pace == LivePace::FileSpeed ? "VELTRANE_WAVEIN_PACED=file"
                                                     : "VELTRANE_WAVEIN_PACED=engine",
                         "VELTRANE_MIDIOUT_LOG=" + log.string()}) {}
};

// The keys of the note-ons in a MIDI device log (one "ms status key velocity" line a message, in
// hex), in order.
inline std::vector<int> noteOnKeys(const std::vector<std::string>& log) {
    std::vector<int> keys;
    for (const std::string& line : log) {
        long ms = 0;
        unsigned status = 0, key = 0, velocity = 0;
        if (std::sscanf(line.c_str(), "%ld %x %x %x", &ms, &status, &key, &velocity) == 4 &&
            (status & 0xF0) == 0x90 && velocity > 0)
            keys.push_back(int(key));
    }
    return keys;
}

}  // namespace velt::engine::test
