// The stand-in windows keep the hand-over their callers rely on: the settings dialog hiding while
// the wizard runs, the CD window's new track, the ensemble editor's
// EnsembleApplied.
#include <filesystem>

#include "desk/core/placeholders/frm_media.h"
#include "desk/core/placeholders/frm_other_windows.h"
#include "desk/core/placeholders/frm_properties.h"
#include "main_window_fixture.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using test_boxes::Box;

using StandIns = MainWindowTest;

TEST_F(StandIns, TakesReachTheSettingsDialogAndItHidesWhileTheWizardRuns) {
    Global& g = G();
    auto& props = ui::forms::get<frmProperties>();
    props.Show();
    g.WizardRunning = true;
    ui.user().click(props.cmdClose);
    EXPECT_TRUE(props.loaded());
    EXPECT_FALSE(props.Visible());

    folder("cd");
    const std::string take = wave("cd/take.wav");
    auto& first = ui::forms::get<frmCD>();
    ui.expectFileDialog({.title = "Use WAV File"}).choose(take);
    first.cmdTransfer_Click();
    EXPECT_TRUE(g.CDTransferDone);
    EXPECT_EQ(props.CurrentAudioFile, take);
    EXPECT_EQ(props.txtAudioFile.Text(), take);  // added to its list while the wizard runs
    EXPECT_EQ(g.AudioFolder, dir.path().string() + "/cd/");
    ui::Release<frmCD>();

    g.WizardRunning = false;
    const std::string track = wave("cd/track 1.wav");
    auto& cd = ui::forms::get<frmCD>();
    ui.expectFileDialog({}).choose(track);
    cd.cmdTransfer_Click();
    EXPECT_TRUE(g.CDTransferDone);
    EXPECT_EQ(props.CurrentAudioFile, track);
    EXPECT_EQ(props.txtAudioFile.Text(), take);  // not added without the wizard
    props.cmdClose_Click();
    EXPECT_FALSE(props.loaded());

    g.EnsembleApplied = true;
    auto& ens = ui::forms::get<frmEns>();
    EXPECT_FALSE(g.EnsembleApplied);
    ens.cmdApply_Click();
    EXPECT_TRUE(g.EnsembleApplied);
}

}  // namespace
}  // namespace velt::desk
