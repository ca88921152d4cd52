// The shell: open a document or a web address with the user's preferred program, and start an
// outside program from its argument list, detached (the caller never waits for it). No shell and
// no re-split string stands between: each element reaches the program as one argument, whatever
// blanks, quotes or shell characters a file name holds.
// SystemShell uses xdg-open and fork/exec; RecordingShell is the test double.
#pragma once

#include <string>
#include <vector>

namespace velt::platform {

// How an outside program's window should appear. The Linux shell can't steer another program's
// window, so it only keeps the request (the double records it).
enum class WindowStyle { Normal, Hidden, Minimized, Maximized };

class Shell {
  public:
    virtual ~Shell() = default;
    // A file path (must exist) or an address with a scheme ("https://..."). False when nothing
    // could be started.
    virtual bool openDocument(const std::string& target) = 0;
    // The first argument names the program, found on PATH when it holds no "/". False when the
    // program doesn't exist or can't be started.
    virtual bool startProgram(const std::vector<std::string>& arguments,
                              WindowStyle style = WindowStyle::Normal,
                              const std::string& workingFolder = "") = 0;
};

class SystemShell : public Shell {
  public:
    bool openDocument(const std::string& target) override;
    bool startProgram(const std::vector<std::string>& arguments,
                      WindowStyle style = WindowStyle::Normal,
                      const std::string& workingFolder = "") override;
};

// Records every request and answers with `result`.
class RecordingShell : public Shell {
  public:
    struct Call {
        enum class Kind { OpenDocument, StartProgram } kind;
        std::string text;                    // the target of OpenDocument
        std::vector<std::string> arguments;  // the program and its arguments of StartProgram
        WindowStyle style = WindowStyle::Normal;
        std::string workingFolder;
    };

    bool openDocument(const std::string& target) override;
    bool startProgram(const std::vector<std::string>& arguments,
                      WindowStyle style = WindowStyle::Normal,
                      const std::string& workingFolder = "") override;

    std::vector<Call> calls;
    bool result = true;
};

// The program `name` names: itself when it holds a "/", else the first executable file of that
// name in the folders of PATH (an empty entry is the current folder). "" when there is none.
std::string FindProgram(const std::string& name);

// Starts argv[0] (searched on PATH when it holds no "/") with the arguments, in its own session,
// not as a child of this process (no zombie is left behind). False when it can't be executed.
bool launchDetached(const std::vector<std::string>& argv, const std::string& workingFolder = "");

}  // namespace velt::platform
