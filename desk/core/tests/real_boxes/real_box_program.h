// The program as a real-box road starts it: the shared module reset, the shell, registry, sound
// output and MIDI output replaced by doubles, the folders inside a temporary folder holding the
// instrument data, and a user who clicks (real_user.h). Nothing is scripted: boxes and dialogs
// run their own loops and closed windows wait for the runtime's deferred deletion.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "desk/core/global.h"
#include "desk/core/main_window/frm_main.h"
#include "desk/core/shared/services.h"
#include "desk/core/startup/start_up.h"
#include "desk/ui/runtime.h"
#include "desk/wizard/frm_wizard.h"
#include "platform/mci/mci.h"
#include "platform/midi_out/midi_out.h"
#include "platform/registry/registry.h"
#include "platform/settings_store/settings_store.h"
#include "platform/shell/shell.h"
#include "platform/wave_io/clock_wave_out.h"
#include "real_user.h"
#include "scoped_env.h"
#include "test_folders.h"
#include "test_support.h"

namespace velt::desk {

class RealBoxProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(ui::runtime().driver, nullptr) << "a test script would answer the boxes";
        ResetGlobal();
        UseShell(&shell);
        UseRegistry(&registry);
        ProgramEndHook() = [] {};
        platform::wave_out::useDevices(&output);
        platform::midi_out::useDevices(&midi);
        useTestFolders(dir.path());
        for (const char* file : {"filter.txt", "percussion.txt"})
            std::filesystem::copy_file(test::sourceDir() / "data" / file, dir / "install" / file);
        for (const char* sub : {"Ensembles", "Drum Kits"})
            std::filesystem::copy(test::sourceDir() / "data" / sub, dir / "install" / sub);
    }
    void TearDown() override {
        G().ProjectChanged = false;  // no save question when the main window goes
        ui::forms::releaseAll();
        platform::mci::closeAll();
        platform::wave_out::useDevices(nullptr);
        platform::midi_out::useDevices(nullptr);
        ProgramEndHook() = nullptr;
        UseShell(nullptr);
        UseRegistry(nullptr);
        ResetGlobal();
    }

    // The main window as the program starts it: the wizard it opens is cancelled with its own
    // Cancel button and a Yes to its question.
    frmMain& start() {
        platform::SettingsStore(G().AppTitle).saveSetting("Path", "AS", "1");
        user.click<frmWizard>("the wizard's Cancel",
                              [](frmWizard& w) -> ui::CommandButton& { return w.cmdNav(1); });
        user.answerBox("Your MIDI file has not yet been created!", "Yes");
        frmMain& f = MainForm();
        EXPECT_TRUE(user.done());
        f.mnuProject.setEnabled(true);
        return f;
    }

    test::TempDir dir;
    test::ScopedEnv config{"XDG_CONFIG_HOME", (dir / "config").string()};
    platform::RecordingShell shell;
    platform::RegistryDouble registry;
    platform::wave_out::ClockWaveOut output{&ui::runtime().clock()};
    platform::midi_out::RecordingMidiOut midi{2};
    test_real::RealUser user;
};

}  // namespace velt::desk
