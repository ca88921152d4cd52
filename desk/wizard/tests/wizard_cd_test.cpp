// The CD page over the hidden CD window and its folder drives: the drives and tracks come to the
// page, Next without audio starts the transfer, waits while it runs, and then moves on with the
// transferred file.
#include <optional>

#include "desk/core/shared/text_pieces.h"
#include "desk/media/frm_cd.h"
#include "platform/wave_io/clock_wave_out.h"
#include "scoped_env.h"
#include "wizard_fixture.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using test_boxes::Box;

class WizardCd : public WizardTest {
  protected:
    void SetUp() override {
        WizardTest::SetUp();
        platform::wave_out::useDevices(&output);
    }
    void TearDown() override {
        WizardTest::TearDown();
        platform::wave_out::useDevices(nullptr);
    }
    // A drive folder holding one track per length (seconds), or none for a drive without a disc.
    void drive(const std::vector<int>& seconds) {
        const fs::path folder = dir / "drive";
        if (!seconds.empty()) fs::create_directories(folder);
        for (size_t i = 0; i < seconds.size(); ++i) {
            char track[32];
            std::snprintf(track, sizeof track, "Track%02zu.wav", i + 1);
            EXPECT_EQ(test::runCommand("sox -D -n -r 44100 -c 2 -b 16 " +
                                       test::shellQuote((folder / track).string()) + " synth " +
                                       std::to_string(seconds[i]) + " sine 330 vol 0.5")
                          .exitCode,
                      0);
        }
        drives.emplace("VELTRANE_CD_DRIVES", folder.string());
    }

    platform::wave_out::ClockWaveOut output{&ui::runtime().clock()};
    std::optional<test::ScopedEnv> drives;
};

constexpr const char* kNoAudio =
    "You must record or select a supported audio file before continuing.";

TEST_F(WizardCd, WithoutADiscNextAsksForAudio) {
    drive({});
    frmWizard& w = wizard();
    w.optWave(4).setValue(true);
    w.cmdNav_Click(3);
    ASSERT_EQ(w.CurrentStep, WizardStep::CdTransfer);
    EXPECT_EQ(w.cboDrives.ListCount(), 1);
    ui.advance(500);
    EXPECT_FALSE(w.cmdRip.Enabled());
    ui.expectBox(Box(kNoAudio, "Project Wizard", 48)).answer(ui::OK);
    w.cmdNav_Click(3);
    EXPECT_EQ(w.CurrentStep, WizardStep::CdTransfer);
    EXPECT_TRUE(w.fraStep(PageOf(WizardStep::CdTransfer)).Visible());
}

TEST_F(WizardCd, NextTransfersTheTrackThenMovesOnWithIt) {
    drive({20, 3});
    frmWizard& w = wizard();
    w.optWave(4).setValue(true);
    w.cmdNav_Click(3);
    ASSERT_EQ(w.CurrentStep, WizardStep::CdTransfer);
    ASSERT_TRUE(ui::isLoaded<frmCD>());
    EXPECT_EQ(w.cboDrives.ListCount(), 1);  // the drive double, listed by the window's load
    EXPECT_EQ(w.cboDrives.ListIndex(), 0);
    ui.advance(500);
    EXPECT_EQ(w.lstTracks.ListCount(), 2);
    EXPECT_TRUE(w.cmdRip.Enabled());

    // No audio yet: Next starts the transfer of the selected track and stays.
    const std::string target = (dir / "track.wav").string();
    ui.expectFileDialog({.title = "Save Wave File As"}).choose(target);
    w.cmdNav_Click(3);
    EXPECT_EQ(w.CurrentStep, WizardStep::CdTransfer);
    ui.advance(500);
    ASSERT_EQ(w.StatusBarCD.Text().rfind("Transferring", 0), 0u) << w.StatusBarCD.Text();
    ui.expectBox(Box("Please wait until CD track finishes transferring.", "Project Wizard", 48))
        .answer(ui::OK);
    w.cmdNav_Click(3);
    EXPECT_EQ(w.CurrentStep, WizardStep::CdTransfer);
    for (int i = 0; i < 20 && w.StatusBarCD.Text() != "Completed Transfer"; ++i) ui.advance(500);
    EXPECT_EQ(w.StatusBarCD.Text(), "Completed Transfer");

    w.cmdNav_Click(3);
    EXPECT_EQ(w.CurrentStep, WizardStep::WhatInstruments);
    EXPECT_FALSE(ui::isLoaded<frmCD>());
    EXPECT_EQ(editor().CurrentAudioFile, target);
    EXPECT_EQ(editor().cboAudioFile.ListCount(), 1);
    EXPECT_EQ(G().AudioFolder, FolderOf(target));
    EXPECT_EQ(editor().chkTempoDetect.Value(), 1);
    EXPECT_EQ(editor().chkEntireRange.Value(), 1);
    EXPECT_TRUE(G().AudioFileValid);
}

TEST_F(WizardCd, WithoutDrivesThePageSaysSo) {
    drives.emplace("VELTRANE_CD_DRIVES", ":");  // a list that names no drive
    frmWizard& w = wizard();
    w.optWave(4).setValue(true);
    w.cmdNav_Click(3);
    ASSERT_EQ(w.CurrentStep, WizardStep::CdTransfer);
    ASSERT_GE(w.lstTracks.ListCount(), 1);
    EXPECT_EQ(w.lstTracks.List(0), "No CD drives found");
    EXPECT_FALSE(w.mmCD.Enabled());
}

TEST_F(WizardCd, LeavingWithoutATransferChangesNothing) {
    drive({3});
    frmWizard& w = wizard();
    frmProperties& p = editor();
    const std::string folder = G().AudioFolder;
    const int detect = p.chkTempoDetect.Value(), entire = p.chkEntireRange.Value();
    w.optWave(4).setValue(true);
    w.cmdNav_Click(3);
    ASSERT_EQ(w.CurrentStep, WizardStep::CdTransfer);
    ui.advance(500);
    w.cmdNav_Click(2);
    EXPECT_EQ(w.CurrentStep, WizardStep::AudioSource);
    EXPECT_FALSE(ui::isLoaded<frmCD>());
    EXPECT_EQ(G().AudioFolder, folder);
    EXPECT_EQ(p.chkTempoDetect.Value(), detect);
    EXPECT_EQ(p.chkEntireRange.Value(), entire);
    EXPECT_EQ(p.cboAudioFile.ListCount(), 0);
    EXPECT_TRUE(p.CurrentAudioFile.empty());
}

}  // namespace
}  // namespace velt::desk
