// The CD window's stand-in keeps the hand-over its caller relies on: a new track reaches the
// settings dialog, and its list while the wizard runs.
#include <filesystem>

#include "desk/core/placeholders/frm_media.h"
#include "desk/settings/frm_properties.h"
#include "main_window_fixture.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using test_boxes::Box;

using StandIns = MainWindowTest;

TEST_F(StandIns, TakesReachTheSettingsDialog) {
    Global& g = G();
    auto& props = ui::forms::get<frmProperties>();
    g.WizardRunning = true;

    folder("cd");
    const std::string take = wave("cd/take.wav");
    auto& first = ui::forms::get<frmCD>();
    ui.expectFileDialog({.title = "Use WAV File"}).choose(take);
    first.cmdTransfer_Click();  // (the list's AddToFileList has taken CDTransferDone back)
    EXPECT_EQ(props.CurrentAudioFile, take);
    ASSERT_EQ(props.cboAudioFile.ListCount(), 1);  // added to its list while the wizard runs
    EXPECT_EQ(props.cboAudioFile.List(0), "1. take");
    EXPECT_EQ(g.AudioFolder, dir.path().string() + "/cd/");
    ui::Release<frmCD>();

    g.WizardRunning = false;
    const std::string track = wave("cd/track 1.wav");
    auto& cd = ui::forms::get<frmCD>();
    ui.expectFileDialog({}).choose(track);
    cd.cmdTransfer_Click();
    EXPECT_TRUE(g.CDTransferDone);
    EXPECT_EQ(props.CurrentAudioFile, track);
    EXPECT_EQ(props.cboAudioFile.ListCount(), 1);  // not added without the wizard
    ui::Release<frmProperties>();
}

}  // namespace
}  // namespace velt::desk
