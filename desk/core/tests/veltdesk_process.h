// veltdesk run as its own process, as a user runs it on a machine without a display.
#pragma once

#include <filesystem>
#include <string>

#include "test_support.h"

namespace velt::desk::test_process {

// Runs veltdesk with `args` in folders of the test's own under `dir`: run/ (made private) as
// the runtime folder, cfg/ for the settings, home/ as the home folder. Unless `keepSystemDir`,
// the engine is the one beside the program whatever the caller's environment names. The data
// folder is home/.local/share unless `extraEnv` ("NAME=value ...") says otherwise. A positive
// `seconds` ends the program after that long. Standard output and error come back together.
inline test::CommandResult runVeltdesk(const std::filesystem::path& dir, const std::string& args,
                                       bool keepSystemDir = false, int seconds = 0,
                                       const std::string& extraEnv = "") {
    std::filesystem::create_directories(dir / "home");
    const std::string env =
        std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_DATA_HOME ") +
        (keepSystemDir ? "" : "-u VELTRANE_SYSTEM_DIR ") +
        "XDG_RUNTIME_DIR=" + test::shellQuote(test::makePrivateFolder(dir / "run")) +
        " XDG_CONFIG_HOME=" + test::shellQuote((dir / "cfg").string()) +
        " HOME=" + test::shellQuote((dir / "home").string()) + " " + extraEnv + " " +
        (seconds > 0 ? "timeout -s KILL " + std::to_string(seconds) + " " : "");
    return test::runCommand(env + test::shellQuote((test::binDir() / "veltdesk").string()) + " " +
                            args + " 2>&1");
}

}  // namespace velt::desk::test_process
