// One conversion run of the bridge: starting the engine, its commands and its status.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "kvxvtpd.h"

namespace velt::bridge {

// Result codes of the entry points (KVX_DONE and the rest, kvxvtpd.h).
using Result = KvxResult;

inline constexpr const char* kEngineName = "kvxvtpd64";
inline constexpr const char* kStatusFileName = "~kvxstat.txt";
inline constexpr const char* kCommandFileName = "~kvxcmnd.txt";

// Idle until begin() starts the engine; running until status() has read a final status line,
// or has found that the engine ended without one, or until abandon().
class Conversion {
  public:
    Result begin(const std::string& projectFile);
    Result status(ConvertStatus& record);
    Result command(std::string_view text);
    Result abandon();

  private:
    void endRun(bool engineCollected);
    void collectEndedEngines();
    bool endLeftoverEngines(const std::filesystem::path& statusFile,
                            const std::filesystem::path& commandFile);

    bool running_ = false;
    std::filesystem::path statusFile_;
    std::filesystem::path commandFile_;
    pid_t engine_ = -1;
    // Engines of runs that have ended, kept until their exit is collected (no zombies).
    std::vector<pid_t> endedEngines_;
};

}  // namespace velt::bridge
