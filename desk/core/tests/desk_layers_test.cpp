// The desktop program's folders are layered: desk/ui (the forms runtime) includes nothing of the
// program, desk/core includes only the runtime and itself, and the window folders (settings,
// media, instruments, wizard) sit on top, each including only the layers below and itself. The
// core and the window folders reach a window of another folder only through the shared module's
// window hooks, which desk/windows.cpp fills at start; that file and desk/main.cpp, at the
// program's top, may include every folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "desk/core/global.h"
#include "desk/core/window_links/cd_window.h"
#include "desk/core/window_links/recorder_window.h"
#include "desk/core/window_links/settings_dialog.h"
#include "test_support.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;

// 0 = the forms runtime, 1 = the core, 2 = a window folder. A file includes only its own folder
// or a lower layer.
int layerOf(const std::string& folder) {
    if (folder == "ui") return 0;
    if (folder == "core") return 1;
    return 2;
}

// The program's own sources below desk/: not the test programs, not the runtime's test library.
std::vector<fs::path> programSources(const fs::path& desk) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(desk)) {
        const auto extension = entry.path().extension();
        if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h")) continue;
        const fs::path relative = fs::relative(entry.path(), desk);
        bool testCode = false;
        for (const fs::path& part : relative)
            if (part == "tests" || part == "testing") testCode = true;
        if (!testCode) files.push_back(entry.path());
    }
    return files;
}

TEST(DeskLayers, NoIncludeAgainstTheLayering) {
    const fs::path root = velt::test::sourceDir();
    const fs::path desk = root / "desk";
    const std::regex deskInclude(R"(^\s*#\s*include\s*"desk/([^/"]+)/)");

    int layeredFiles = 0;
    for (const fs::path& file : programSources(desk)) {
        const fs::path relative = fs::relative(file, desk);
        if (relative.parent_path().empty()) continue;  // main.cpp, windows.cpp: the top
        ++layeredFiles;
        const std::string folder = relative.begin()->string();
        int lineNumber = 0;
        for (const std::string& line : velt::test::splitLines(velt::test::readFile(file))) {
            ++lineNumber;
            std::smatch match;
            if (!std::regex_search(line, match, deskInclude)) continue;
            const std::string target = match[1].str();
            if (target == folder) continue;
            const std::string where =
                fs::relative(file, root).string() + ":" + std::to_string(lineNumber) + ": " + line;
            EXPECT_LE(layerOf(target), layerOf(folder))
                << where << " (desk/" << folder << " may not include desk/" << target << ")";
            if (layerOf(target) == 2 && layerOf(folder) == 2) {
                ADD_FAILURE() << where << " (a tie between window folders: desk/" << folder
                              << " may reach desk/" << target << " only through the window hooks)";
            }
        }
    }
    EXPECT_GT(layeredFiles, 200) << "the walk found the desk folders";
}

// Every test program registers the window folders as the program does (registered_windows.cpp):
// an entry left empty would be called by a window of another folder and fail there.
TEST(DeskLayers, EveryWindowFolderFillsWhatItOffers) {
    const WindowHooks& w = Windows();
    const struct {
        const char* name;
        bool filled;
    } entries[] = {
        {"showWizard", bool(w.showWizard)},
        {"showProperties", bool(w.showProperties)},
        {"showPlayer", bool(w.showPlayer)},
        {"showCdWindow", bool(w.showCdWindow)},
        {"showRecorder", bool(w.showRecorder)},
        {"showEnsembleEditor", bool(w.showEnsembleEditor)},
        {"decodeMp3", bool(w.decodeMp3)},
        {"decodeWma", bool(w.decodeWma)},
        {"decodeAac", bool(w.decodeAac)},
        {"decodeAiff", bool(w.decodeAiff)},
        {"settingsDialog",
         w.settingsDialog.get && w.settingsDialog.existing && w.settingsDialog.release},
        {"recorder", w.recorder.get && w.recorder.existing && w.recorder.release},
        {"cdWindow", w.cdWindow.get && w.cdWindow.existing && w.cdWindow.release},
        {"loadCdWindowForWizard", bool(w.loadCdWindowForWizard)},
        {"recorderEditor", bool(w.recorderEditor)},
        {"ensembleFirstChannel", bool(w.ensembleFirstChannel)},
        {"wizardFiles", w.wizardFiles != nullptr},
        {"wizardRecordPage", w.wizardRecordPage != nullptr},
        {"wizardCdPage", w.wizardCdPage != nullptr},
    };
    for (const auto& entry : entries) EXPECT_TRUE(entry.filled) << entry.name;
}

}  // namespace
}  // namespace velt::desk
