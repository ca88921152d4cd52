// What the wizard's pages fill in when they are shown, and the writes some of them repeat.
#include <algorithm>
#include <cmath>
#include <utility>

#include "wizard_fixture.h"

namespace velt::desk {
namespace {

class WizardSetup : public WizardTest {};

TEST_F(WizardSetup, StepFourOpensTheAudioDialogOnEveryShow) {
    frmWizard& w = wizard();
    const std::string take = wave("take.wav");
    ui.expectFileDialog({.title = "Select Audio File"}).choose(take);
    w.ShowStep(WizardStep::AudioFile);
    EXPECT_EQ(w.cboAudioFile.ListCount(), 1);
    EXPECT_EQ(w.cboAudioFile.ListIndex(), 0);
    EXPECT_TRUE(G().AudioFileValid);
    // Shown again with the file in the list: the dialog opens again; cancelling keeps the list.
    ui.expectFileDialog({.title = "Select Audio File"}).cancel();
    w.ShowStep(WizardStep::AudioFile);
    EXPECT_EQ(w.cboAudioFile.ListCount(), 1);
    EXPECT_EQ(w.Caption(), "New Project Wizard - Select Audio File");
}

TEST_F(WizardSetup, StepSevenAsksForADrumKitOrAnEnsemble) {
    frmWizard& w = wizard();
    struct Case {
        int option;
        std::string caption;
        bool drumKitButton;
    } cases[] = {{3, "New Project Wizard - Select Drum Kit", true},
                 {1, "New Project Wizard - Select Ensemble", false},
                 {0, "New Project Wizard - Select Ensemble", false}};
    for (const Case& c : cases) {
        w.optFilter(c.option).setValue(true);
        w.ShowStep(WizardStep::Ensemble);
        EXPECT_EQ(w.Caption(), c.caption) << c.option;
        EXPECT_EQ(w.cmdDrumKitEdit.Visible(), c.drumKitButton) << c.option;
        EXPECT_EQ(w.cmdPatchMapEdit.Visible(), !c.drumKitButton) << c.option;
        // The button shown takes the place of the one hidden.
        const ui::CommandButton& shown = c.drumKitButton ? w.cmdDrumKitEdit : w.cmdPatchMapEdit;
        const ui::CommandButton& hidden = c.drumKitButton ? w.cmdPatchMapEdit : w.cmdDrumKitEdit;
        EXPECT_GT(shown.Left(), hidden.Left()) << c.option;
        EXPECT_EQ(w.txtPatchMap.Text(), editor().txtPatchMap.Text());
    }
}

TEST_F(WizardSetup, StepFiveOffersSeparateStereoTracksOnlyWhereThereAreTwo) {
    frmWizard& w = wizard();
    struct Case {
        int source;
        int channels;
        bool offered;
    } cases[] = {{2, 1, false}, {2, 2, true}, {4, 1, false}, {3, 1, true}, {3, 0, true}};
    for (const Case& c : cases) {
        G().AudioChannels = c.channels;
        w.optWave(c.source).setValue(true);
        w.ShowStep(WizardStep::InstrumentTypes);
        EXPECT_EQ(w.optFilter1(2).Enabled(), c.offered) << c.source << "/" << c.channels;
    }
}

TEST_F(WizardSetup, StepSixNamesTheEnsembleAfterThePatchAndKeepsOnlyRowZero) {
    frmWizard& w = wizard();
    Global& g = G();
    g.EnsActive.fill(1);
    g.EnsPatch[0] = 41;
    w.ShowStep(WizardStep::OriginalInstrument);
    ASSERT_GT(w.cboFilter.ListCount(), 0);
    EXPECT_EQ(w.cboFilter.Text().rfind("41 - ", 0), 0u) << w.cboFilter.Text();
    const std::string patch = w.cboMidiPatch1.Text();
    ASSERT_NE(patch.find(" - "), std::string::npos) << patch;
    EXPECT_EQ(editor().txtPatchMap.Text(), patch.substr(patch.find(" - ") + 3));
    EXPECT_EQ(g.EnsActive[0], 1);
    EXPECT_TRUE(
        std::all_of(g.EnsActive.begin() + 1, g.EnsActive.end(), [](int32_t v) { return v == 0; }));
    // A patch the list doesn't hold selects the first entry.
    g.EnsPatch[0] = 9999;
    w.ShowStep(WizardStep::OriginalInstrument);
    EXPECT_EQ(w.cboFilter.ListIndex(), 0);
}

TEST_F(WizardSetup, StepTwelveTellsWhatFinishWillDo) {
    frmWizard& w = wizard();
    w.optWave(3).setValue(true);
    w.ShowStep(WizardStep::Finish);
    EXPECT_EQ(
        w.lblStep(PageOf(WizardStep::Finish))
            .Caption()
            .rfind("Congratulations! Veltrane is now ready to convert your live audio to MIDI", 0),
        0u);
    EXPECT_TRUE(w.cmdNav(4).Enabled());
    EXPECT_FALSE(w.cmdNav(3).Enabled());
    w.optWave(2).setValue(true);
    w.ShowStep(WizardStep::Finish);
    EXPECT_EQ(
        w.lblStep(PageOf(WizardStep::Finish))
            .Caption()
            .rfind("Congratulations! Veltrane is now ready to convert your audio file to a MIDI "
                   "file.",
                   0),
        0u);
}

TEST_F(WizardSetup, StepFourteenStartsEasyOnEveryShow) {
    frmWizard& w = wizard();
    w.ShowStep(WizardStep::TimingSetting);
    w.optSync(1).setValue(true);
    EXPECT_EQ(editor().chkTempoDetect.Value(), 0);
    EXPECT_FALSE(w.chkTempoDetect.Enabled());  // notation leaves it as easy left it
    w.ShowStep(WizardStep::TimingSetting);
    EXPECT_TRUE(w.optSync(0).Value());
    EXPECT_EQ(editor().chkTempoDetect.Value(), 1);
    EXPECT_FALSE(editor().chkTempoDetect.Enabled());
}

TEST_F(WizardSetup, OnlyTheStepShownIsInView) {
    frmWizard& w = wizard();
    w.optWave(3).setValue(true);
    w.cmdNav_Click(3);
    ASSERT_EQ(w.CurrentStep, WizardStep::WhatInstruments);
    for (int i = 0; i < frmWizard::kPages; ++i) {
        const bool shown = i == PageOf(WizardStep::WhatInstruments);
        EXPECT_EQ(w.fraStep(i).Visible(), shown) << i;
        EXPECT_EQ(w.fraStep(i).Left(), shown ? 0 : frmWizard::kParked) << i;
    }
    EXPECT_EQ(w.Caption(), "New Project Wizard - What Instruments");
    EXPECT_EQ(w.lblTitle.Caption(), "What Instruments");
    EXPECT_EQ(w.optFilter(1).Caption(), "I &know what instruments comprise the original audio");
}

}  // namespace
}  // namespace velt::desk

namespace velt::desk {
namespace {

class WizardTempo : public WizardTest {};

TEST_F(WizardTempo, TheNeedleSpansFiveToTwoHundredThirtyFive) {
    frmWizard& w = wizard();
    addAudio(wave("take.wav"));
    w.ShowStep(WizardStep::TapTempo);
    const double cx = std::round(w.gauTempo1.Left() + std::round(w.gauTempo1.Width()) / 2);
    const double cy = std::round(w.gauTempo1.Top() + std::round(w.gauTempo1.Height()) / 2);
    auto tip = [&](const std::string& tempo) {
        w.txtTempo1.setText(tempo);
        expectNeedleOnDial(w.gauTempo1, w.gauTempoLine1, tempo);
        return std::pair{w.gauTempoLine1.X1(), w.gauTempoLine1.Y1()};
    };
    const auto right = tip("235");
    EXPECT_EQ(right.first, cx + 500);
    EXPECT_NEAR(right.second, cy - 60, 1);
    EXPECT_EQ(tip("300"), right);
    EXPECT_EQ(tip("400"), right);
    const auto up = tip("120");
    EXPECT_NEAR(up.first, cx, 1);
    EXPECT_EQ(up.second, cy - 560);
    const auto left = tip("5");
    EXPECT_EQ(left.first, cx - 500);
    EXPECT_EQ(left.second, cy - 60);
    EXPECT_EQ(w.txtTempo1.Text(), editor().txtTempo.Text());
}

}  // namespace
}  // namespace velt::desk

namespace velt::desk {
namespace {

class WizardPictures : public WizardTest {};

// The page picture tells where the page lies on the road taken, not the page's own number.
TEST_F(WizardPictures, EachPageShowsItsPlaceOnTheRoad) {
    frmWizard& w = wizard();
    addAudio(wave("one.wav"));
    w.optWave(2).setValue(true);  // an audio file; instruments unknown, easy timing
    const WizardStep road[] = {WizardStep::AudioSource,     WizardStep::AudioFile,
                               WizardStep::WhatInstruments, WizardStep::OutputPatch,
                               WizardStep::TimingSetting,   WizardStep::MidiFileName,
                               WizardStep::Finish};
    for (int i = 0; i < 7; ++i) {
        if (road[i] == WizardStep::AudioFile)
            ui.expectFileDialog({.title = "Select Audio File"}).cancel();
        w.ShowStep(road[i]);
        const ui::Picture shown = w.imgStep(PageOf(road[i])).getPicture();
        ASSERT_FALSE(shown.empty()) << road[i];
        EXPECT_EQ(*shown.image(), *WizardRoadPicture({i + 1, 7}).image()) << road[i];
        // Not the page's own number.
        if (PageOf(road[i]) != i + 1) {
            EXPECT_NE(*shown.image(), *WizardRoadPicture({PageOf(road[i]), 7}).image()) << road[i];
        }
    }
    // Back to the second step: it is step 2 again, and the road ahead is counted anew.
    ui.expectFileDialog({.title = "Select Audio File"}).cancel();
    w.ShowStep(WizardStep::AudioFile);
    EXPECT_EQ(*w.imgStep(PageOf(WizardStep::AudioFile)).getPicture().image(),
              *WizardRoadPicture({2, 7}).image());
}

}  // namespace
}  // namespace velt::desk
