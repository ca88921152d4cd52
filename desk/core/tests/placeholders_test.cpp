// The recorder's stand-in keeps the hand-over its callers rely on: its new take reaches the
// settings dialog.
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

    const std::string take = wave("take.wav");
    auto& rec = ui::forms::get<frmRecord>();
    EXPECT_EQ(g.RecordMark, "-");
    g.CDTransferDone = true;
    g.RecMasterFile = "/m.mid";
    ui.expectFileDialog({.title = "Use WAV File"}).choose(take);
    rec.cmdSave_Click();
    EXPECT_TRUE(g.RecordingSaved);
    EXPECT_EQ(g.RecordMark.size(), 1u);
    EXPECT_NE(g.RecordMark, "-");
    EXPECT_TRUE(g.RecMasterFile.empty());
    EXPECT_FALSE(g.CDTransferDone);
    EXPECT_EQ(props.CurrentAudioFile, take);
    ASSERT_EQ(props.cboAudioFile.ListCount(), 1);  // added to its list while the wizard runs
    EXPECT_EQ(props.cboAudioFile.List(0), "1. take");
    EXPECT_EQ(g.AudioFolder, dir.path().string() + "/");

    ui::Release<frmProperties>();
}

}  // namespace
}  // namespace velt::desk
