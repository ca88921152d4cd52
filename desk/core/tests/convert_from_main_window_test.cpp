// The Convert command through the real main window: its toolbar button runs the progress window
// over the real bridge and a fake engine, the outcome lands in the main window's status bar and
// caption, the results window's Setup reaches the options dialog, and a project without audio
// opens the live window.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "desk/core/live/frm_live.h"
#include "desk/core/options/frm_customize.h"
#include "desk/core/project/project_file.h"
#include "desk/core/run/bridge_loader.h"
#include "desk/core/run/frm_results.h"
#include "desk/core/run/frm_status.h"
#include "main_window_fixture.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using User = ui::test::User;

class ConvertFromMainWindow : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        fs::create_directories(dir / "system");
    }
    void TearDown() override {
        test::writeFile(dir / "system" / "quit", "");
        if (const BridgeCalls* bridge = Bridge())
            bridge->AbandonConvert();  // idle for the next test
        MainWindowTest::TearDown();
    }
    // An engine that reports a finished run at once, then waits to be let go.
    void installEngine(const std::string& finalLine) {
        const fs::path engine = dir / "system" / "kvxvtpd64";
        test::writeFile(engine, "#!/bin/sh\nprintf '%s' '" + finalLine + "' > \"$2\"\ni=0\n" +
                                    "while [ ! -e " +
                                    test::shellQuote((dir / "system" / "quit").string()) +
                                    " ] && [ $i -lt 3000 ]; do sleep 0.01; i=$((i+1)); done\n");
        chmod(engine.c_str(), 0755);
    }
    // Lets the progress window tick until it has closed (the engine writes in real time).
    void tickUntilClosed() {
        for (int i = 0; i < 500 && ui::isLoaded<frmStatus>(); ++i) {
            ui.advance(56);
            if (ui::isLoaded<frmStatus>())
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_FALSE(ui::isLoaded<frmStatus>());
    }

    test::ScopedEnv runtimeEnv{"XDG_RUNTIME_DIR", test::makePrivateFolder(dir / "run")};
    test::ScopedEnv systemEnv{"VELTRANE_SYSTEM_DIR", (dir / "system").string()};
};

TEST_F(ConvertFromMainWindow, TheToolbarConvertsAndTheStatusBarSaysFinished) {
    installEngine("100000.000 48 72 1 0 96.000000 2.000000 0.000000 4 3 0 64.000000 440.000000 G");
    frmMain& m = start();
    Global& g = G();
    g.AudioFileCount = 1;
    g.AudioFiles.redim(1);
    g.MidiFiles.redim(1);
    g.AudioFiles(1) = wave("song.wav");
    g.MidiFiles(1) = (dir / "song.mid").string();
    g.AudioFileValid = true;
    CheckRecognize();
    const std::string caption = m.Caption();
    const std::string editor = (dir / "midied").string();
    test::writeFile(editor, "");

    ui.onModal<frmStatus>([&](frmStatus&, User&) {
        EXPECT_EQ(m.sbStatusBar.Text(), "Converting...");
        EXPECT_EQ(m.Caption(), "Veltrane: Initializing");
        tickUntilClosed();
    });
    ui.onModal<frmResults>([&](frmResults& r, User& u) {
        EXPECT_EQ(r.lblTempo1.Caption(), "96 bpm");
        EXPECT_EQ(r.lblMeter1.Caption(), "3 / 4");
        EXPECT_EQ(r.lblKey1.Caption(), "G major (1 sharp)");
        ui.expectFileDialog({.title = "Select MIDI Editor"}).choose(editor);
        u.click(r.cmdSetMidiEditor);
        EXPECT_FALSE(ui::isLoaded<frmCustomize>());
        u.click(r.cmdClose);
    });
    User u = ui.user();
    u.toolbar(m.Toolbar, "Recognize");

    EXPECT_EQ(m.sbStatusBar.Text(), "Finished");
    EXPECT_EQ(m.Caption(), caption);
    EXPECT_EQ(g.MidiEditor, editor);
    EXPECT_FLOAT_EQ(g.Tempo, 96.0f);
    EXPECT_EQ(g.TimeSignatureNumerator, 3);
    EXPECT_EQ(g.KeySignature, 1);
    EXPECT_TRUE(g.ProjectChanged);
    EXPECT_TRUE(m.mnuSave.Enabled());
    g.ProjectChanged = false;  // no save question when the window closes
}

TEST_F(ConvertFromMainWindow, AProjectWithoutAudioOpensTheLiveWindow) {
    // The engine answers the cancel at once.
    installEngine("-1.000 128 -1 8 0 120.000000 -1.000000 0.000000 0 0 0 64.000000 440.000000 N/C");
    frmMain& m = start();
    G().AudioFileValid = true;
    CheckRecognize();
    bool shown = false;
    ui.onModal<frmLive>([&](frmLive& live, User& u) {
        shown = true;
        u.click(live.cmdClose);
        for (int i = 0; i < 500 && ui::isLoaded<frmLive>(); ++i) {
            ui.advance(56);
            if (ui::isLoaded<frmLive>()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_FALSE(ui::isLoaded<frmLive>());
    });
    ui.user().menu(m.mnuRecognize);
    EXPECT_TRUE(shown);
    EXPECT_EQ(m.sbStatusBar.Text(), "Ready");
    // The working project named no audio file; the window deleted it when it closed.
    EXPECT_FALSE(fs::exists(G().TempProject));
}

}  // namespace
}  // namespace velt::desk
