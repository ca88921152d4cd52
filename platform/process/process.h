// Starting programs detached from the caller, and telling whether they still run.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velt::platform {

// Starts `program` in a session of its own, without a terminal, with standard input and output
// on /dev/null (standard error stays the caller's) and no other open files of the caller.
// `arguments` become argv as they are, argv[0] first; no quoting is needed or wanted.
// Returns the process id, or nullopt when the program could not be started (missing, not
// executable); `problem` then tells why.
std::optional<pid_t> startDetached(const std::filesystem::path& program,
                                   const std::vector<std::string>& arguments,
                                   std::string* problem = nullptr);

// As startDetached, and the child ends with its caller: it gets `signal` (SIGKILL, or SIGTERM
// for a program that ends cleanly on it) as soon as the thread that started it ends, which is
// when the program ends, is killed or crashes; a caller that went before the child was set up
// ends the child before it runs anything. Start such children from a thread that lives as long
// as they should (the program's main thread). For the programs' own helpers (decoders, the
// engine), never for programs the user works in.
// With `output` given, the child's standard output goes into a pipe instead of /dev/null and
// *output is its reading end (non-blocking, closed at exec; the caller closes it), so a helper's
// last words reach the caller even when no file can be written.
std::optional<pid_t> startBoundChild(const std::filesystem::path& program,
                                     const std::vector<std::string>& arguments, int signal,
                                     std::string* problem = nullptr, int* output = nullptr);

// True while the process runs. For a child of the caller that has ended, this collects its exit
// (so no zombie stays behind and a zombie never counts as alive); ask no more once it said false,
// since the id may then be given to another process.
bool isAlive(pid_t pid);
// As isAlive; when it collects the exit of a child of the caller, `waitStatus` gets the child's
// wait status (see waitpid), else it is left as it was.
bool isAlive(pid_t pid, int& waitStatus);

// Ends a process: SIGTERM (and SIGCONT, so that a stopped process can act on it), then SIGKILL
// when it still runs after `grace`; then waits up to `grace` again for it to go, collecting its
// exit when it is a child of the caller. True when it has gone (a zombie of another parent runs
// no more and counts as gone). Ask nothing more about the id after a true. Does nothing for an
// id of 0 or below (never the caller's process group).
bool terminate(pid_t pid, std::chrono::milliseconds grace = std::chrono::milliseconds(2000));

}  // namespace velt::platform
