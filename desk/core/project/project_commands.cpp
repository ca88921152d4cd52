#include <filesystem>

#include "desk/core/global.h"
#include "desk/core/project/project_file.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/text_pieces.h"

namespace velt::desk {

namespace {
template <class F, class... A>
void call(const F& hook, A&&... args) {
    if (hook) hook(std::forward<A>(args)...);
}
}  // namespace

bool SaveProfile(bool saveToTemp) {
    Global& g = G();
    const std::string projectFile = g.ProjectFile;
    if (saveToTemp) g.ProjectFile = g.TempProject;
    std::string problem;
    bool saved = WriteProjectFiles(saveToTemp, problem);
    if (saveToTemp) g.ProjectFile = projectFile;
    if (!saved) {
        ShowMessage("Error saving project: " + problem, ui::Exclamation, "Save Project");
        return false;
    }
    if (!saveToTemp) {
        g.ProjectChanged = false;
        call(MainWindow().enableSave, false);
    }
    return true;
}

bool OpenProfile(const std::string& path) {
    Global& g = G();
    int format = 3;
    if (path.empty()) {
        g.ProjectFile.clear();
        call(MainWindow().setCaption, ProgramTitle);
    } else {
        if (auto refusal = ProjectRefusal(path, format)) {
            ShowMessage(refusal->text, ui::Critical, "Open Project", refusal->helpTopic);
            return false;
        }
        g.ProjectFile = path;
        call(MainWindow().setCaption, ProgramTitle + " - " + BaseNameOf(path));
        g.ProjectFolder = FolderOf(path);
        call(MainWindow().updateMenu);
    }
    LoadProject(path, format);
    if (g.AudioFileCount != 0) CheckEditFiles(1);
    if (!path.empty() && g.AudioFileCount == 0) g.AudioFileValid = true;
    CheckRecognize();
    g.ProjectChanged = false;
    call(MainWindow().enableSave, false);
    g.WaveReady = false;
    return true;
}

void CheckEditFiles(int index) {
    Global& g = G();
    std::error_code ec;
    const std::string& entry = g.AudioFiles(index);
    if (g.AudioFileCount == 0 || entry.empty() || !std::filesystem::is_regular_file(entry, ec))
        g.TempoTaps.clear();
    call(MainWindow().enablePlayer, g.AudioFileCount != 0 && !entry.empty());
}

void CheckRecognize() {
    call(MainWindow().enableRecognize, G().AudioFileValid);
}

void CheckChanges(bool& cancel) {
    Global& g = G();
    cancel = false;
    if (!g.ProjectChanged) return;
    std::string question = g.ProjectFile.empty()
                               ? "Save project changes?"
                               : "The file '" + g.ProjectFile +
                                     "' has been changed.  Do you want to save these changes?";
    switch (ShowMessage(question, ui::YesNoCancel + ui::Question, g.AppTitle)) {
        case ui::Yes:
            call(MainWindow().runSaveCommand);
            // A save that failed or whose Save As was cancelled leaves the changes unsaved: the
            // command that asked must not go on and lose them.
            cancel = g.ProjectChanged;
            break;
        case ui::Cancel:
            cancel = true;
            break;
        default:
            break;
    }
}

}  // namespace velt::desk
