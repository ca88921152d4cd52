// The start of veltdesk, before any window: the title, the folders, the refusal of a second
// running copy, the command line, and the choice between a command-line conversion (no main
// window) and the main window.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velt::platform {
class InstanceLock;
}

namespace velt::desk {

// The command line as one string, rebuilt from the program's arguments: elements joined by
// blanks; an element holding a blank is quoted, for a "/xxx=" switch only its value.
std::string BuildCommandLine(const std::vector<std::string>& args);

// What the command line asks for. Switch names match in any case ("/PRF="); their values keep
// the case of the original text, since Linux file names are case-sensitive.
struct CommandLineRequest {
    bool batchMode = false;
    std::string project;                       // CmdLineProject ("" = none)
    std::optional<std::string> installFolder;  // "/dir=", with "/" appended
    std::optional<std::string> logFile;        // "/log=" (nothing: none given)
};
CommandLineRequest ReadCommandLine(const std::string& commandLine);

// The whole start: fills the shared module, then either converts the project of "/prf=" and
// returns the exit status, or opens the main window and returns -1 (the caller runs the event
// loop while the main window is loaded). Ends with 1 (and a message) when another copy is
// running, or when the main window is asked for with `noDisplay` (nothing to show it on); `lock`
// holds this copy's single-instance lock for the life of the program.
int StartProgram(const std::string& commandLine, std::unique_ptr<platform::InstanceLock>& lock,
                 bool noDisplay = false);

// Main-window shutdown: every other window closes and the event loop is told to end.
void EndProgram();
// What ends the event loop (the program sets it; tests leave it empty).
std::function<void()>& ProgramEndHook();

// The name of the single-instance lock in the private temp folder.
inline const char* kInstanceLockName = "veltdesk";

}  // namespace velt::desk
