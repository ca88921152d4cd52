// A private world for one bridge test: its own runtime and temp folders (the exchange files have
// fixed names) and a "system folder" where a test puts a fake engine, or the real one.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "kvxvtpd.h"
#include "platform/process/process_list.h"
#include "scoped_env.h"
#include "test_support.h"

namespace velt::test {

inline bool waitFor(const std::function<bool()>& condition, int seconds = 10) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The state letter of a process in /proc ('R', 'S', 'T', 'Z', ...), or 0 when it is gone.
inline char processState(pid_t pid) {
    const std::string text = platform::readProcFile("/proc/" + std::to_string(pid) + "/stat");
    size_t end = text.rfind(')');
    return end == std::string::npos || end + 2 >= text.size() ? 0 : text[end + 2];
}

class BridgeTest : public ::testing::Test {
  protected:
    BridgeTest() {
        makePrivateFolder(runtime_);
        std::filesystem::create_directories(temp_);
        std::filesystem::create_directories(system_);
    }
    // A fake engine still waiting ends at once instead of outliving the test by seconds, and the
    // library is left idle for the next test of this process.
    ~BridgeTest() override {
        for (int point : {1, 2}) letEngineGoOn(point);
        AbandonConvert();
    }

    // Installs a shell script as the engine. It gets $1 project, $2 status file, $3 command file.
    void installFakeEngine(const std::string& body) {
        std::filesystem::path engine = system_ / "kvxvtpd64";
        writeFile(engine, "#!/bin/sh\n" + body + "\n");
        chmod(engine.c_str(), 0755);
    }

    std::filesystem::path exchangeFolder() const { return runtime_ / "veltrane"; }
    std::filesystem::path statusFile() const { return exchangeFolder() / "~kvxstat.txt"; }
    std::filesystem::path commandFile() const { return exchangeFolder() / "~kvxcmnd.txt"; }
    // Files whose appearance lets a waiting fake engine go on, one per waiting point.
    std::filesystem::path goFile(int point) const {
        return system_ / ("go" + std::to_string(point));
    }
    void letEngineGoOn(int point = 1) const { writeFile(goFile(point), ""); }

    // Shell text that waits until the test lets the engine go on past `point` (at most 20 s,
    // and no longer than the test's folders exist).
    std::string waitForGo(int point = 1) const {
        return "i=0; while [ -d " + shellQuote(system_.string()) + " ] && [ ! -e " +
               shellQuote(goFile(point).string()) +
               " ] && [ $i -lt 2000 ]; do sleep 0.01; i=$((i+1)); done";
    }

    // Polls GetStatus until it reads the end of the run; every record read on the way is kept.
    std::vector<ConvertStatus> pollUntilEnd(int seconds = 20) {
        std::vector<ConvertStatus> seen;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (std::chrono::steady_clock::now() < deadline) {
            ConvertStatus record{};
            int result = GetStatus(&record);
            if (result == 1) return seen;
            EXPECT_TRUE(result == 0 || result == 4) << result;
            if (result == 0) seen.push_back(record);
            if (result == 0 && (record.status < 0 || record.status >= 100000)) return seen;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ADD_FAILURE() << "the run did not end";
        return seen;
    }

    TempDir root_;
    std::filesystem::path runtime_ = root_ / "run";
    std::filesystem::path temp_ = root_ / "tmp";
    std::filesystem::path system_ = root_ / "system";
    ScopedEnv runtimeEnv_{"XDG_RUNTIME_DIR", runtime_.string()};
    ScopedEnv tempEnv_{"TMPDIR", temp_.string()};
    ScopedEnv systemEnv_{"VELTRANE_SYSTEM_DIR", system_.string()};
};

}  // namespace velt::test
