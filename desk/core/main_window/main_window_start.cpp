// The main window's start (menus, splash, editor link, settings, start project) and shutdown
// (save question, settings, working audio file), and its recent-project list.
#include <QWidget>
#include <filesystem>

#include "desk/core/about/frm_about.h"
#include "desk/core/global.h"
#include "desk/core/main_window/frm_main.h"
#include "desk/core/project/project_file.h"
#include "desk/core/shared/text_pieces.h"
#include "desk/core/shared/tools.h"
#include "desk/core/startup/start_up.h"
#include "desk/core/startup/version.h"
#include "platform/settings_store/settings_store.h"

namespace velt::desk {

namespace {

const char* const kRecent = "Recent File List";

// "&" + i + " " + path, the caption of recent item i.
std::string recentCaption(int i, const std::string& path) {
    std::string caption = "&";
    caption += std::to_string(i);
    caption += ' ';
    caption += path;
    return caption;
}

std::string recentKey(int i) {
    return "File-" + std::to_string(i);
}

int32_t number(const platform::SettingsStore& store, const char* section, const char* key,
               int32_t fallback) {
    return static_cast<int32_t>(Val(store.getSetting(section, key, std::to_string(fallback))));
}

}  // namespace

void frmMain::Form_Load() {
    Global& g = G();
    wireHooks();

    // Menu pictures: File New, Open, Save; Edit Project; Tools Convert, SyncPlay, Options;
    // Help Topics.
    ui::MenuItem* pictured[] = {&mnuNew,       &mnuOpen,   &mnuSave,      &mnuProject,
                                &mnuRecognize, &mnuPlayer, &mnuCustomize, &mnuTopics};
    for (int i = 0; i < 8; ++i) pictured[i]->setPicture(picMenu.ListImages(i + 1).picture);

    g.SplashMode = true;
    auto& splash = ui::forms::get<frmAbout>();
    splash.Show(ui::Modeless, this);
    g.SplashMode = false;
    Show();
    if (splash.window() != nullptr) splash.window()->raise();  // above the starting window
    ui::DoEvents();

    ASLinkAndInstall();

    platform::SettingsStore store(g.AppTitle);
    if (store.getSetting(kRecent, recentKey(1)).empty())
        store.saveSetting(kRecent, recentKey(1), g.UserFolder + "Samples/Pathetique Sonata.vpr");
    RecentCount = 0;
    for (int i = 6; i >= 1; --i) {
        std::string path = store.getSetting(kRecent, recentKey(i));
        if (!path.empty()) {
            g.ProjectFile = path;
            UpdateMenu();
        }
    }

    g.UserLevel = number(store, "Custom", "UserLevel", 1);
    g.PlayEdit = number(store, "Custom", "PlayEdit", 1);
    g.Transcribe = number(store, "Custom", "Transcribe", 1);
    g.AutoPlay = number(store, "Custom", "AutoPlay", 0);
    g.Duration = number(store, "Custom", "Duration", 750);
    g.Velocity = number(store, "Custom", "Velocity", 127);
    g.Volume = number(store, "Custom", "Volume", 63);
    g.MidiDevice = number(store, "Custom", "MidiDevice", 0);
    g.NoteValue = number(store, "Custom", "NoteValue", 0);

    g.ProjectFolder = store.getSetting("Path", "Project", g.UserFolder + "Samples/");
    g.MidiFolder = store.getSetting("Path", "Midi", g.MusicFolder);
    bool oldNames = number(store, "Version", "Major", 0) < 7;
    g.AudioEditor = store.getSetting("Custom", oldNames ? "WaveEditor" : "AudioEditor", "");
    g.AudioDevice = number(store, "Custom", oldNames ? "WaveDevice" : "AudioDevice", 0);
    g.AudioFolder = store.getSetting("Path", oldNames ? "Wave" : "Audio", g.MusicFolder);

    g.MidiEditor = store.getSetting("Custom", "MidiEditor", "");
    g.CDPlayer = store.getSetting("Custom", "CDPlayer", "");
    g.Mixer = store.getSetting("Custom", "Mixer", "");
    SetDefaultToolPaths();

    g.WizardRunning = false;
    g.ProjectFile.clear();

    if (!g.CmdLineProject.empty()) {
        OpenProfile(g.CmdLineProject);
        Toolbar.Buttons(5).setEnabled(true);
        mnuProject.setEnabled(true);
        mnuProject_Click();
    } else {
        // A project named on the command line is the user's choice; only a start without one
        // goes on to the help contents and the wizard.
        OpenProfile("");
        mnuTopics_Click();
        mnuNew_Click();
    }
}

void frmMain::Form_Unload(int& Cancel) {
    bool cancel = false;
    CheckChanges(cancel);
    if (cancel) {
        Cancel = 1;
        return;
    }
    Global& g = G();
    platform::SettingsStore store(g.AppTitle);
    for (int i = 1; i <= 6 && i <= RecentCount; ++i)
        store.saveSetting(kRecent, recentKey(i), RecentPath(i));

    const std::pair<const char*, const std::string*> texts[] = {{"CDPlayer", &g.CDPlayer},
                                                                {"Mixer", &g.Mixer},
                                                                {"AudioEditor", &g.AudioEditor},
                                                                {"MidiEditor", &g.MidiEditor}};
    for (const auto& [key, value] : texts) store.saveSetting("Custom", key, *value);
    const std::pair<const char*, int32_t> numbers[] = {
        {"UserLevel", g.UserLevel}, {"PlayEdit", g.PlayEdit},       {"Transcribe", g.Transcribe},
        {"AutoPlay", g.AutoPlay},   {"Duration", g.Duration},       {"Velocity", g.Velocity},
        {"Volume", g.Volume},       {"AudioDevice", g.AudioDevice}, {"MidiDevice", g.MidiDevice},
        {"NoteValue", g.NoteValue}};
    for (const auto& [key, value] : numbers)
        store.saveSetting("Custom", key, std::to_string(value));

    store.saveSetting("Path", "Project", g.ProjectFolder);
    store.saveSetting("Path", "Audio", g.AudioFolder);
    store.saveSetting("Path", "Midi", g.MidiFolder);
    store.saveSetting("Path", "Ensemble", g.EnsembleFolder);
    store.saveSetting("Path", "Drum Kit", g.DrumKitFolder);

    store.saveSetting("Version", "Major", std::to_string(AppMajor));
    store.saveSetting("Version", "Minor", std::to_string(AppMinor));
    store.saveSetting("Version", "Revision", std::to_string(AppRevision));

    std::error_code ec;
    std::filesystem::remove(g.TempFolder + "/~temp.wav", ec);

    MainWindow() = MainWindowHooks{};
    EndProgram();
}

std::string frmMain::RecentPath(int Index) {
    const std::string& caption = mnuFileArray(Index).Caption();
    return caption.size() > 3 ? caption.substr(3) : std::string();
}

void frmMain::UpdateMenu() {
    const std::string& project = G().ProjectFile;
    if (project.empty()) return;
    mnuFileArray(0).setVisible(true);
    int p = 0;
    for (int i = 1; i <= RecentCount; ++i) {
        if (RecentPath(i) == project) {
            p = i;
            break;
        }
    }
    if (p == 0) {
        if (RecentCount < 6) {
            ++RecentCount;
            mnuFileArray(RecentCount).setVisible(true);
        }
        p = RecentCount;
    }
    for (int i = p; i >= 2; --i) mnuFileArray(i).setCaption(recentCaption(i, RecentPath(i - 1)));
    mnuFileArray(1).setCaption(recentCaption(1, project));
}

}  // namespace velt::desk
