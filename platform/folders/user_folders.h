// The folders of the desktop program, as text ending in "/": its install folder, the user's
// music, documents and data folders (XDG user directories), and the folders outside programs are
// looked for in (standing in for the classic program files folder).
#pragma once

#include <string>
#include <vector>

namespace velt::platform {

// The folder of the running program.
std::string installFolder();

// From XDG_MUSIC_DIR / XDG_DOCUMENTS_DIR in the environment, else from user-dirs.dirs in the
// user's config folder, else $HOME/Music and $HOME/Documents. "" when HOME is unset.
std::string musicFolder();
std::string documentsFolder();

// The user's data folder: XDG_DATA_HOME when it is an absolute path, else $HOME/.local/share.
// "" when neither is there.
std::string dataFolder();

// Where outside programs are installed, most specific first: $HOME/.local/bin/ (when HOME is
// set), /usr/local/bin/, /usr/bin/, /opt/.
std::vector<std::string> programFilesCandidates();

// A folder as text with exactly one "/" at its end ("" stays "").
std::string folderText(const std::string& folder);

}  // namespace velt::platform
