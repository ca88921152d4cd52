// The wizard's Next checks, the score-building start, and how it ends: Cancel, the close box and
// Finish, seen from the main window as well.
#include <filesystem>
#include <vector>

#include "desk/media/frm_cd.h"
#include "desk/media/frm_record.h"
#include "main_window_fixture.h"
#include "wizard_fixture.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;
using test_boxes::Box;

class WizardFlow : public WizardTest {};

constexpr const char* kNoAudio =
    "You must record or select a supported audio file before continuing.";

TEST_F(WizardFlow, NextRefusesWithoutAUsableAudioFileAndCommitsNothing) {
    frmWizard& w = wizard();
    const std::string take = wave("take.wav");
    for (WizardStep step : {WizardStep::RecordAudio, WizardStep::AudioFile}) {
        if (step == WizardStep::AudioFile)
            ui.expectFileDialog({.title = "Select Audio File"}).cancel();
        w.ShowStep(step);
        ui.expectBox(Box(kNoAudio, "Project Wizard", 48)).answer(ui::OK);
        w.cmdNav_Click(3);
        EXPECT_EQ(w.CurrentStep, step);
        EXPECT_TRUE(w.fraStep(PageOf(step)).Visible()) << step;  // no CommitStep: the page stays
    }
    // A file that failed inspection is refused as well.
    addAudio(take);
    G().AudioFileValid = false;
    ui.expectFileDialog({.title = "Select Audio File"}).cancel();
    w.ShowStep(WizardStep::AudioFile);
    ui.expectBox(Box(kNoAudio, "Project Wizard", 48)).answer(ui::OK);
    w.cmdNav_Click(3);
    EXPECT_EQ(w.CurrentStep, WizardStep::AudioFile);
    G().AudioFileValid = true;
    w.cmdNav_Click(3);
    EXPECT_EQ(w.CurrentStep, WizardStep::WhatInstruments);
}

TEST_F(WizardFlow, RecordedFilesAreHandedOver) {
    const std::string recorded = wave("recorded.wav");
    const std::string take = (dir / "take.wav").string();
    struct Case {
        int source;
        std::vector<WizardStep> stepsBeforeAudio;  // Next from step 1 on, until the audio page
    } cases[] = {{0, {WizardStep::Metronome, WizardStep::RecordAudio}},
                 {1, {WizardStep::RecordAudio}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        frmWizard& w = wizard();
        w.optWave(c.source).setValue(true);
        for (WizardStep step : c.stepsBeforeAudio) {
            w.cmdNav_Click(3);
            ASSERT_EQ(w.CurrentStep, step);
        }
        EXPECT_TRUE(ui::isLoaded<frmRecord>());
        // A take as the recorder leaves it, saved through the page's Save.
        frmRecord& r = ui::forms::get<frmRecord>();
        fs::copy_file(recorded, r.TakePath(), fs::copy_options::overwrite_existing);
        ui.expectFileDialog({.title = "Save Wave File As"}).choose(take);
        w.cmdSave_Click();
        EXPECT_EQ(w.lblFileName.Caption(), r.lblFileName.Caption());
        EXPECT_EQ(w.CurrentStep, c.stepsBeforeAudio.back());
        w.cmdNav_Click(3);
        EXPECT_EQ(w.CurrentStep, WizardStep::WhatInstruments);
        EXPECT_FALSE(ui::isLoaded<frmRecord>());
        EXPECT_EQ(editor().cboAudioFile.ListCount(), 1);
        EXPECT_EQ(editor().CurrentAudioFile, take);
        EXPECT_EQ(editor().chkEntireRange.Value(), 1);
        ui::forms::releaseAll();
        fs::remove(take);
    }
}

TEST_F(WizardFlow, TheCdPageWaitsForATransferUnderWay) {
    frmWizard& w = wizard();
    w.ShowStep(WizardStep::CdTransfer);
    w.StatusBarCD.setText("Transferring track 2... 40%");
    ui.expectBox(Box("Please wait until CD track finishes transferring.", "Project Wizard", 48))
        .answer(ui::OK);
    w.cmdNav_Click(3);
    EXPECT_EQ(w.CurrentStep, WizardStep::CdTransfer);
}

TEST_F(WizardFlow, TheExampleEnsembleIsConfirmedOrExplained) {
    frmWizard& w = wizard();
    addAudio(wave("take.wav"));
    const std::string question =
        "You have selected the example ensemble, which means your original audio contains piano "
        "and organ.  Is this correct?";
    for (ui::Answer answer : {ui::No, ui::Yes}) {
        w.optFilter(1).setValue(true);
        w.ShowStep(WizardStep::Ensemble);
        editor().txtPatchMap.setText("Example - Piano and Organ");
        auto match = Box(question, "Project Wizard", 48);
        match.defaultAnswer = ui::No;
        ui.expectBox(match).answer(answer);
        if (answer == ui::No)
            ui.expectBox(Box("Click Browse to select an ensemble, or click Edit to create your "
                             "own ensemble.",
                             "Project Wizard", 64))
                .answer(ui::OK);
        w.cmdNav_Click(3);
        if (answer == ui::No)
            EXPECT_EQ(w.CurrentStep, WizardStep::Ensemble);
        else
            EXPECT_NE(w.CurrentStep, WizardStep::Ensemble);
    }
}

TEST_F(WizardFlow, TappingPageRefusesTheUntouchedTempo) {
    frmWizard& w = wizard();
    addAudio(wave("take.wav"));
    w.ShowStep(WizardStep::TapTempo);
    w.chkTempoDetect.setEnabled(false);
    w.txtTempo1.setText("120");
    ui.expectBox(Box("Click the Play button to start playing the audio file, then tap the "
                     "Space Bar along with the beat of the music.",
                     "Project Wizard", 48))
        .answer(ui::OK);
    w.cmdNav_Click(3);
    EXPECT_EQ(w.CurrentStep, WizardStep::TapTempo);
    w.txtTempo1.setText("121");
    EXPECT_EQ(editor().txtTempo.Text(), "121");
    w.cmdNav_Click(3);
    EXPECT_NE(w.CurrentStep, WizardStep::TapTempo);
}

TEST_F(WizardFlow, ExistingMidiFilesAreReplacedOnlyWhenConfirmed) {
    frmWizard& w = wizard();
    addAudio(wave("one.wav"));
    addAudio(wave("two.wav"));
    ASSERT_EQ(editor().cboMidiFile.ListCount(), 2);
    for (int i = 1; i <= 2; ++i) test::writeFile(editor().MidiFile(i), "MThd");
    w.ShowStep(WizardStep::MidiFileName);
    auto two = Box("2 of the MIDI files already exist.  Do you want to replace existing files?",
                   "Converter", 32);
    two.defaultAnswer = ui::No;
    ui.expectBox(two).answer(ui::No);
    w.cmdNav_Click(3);
    EXPECT_EQ(w.CurrentStep, WizardStep::MidiFileName);
    // One left: the question names it; Yes goes on to the end.
    fs::remove(editor().MidiFile(1));
    ui.expectBox(Box("The file '" + editor().MidiFile(2) +
                         "' already exists.  Do you want to replace existing file?",
                     "Converter", 32))
        .answer(ui::Yes);
    w.cmdNav_Click(3);
    EXPECT_EQ(w.CurrentStep, WizardStep::Finish);
}

TEST_F(WizardFlow, BackNeverValidatesAndHelpOnlyOpensItsTopic) {
    frmWizard& w = wizard();
    w.cmdNav_Click(0);
    EXPECT_EQ(ui.helpCalls(), std::vector<long>{120});
    EXPECT_EQ(w.CurrentStep, WizardStep::AudioSource);
    w.ShowStep(WizardStep::RecordAudio);  // the record page without audio: Next would refuse
    w.optWave(1).setValue(true);
    w.cmdNav_Click(2);
    EXPECT_EQ(w.CurrentStep, WizardStep::AudioSource);
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(WizardFlow, ScoreBuildingStartsAtTheMasterFileStepOnce) {
    Global& g = G();
    g.ResultAction = 5;
    g.ScoreBuilderMaster = (dir / "last result.mid").string();
    // The last result: one note on one channel, as the conversion writes it.
    const std::string csv = (dir / "last result.csv").string();
    test::writeFile(csv,
                    "0, 0, Header, 1, 1, 480\n1, 0, Start_track\n1, 0, Program_c, 0, 73\n"
                    "1, 0, Note_on_c, 0, 60, 90\n1, 480, Note_off_c, 0, 60, 0\n"
                    "1, 480, End_track\n0, 0, End_of_file\n");
    ASSERT_EQ(test::runCommand("csvmidi " + test::shellQuote(csv) + " " +
                               test::shellQuote(g.ScoreBuilderMaster))
                  .exitCode,
              0);
    frmWizard& w = wizard();
    EXPECT_EQ(w.CurrentStep, WizardStep::MasterFile);
    EXPECT_EQ(g.MasterFile, g.ScoreBuilderMaster);
    EXPECT_EQ(g.RecMasterFile, g.ScoreBuilderMaster);  // the recorder's master
    EXPECT_EQ(w.txtMasterFile.Text(), ui::forms::get<frmRecord>().txtMasterFile.Text());
    EXPECT_EQ(w.txtMasterFile.Text(), "last result");
    EXPECT_TRUE(w.optWave(0).Value());
    EXPECT_TRUE(w.optFilter1(1).Value());
    EXPECT_TRUE(ui::isLoaded<frmRecord>());
    // Used once: the next start is a plain one.
    EXPECT_EQ(g.ResultAction, 0);
    w.cmdNav_Click(2);
    EXPECT_EQ(w.CurrentStep, WizardStep::AudioSource);
    EXPECT_FALSE(ui::isLoaded<frmRecord>());
    ui::Unload<frmWizard>();
    ui::Release<frmWizard>();
    EXPECT_EQ(wizard().CurrentStep, WizardStep::AudioSource);
}

// Seen from the main window: what the wizard leaves behind when it ends.
class WizardEnds : public MainWindowTest {
  protected:
    frmMain& main() {
        for (const char* file : {"filter.txt", "percussion.txt"})
            fs::copy_file(test::sourceDir() / "data" / file, fs::path(G().InstallFolder) / file);
        frmMain& f = start();
        f.recognize = [this] {
            ++converts;
            G().WizardRunning = false;
        };
        return f;
    }
    // No window that the wizard drove stays loaded, and the closing flag is down again.
    void expectNothingLeft() {
        EXPECT_FALSE(ui::isLoaded<frmProperties>());
        EXPECT_FALSE(ui::isLoaded<frmRecord>());
        EXPECT_FALSE(ui::isLoaded<frmCD>());
        EXPECT_EQ(ui::forms::existing<frmWizard>(), nullptr);
        EXPECT_FALSE(G().WizardClosing);
        EXPECT_FALSE(G().WizardRunning);
    }
    int converts = 0;
    test_audio::FakeAudioInput meter;  // the recorder's level meter listens to it
};

TEST_F(WizardEnds, CancelAsksAndOnlyYesEnds) {
    frmMain& f = main();
    const std::string take = wave("take.wav");
    const std::string question =
        "Your MIDI file has not yet been created!  You need to complete every step in this wizard "
        "and then click the Finish button to generate the MIDI file.  Are you sure you want to "
        "cancel this wizard?";
    ui.onModal<frmWizard>([&](frmWizard& w, ui::test::User& u) {
        auto match = Box(question, G().AppTitle, 32);
        match.defaultAnswer = ui::No;
        ui.expectBox(match).answer(ui::No);
        u.click(w.cmdNav(1));
        EXPECT_TRUE(w.loaded());
        EXPECT_EQ(w.CurrentStep, WizardStep::AudioSource);
        // Applied in the Project Editor on the way: still nothing may convert after a Cancel.
        w.optWave(2).setValue(true);
        ui.expectFileDialog({.title = "Select Audio File"}).choose(take);
        u.click(w.cmdNav(3));
        ui.onModal<frmProperties>([](frmProperties& p, ui::test::User& pu) {
            p.cmdApply.setEnabled(true);
            pu.click(p.cmdApply);
            pu.closeBox(p);
        });
        w.ShowStep(WizardStep::Finish);
        u.click(w.cmdProp);
        EXPECT_TRUE(G().SettingsApplied);
        EXPECT_TRUE(G().AudioFileValid);
        ui.expectBox(match).answer(ui::Yes);
        u.click(w.cmdNav(1));
    });
    ui.user().toolbar(f.Toolbar, "New");
    G().ProjectChanged = false;  // the applied settings stay in the project, unsaved
    EXPECT_EQ(converts, 0);
    EXPECT_FALSE(G().AudioFileValid);
    EXPECT_FALSE(G().SettingsApplied);
    EXPECT_FALSE(f.mnuProject.Enabled());
    EXPECT_FALSE(f.Toolbar.Buttons("Edit Project").Enabled());
    expectNothingLeft();
}

TEST_F(WizardEnds, TheCloseBoxEndsCleanlyOnAnyStep) {
    frmMain& f = main();
    const std::string take = wave("take.wav");
    for (WizardStep step : {WizardStep::Metronome, WizardStep::CdTransfer, WizardStep::TapTempo,
                            WizardStep::Finish}) {
        ui.onModal<frmWizard>([&](frmWizard& w, ui::test::User& u) {
            if (step == WizardStep::Metronome) {
                w.optWave(0).setValue(true);
                u.click(w.cmdNav(3));  // loads the recorder
                EXPECT_TRUE(ui::isLoaded<frmRecord>());
            } else {
                w.ShowStep(step);
            }
            if (step == WizardStep::Finish) {
                // A usable file and applied settings: only Finish may convert them.
                frmProperties& p = ui::forms::get<frmProperties>();
                p.CurrentAudioFile = take;
                p.AddToFileList();
                EXPECT_TRUE(G().AudioFileValid);
            }
            G().SettingsApplied = true;
            u.closeBox(w);
        });
        ui.user().menu(f.mnuNew);
        G().ProjectChanged = false;
        EXPECT_EQ(converts, 0) << step;
        EXPECT_FALSE(G().SettingsApplied) << step;
        expectNothingLeft();
    }
}

}  // namespace
}  // namespace velt::desk

namespace velt::desk {
namespace {

class WizardCommit : public WizardTest {};

TEST_F(WizardCommit, LeavingAStepWritesItsChoices) {
    frmWizard& w = wizard();
    frmProperties& p = editor();
    addAudio(wave("take.wav"));

    // Step 1: real time has no audio file; it and recording directly mean one instrument.
    w.optWave(3).setValue(true);
    w.cmdNav_Click(3);
    EXPECT_EQ(w.CurrentStep, WizardStep::WhatInstruments);
    EXPECT_EQ(p.cboAudioFile.ListCount(), 0);
    EXPECT_TRUE(w.optFilter1(1).Value());
    w.cmdNav_Click(2);
    w.optWave(2).setValue(true);
    ui.expectFileDialog({.title = "Select Audio File"}).cancel();
    w.cmdNav_Click(3);
    EXPECT_EQ(w.CurrentStep, WizardStep::AudioFile);
    EXPECT_TRUE(w.optFilter1(0).Value());

    // Step 15 with "I know": one instrument, its polyphony handed over, stereo mixed.
    w.optFilter(1).setValue(true);
    w.CurrentStep = WizardStep::WhatInstruments;
    w.txtPitchMode.setText("6");
    p.optStereo(2).setValue(true);
    w.cmdNav_Click(3);
    EXPECT_EQ(w.CurrentStep, WizardStep::OriginalInstrument);
    EXPECT_TRUE(w.optFilter1(1).Value());
    EXPECT_TRUE(p.optStereo(0).Value());

    // Step 5: monophonic instruments on separate tracks are split with polyphony 1.
    struct Case {
        int types;
        std::string polyphony;
        int stereo;
    } cases[] = {{2, "1", 1}, {0, "4", 0}};
    for (const Case& c : cases) {
        w.ShowStep(WizardStep::InstrumentTypes);
        w.optFilter1(c.types).setValue(true);
        w.txtPitchMode.setText("4");
        w.CommitStep();
        EXPECT_EQ(p.txtPitchMode.Text(), c.polyphony) << c.types;
        EXPECT_TRUE(p.optStereo(c.stereo).Value()) << c.types;
    }

    // Step 14: notation for one known instrument lowers the output threshold.
    w.optFilter(1).setValue(true);
    w.optFilter1(1).setValue(true);
    p.sldOutputThreshold.setValue(-30);
    w.ShowStep(WizardStep::TimingSetting);
    w.optSync(1).setValue(true);
    w.CommitStep();
    EXPECT_EQ(p.sldOutputThreshold.Value(), -14);
}

}  // namespace
}  // namespace velt::desk
