// Pictures of every window for reviewers (scripts/form_shots.sh): each form shown on Qt's
// offscreen platform and grabbed into a PNG, the wizard once per page and the settings dialog
// once per tab. Not a test of its own: it runs only when asked for, with VELTRANE_SHOTS_DIR
// naming the folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPixmap>
#include <cstdlib>
#include <filesystem>

#include "audio_input_double.h"
#include "desk/core/run/bridge_loader.h"
#include "form_walk.h"
#include "main_window_fixture.h"

namespace velt::desk {
namespace {

class FormShots : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        UseBridgeLibrary(dir / "no-bridge.so");
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        UseBridgeLibrary("");
    }
    // The form as the user sees it, into <folder>/<name>.png.
    void save(ui::Form& f, const std::string& name) {
        if (!f.loaded()) return;
        if (!f.Visible()) f.Show();
        ui::DoEvents();
        const std::string file = (folder_ / (name + ".png")).string();
        EXPECT_TRUE(f.window()->grab().save(QString::fromStdString(file))) << file;
    }
    // Every page of the wizard and every tab of the settings dialog; other forms once.
    void saveViews(ui::Form& f, const std::string& name) {
        if (auto* w = dynamic_cast<frmWizard*>(&f)) {
            for (int page = PageOf(FirstStep); page <= PageOf(LastStep); ++page) {
                const auto step = static_cast<WizardStep>(page);
                for (int i = 0; i < frmWizard::kPages; ++i) {
                    w->fraStep(i).setVisible(false);
                    w->fraStep(i).setLeft(frmWizard::kParked);
                }
                // The audio page asks for a file when the list is empty.
                if (step == WizardStep::AudioFile)
                    ui.expectFileDialog({.title = "Select Audio File"}).cancel();
                w->ShowStep(step);
                save(f, name + "-step" + (page < 10 ? "0" : "") + std::to_string(page));
            }
        } else if (auto* p = dynamic_cast<frmProperties*>(&f)) {
            for (int tab = 0; tab < p->tabProperties.Tabs(); ++tab) {
                p->tabProperties.setTab(tab);
                save(f, name + "-tab" + std::to_string(tab + 1));
            }
        } else {
            save(f, name);
        }
    }

    std::filesystem::path folder_;
    test_audio::FakeAudioInput meter;  // the recorder's level meter listens to it
};

// Run by scripts/form_shots.sh (--gtest_also_run_disabled_tests).
TEST_F(FormShots, DISABLED_EveryForm) {
    const char* out = std::getenv("VELTRANE_SHOTS_DIR");
    ASSERT_NE(out, nullptr) << "VELTRANE_SHOTS_DIR names the folder for the pictures";
    folder_ = out;
    std::filesystem::create_directories(folder_);
    saveViews(start(), "frmMain");
    for (const auto& entry : form_walk::EveryForm()) {
        if (entry.box.empty()) {
            saveViews(entry.load(), entry.name);
            continue;
        }
        ui.expectBox({.textStartsWith = entry.box})
            .meanwhile([&] { saveViews(*entry.existing(), entry.name); })
            .answer(ui::OK);
        entry.load();
    }
}

}  // namespace
}  // namespace velt::desk
