// The program's folders inside a test's temporary folder, so a test never reads or writes the
// user's own: install, documents, music and temp, each made, and the working project and tap
// file in temp.
#pragma once

#include <filesystem>
#include <string>

#include "desk/core/global.h"

namespace velt::desk {

// `name` below `dir`, made, as text ending in "/" (the form the shared module keeps folders in).
inline std::string makeTestFolder(const std::filesystem::path& dir, const std::string& name) {
    std::filesystem::create_directories(dir / name);
    return (dir / name).string() + "/";
}

inline void useTestFolders(const std::filesystem::path& dir) {
    Global& g = G();
    g.InstallFolder = makeTestFolder(dir, "install");
    g.UserFolder = makeTestFolder(dir, "docs/Veltrane");
    g.MusicFolder = makeTestFolder(dir, "music");
    g.TempFolder = makeTestFolder(dir, "tmp");
    g.TempFolder.pop_back();
    g.TempProject = g.TempFolder + "/~temp.vpr";
    g.TempTapFile = g.TempFolder + "/~temp.tt";
}

}  // namespace velt::desk
