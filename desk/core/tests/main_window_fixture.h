// A main window under test: folders and the settings store in a temporary folder, the recording
// shell, a registry double, the test script. start() loads the window as the program does with
// the editor link settled, and cancels the wizard that the start opens.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "box_match.h"
#include "desk/core/global.h"
#include "desk/core/main_window/editor_link.h"
#include "desk/core/main_window/frm_main.h"
#include "desk/core/shared/services.h"
#include "desk/core/startup/start_up.h"
#include "desk/wizard/frm_wizard.h"
#include "platform/registry/registry.h"
#include "platform/settings_store/settings_store.h"
#include "platform/shell/shell.h"
#include "scoped_env.h"
#include "test_folders.h"
#include "test_support.h"
#include "veltdesk_process.h"

namespace velt::desk {

// What a conversion through the real bridge and engine needs, as members of a fixture: a private
// runtime folder under `dir` and the engine beside the bridge, whatever the caller's
// environment names.
struct RealEngineEnv {
    explicit RealEngineEnv(const std::filesystem::path& dir)
        : runtime("XDG_RUNTIME_DIR", test::makePrivateFolder(dir / "run")) {}
    test::ScopedEnv runtime;
    test::ScopedEnv system{"VELTRANE_SYSTEM_DIR", std::nullopt};
};

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetGlobal();
        UseShell(&shell);
        UseRegistry(&registry);
        ProgramEndHook() = [this] { ++programEnds; };
        useTestFolders(dir.path());
    }
    void TearDown() override {
        ui::forms::releaseAll();
        ProgramEndHook() = nullptr;
        UseShell(nullptr);
        UseRegistry(nullptr);
        ResetGlobal();
    }

    // A folder of the test, made, as text ending in "/".
    std::string folder(const std::string& name) { return makeTestFolder(dir.path(), name); }
    platform::SettingsStore store() { return platform::SettingsStore(G().AppTitle); }

    // Loads the main window with the editor link settled; the start's wizard is cancelled.
    frmMain& start() {
        store().saveSetting("Path", "AS", "1");
        cancelWizard();
        return MainForm();
    }
    // Cancel in the wizard's button row, answering Yes to its question.
    void cancelWizard() {
        ui.onModal<frmWizard>([this](frmWizard& w, ui::test::User& u) {
            ui.expectBox({.textStartsWith = "Your MIDI file has not yet been created!",
                          .title = G().AppTitle})
                .answer(ui::Yes);
            u.click(w.cmdNav(1));
        });
    }
    // A small PCM WAV file made by sox: half a second of a clean tone at half of full scale, so
    // the settings dialog's inspection accepts it without level warnings.
    std::string wave(const std::string& name) {
        const std::string path = (dir / name).string();
        EXPECT_EQ(test::runCommand("sox -D -n -r 8000 -c 1 -b 16 -t wav " + test::shellQuote(path) +
                                   " synth 0.5 sine 440 vol 0.5")
                      .exitCode,
                  0);
        return path;
    }

    // A 16-bit mono 44.1 kHz PCM WAV file made by sox at `path` from `effects` ("synth ...");
    // false when sox fails.
    static bool soxWave(const std::string& path, const std::string& effects) {
        return test::runCommand("sox -D -n -r 44100 -b 16 -c 1 -t wav " + test::shellQuote(path) +
                                " " + effects)
                   .exitCode == 0;
    }
    // Opens the project commands as a loaded project does: the Project menu and Edit Project.
    static void enableProjectEditing(frmMain& f) {
        f.mnuProject.setEnabled(true);
        f.Toolbar.Buttons("Edit Project").setEnabled(true);
    }
    // Runs Edit Project (the dialog's script set beforehand) and answers No to the question to
    // convert after applied changes.
    void editProjectWithoutConverting(frmMain& f) {
        ui.expectBox(test_boxes::Box("You will need to regenerate the MIDI file for your Project "
                                     "Editor changes to take effect.  Convert now?",
                                     "Converter", 32))
            .answer(ui::No);
        ui.user().toolbar(f.Toolbar, "Edit Project");
    }
    // Saves the project through the toolbar's Save, naming it `project` in the file dialog.
    void saveProjectAs(frmMain& f, const std::string& project) {
        ui.expectFileDialog({.title = "Save Project As"}).choose(project);
        ui.user().toolbar(f.Toolbar, "Save");
    }
    // Converts `project` as a user does from the command line, logging to dir/log.txt; veltdesk's
    // exit status.
    int convertFromCommandLine(const std::string& project) {
        return veltdesk("/prf=" + test::shellQuote(project) +
                        " /log=" + test::shellQuote((dir / "log.txt").string()));
    }

    // Ticks a modal window whose work runs in real time (a decoder, a run over the bridge) until
    // it has closed, for at most `limit`.
    template <class F>
    void tickUntilClosed(int stepMs, std::chrono::seconds limit = std::chrono::seconds(120)) {
        ui.onModal<F>([this, stepMs, limit](F& f, ui::test::User&) {
            const auto deadline = std::chrono::steady_clock::now() + limit;
            while (f.loaded() && std::chrono::steady_clock::now() < deadline) {
                ui.advance(stepMs);
                if (f.loaded()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            EXPECT_FALSE(f.loaded()) << f.Name() << " still open";
        });
    }

    // veltdesk with the arguments, as a user runs it on a machine without a display, in folders
    // of the test's own; its exit status.
    int veltdesk(const std::string& args) {
        return test_process::runVeltdesk(dir.path(), args).exitCode;
    }

    test::TempDir dir;
    test::ScopedEnv config{"XDG_CONFIG_HOME", (dir / "config").string()};
    ui::test::Script ui;
    platform::RecordingShell shell;
    platform::RegistryDouble registry;
    int programEnds = 0;
};

}  // namespace velt::desk
