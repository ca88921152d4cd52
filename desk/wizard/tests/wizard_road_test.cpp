// The main road end to end: New, an audio file, Next with the default choices up to Finish, and
// the conversion that follows at once through the real bridge and engine.
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <set>
#include <thread>

#include "audio_fixtures.h"
#include "desk/core/run/bridge_loader.h"
#include "desk/core/run/frm_results.h"
#include "desk/core/run/frm_status.h"
#include "main_window_fixture.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using User = ui::test::User;

class WizardRoad : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        fs::create_directories(dir / "run");
        chmod((dir / "run").c_str(), 0700);
        for (const char* file : {"filter.txt", "percussion.txt"})
            fs::copy_file(test::sourceDir() / "data" / file, fs::path(G().InstallFolder) / file);
    }
    void TearDown() override {
        if (const BridgeCalls* bridge = Bridge()) bridge->AbandonConvert();  // idle for the next test
        MainWindowTest::TearDown();
    }

    test::ScopedEnv runtimeEnv{"XDG_RUNTIME_DIR", (dir / "run").string()};
    test::ScopedEnv systemEnv{"VELTRANE_SYSTEM_DIR", std::nullopt};
};

TEST_F(WizardRoad, FinishConvertsTheChosenFileIntoMidiNotes) {
    frmMain& m = start();
    const fs::path melody = dir / "music" / "melody.wav";
    ASSERT_TRUE(test::makeMelody(melody, {.rate = 44100, .channels = 2, .noteSeconds = 1.0}));

    std::vector<int> steps;
    ui.onModal<frmWizard>([&](frmWizard& w, User& u) {
        u.click(w.optWave(2));
        ui.expectFileDialog({.title = "Select Audio File", .flags = 4}).choose(melody.string());
        for (int i = 0; i < 8 && w.cmdNav(3).Enabled(); ++i) {
            u.click(w.cmdNav(3));
            steps.push_back(w.CurrentStep);
        }
        u.click(w.cmdNav(4));
    });
    ui.onModal<frmStatus>([&](frmStatus& s, User&) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (s.loaded() && std::chrono::steady_clock::now() < deadline) {
            ui.advance(56);
            if (s.loaded()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_FALSE(s.loaded());
    });
    ui.onModal<frmResults>([](frmResults& r, User& u) { u.click(r.cmdClose); });
    ui.user().toolbar(m.Toolbar, "New");

    EXPECT_EQ(steps, (std::vector<int>{4, 15, 16, 14, 11, 12}));
    EXPECT_EQ(m.sbStatusBar.Text(), "Finished");
    Global& g = G();
    ASSERT_EQ(g.AudioFileCount, 1);
    EXPECT_EQ(g.AudioFiles(1), melody.string());
    const std::string mid = g.MidiFiles(1);
    ASSERT_TRUE(fs::exists(mid)) << mid;
    const std::string csv = test::runCommand("midicsv " + test::shellQuote(mid)).output;
    const std::set<int> keys = test::soundedKeys(csv);
    // The melody's notes C4 E4 G4 C5 are among those heard.
    for (int key : {60, 64, 67, 72}) EXPECT_TRUE(keys.count(key)) << "key " << key << "\n" << csv;
    g.ProjectChanged = false;  // no save question when the window closes
}

}  // namespace
}  // namespace velt::desk
