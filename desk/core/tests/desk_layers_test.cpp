// The desktop program's folders are layered: desk/ui (the forms runtime) includes nothing of the
// program, desk/core includes only the runtime and itself, and the window folders (settings,
// media, instruments, wizard) sit on top, each including only the layers below and itself. The
// core and the window folders reach a window of another folder only through the shared module's
// window hooks, which desk/windows.cpp fills at start; that file and desk/main.cpp, at the
// program's top, may include every folder. Every include counts, however it names its file: from
// the repository root, relative to the including file, or in angle brackets.
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

// 0 = the forms runtime, 1 = the core, 2 = a window folder, 3 = the program's top (main.cpp,
// windows.cpp). A file includes only its own folder or a lower layer.
int layerOf(const std::string& folder) {
    if (folder == "ui") return 0;
    if (folder == "core") return 1;
    if (folder.empty()) return 3;
    return 2;
}

// The desk folder a file below `desk` belongs to ("" for the files at the top).
std::string folderOf(const fs::path& desk, const fs::path& file) {
    const fs::path relative = file.lexically_normal().lexically_relative(desk.lexically_normal());
    if (relative.empty() || *relative.begin() == "..") return "<outside>";
    return relative.has_parent_path() ? relative.begin()->string() : std::string();
}

// Where an include line leads, as the compiler finds it: a quoted name is looked for beside the
// including file first, then from the repository root (the one include root of the desk and the
// platform); a name in angle brackets only from the root. Relative names ("../media/frm_cd.h")
// are resolved, so they are checked like the names written from the root. Empty: no include.
fs::path includedFile(const fs::path& root, const fs::path& file, const std::string& line) {
    static const std::regex include(R"re(^\s*#\s*include\s*(["<])([^">]+)[">])re");
    std::smatch match;
    if (!std::regex_search(line, match, include)) return {};
    const fs::path name = match[2].str();
    const fs::path beside = (file.parent_path() / name).lexically_normal();
    const bool relative = !name.empty() && (*name.begin() == "." || *name.begin() == "..");
    if (match[1] == "\"" && (relative || fs::exists(beside))) return beside;
    return (root / name).lexically_normal();
}

// What is wrong with one include line of a desk source file `file`: empty when the line is no
// include, leads out of desk/ or keeps the layering; otherwise the reason.
std::string layeringFault(const fs::path& root, const fs::path& file, const std::string& line) {
    const fs::path desk = root / "desk";
    const fs::path target = includedFile(root, file, line);
    if (target.empty()) return {};
    const std::string to = folderOf(desk, target);
    if (to == "<outside>") return {};
    const std::string from = folderOf(desk, file);
    if (to == from) return {};
    if (layerOf(to) > layerOf(from))
        return "desk/" + from + " may not include " + target.lexically_relative(root).string();
    if (layerOf(to) == 2 && layerOf(from) == 2)
        return "a tie between window folders: desk/" + from + " may reach desk/" + to +
               " only through the window hooks";
    return {};
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

// The checker itself: includes written from the root, relative to the including file, or found
// beside it lead to the same folder, and each is judged by the layer it reaches.
TEST(DeskLayers, EveryIncludeIsJudgedByTheFolderItReaches) {
    const fs::path root = velt::test::sourceDir();
    const fs::path settings = root / "desk/settings/wave_info.cpp";
    const fs::path core = root / "desk/core/shared/tools.cpp";
    const struct {
        const char* name;
        fs::path file;
        const char* line;
        bool fault;
    } cases[] = {
        {"from the root into another window folder", settings, R"(#include "desk/media/frm_cd.h")",
         true},
        {"relative into another window folder", settings, R"(#include "../media/frm_cd.h")", true},
        {"relative through this folder into another", settings,
         R"(#  include "./../wizard/frm_wizard.h")", true},
        {"relative from the root's side", settings, R"(#include "../../desk/media/frm_cd.h")",
         true},
        {"angle brackets", settings, R"(#include <desk/instruments/frm_ens.h>)", true},
        {"relative from the core up into a window folder", core,
         R"(#include "../../settings/frm_properties.h")", true},
        {"the core up to the program's top", core, R"(#include "desk/windows.h")", true},
        {"relative up to the program's top", core, R"(#include "../../windows.h")", true},
        {"beside the file, own folder", settings, R"(#include "frm_properties.h")", false},
        {"relative, own folder", settings, R"(#include "./numbers.h")", false},
        {"relative down into the core", settings, R"(#include "../core/global.h")", false},
        {"from the root down into the runtime", core, R"(#include "desk/ui/ui.h")", false},
        {"out of the desk", settings, R"(#include "platform/outside/wave_check.h")", false},
        {"the bridge's header", core, R"(#include "kvxvtpd.h")", false},
        {"no include", settings, R"(// #include "desk/media/frm_cd.h" is not written)", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(!layeringFault(root, c.file, c.line).empty(), c.fault)
            << c.name << ": " << c.line;
}

TEST(DeskLayers, NoIncludeAgainstTheLayering) {
    const fs::path root = velt::test::sourceDir();
    const fs::path desk = root / "desk";

    int layeredFiles = 0;
    for (const fs::path& file : programSources(desk)) {
        const fs::path relative = fs::relative(file, desk);
        if (relative.parent_path().empty()) continue;  // main.cpp, windows.cpp: the top
        ++layeredFiles;
        int lineNumber = 0;
        for (const std::string& line : velt::test::splitLines(velt::test::readFile(file))) {
            ++lineNumber;
            const std::string fault = layeringFault(root, file, line);
            if (!fault.empty())
                ADD_FAILURE() << fs::relative(file, root).string() << ":" << lineNumber << ": "
                              << line << " (" << fault << ")";
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
