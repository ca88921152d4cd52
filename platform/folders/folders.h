// Folders the programs need of the system: the per-user private temp folder, where the
// exchange files with fixed names live, and the folder of the installed binaries, which
// stands in for the Windows system folder (the engine is looked for there).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace velt::platform {

// The user's private temp folder, created when missing:
// - $XDG_RUNTIME_DIR/veltrane when XDG_RUNTIME_DIR names an existing real folder owned by the user;
// - else veltrane-<uid> in the system temp folder ($TMPDIR when it is an absolute path, else /tmp).
// The folder gets mode 0700. It is refused (nullopt, with the reason in `problem`) when it is not
// a real folder (a symbolic link, a file) or another user owns it: fixed file names in a folder
// others can write invite collisions and symlink attacks.
std::optional<std::filesystem::path> privateTempFolder(std::string* problem = nullptr);

// The folder of the installed binaries: VELTRANE_SYSTEM_DIR when set and not empty; else, for
// code inside a shared library, the folder "bin" beside the library's folder (build/lib ->
// build/bin), and for code inside a program, the program's own folder.
std::filesystem::path systemFolder();

}  // namespace velt::platform
