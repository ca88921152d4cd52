// The timing pages: tapping the tempo over the settings dialog's playback, the Tap Extender after
// Stop, the counter for every outcome of a take, the easy and notation choices, the tempo needle,
// the MIDI name list and the project editor button.
#include "desk/settings/frm_tapper.h"
#include "platform/wave_io/clock_wave_out.h"
#include "wizard_fixture.h"

namespace velt::desk {
namespace {

using test_boxes::Box;

constexpr int kExclamation = 48;

class WizardTiming : public WizardTest {
  protected:
    void SetUp() override {
        WizardTest::SetUp();
        platform::wave_out::useDevices(&output);
    }
    void TearDown() override {
        WizardTest::TearDown();
        platform::wave_out::useDevices(nullptr);
    }

    // Step 9 over a plucked tone of `seconds`, playing, one second in.
    frmWizard& playing(int seconds = 8) {
        const std::string tone = (dir / "tone.wav").string();
        EXPECT_EQ(
            test::runCommand("sox -D -n -r 44100 -b 16 -c 1 -t wav " + test::shellQuote(tone) +
                             " synth " + std::to_string(seconds) + " pluck 330")
                .exitCode,
            0);
        frmWizard& w = wizard();
        addAudio(tone);
        w.optSync(1).setValue(true);
        w.ShowStep(WizardStep::TapTempo);
        w.cmdPlay_Click();
        EXPECT_TRUE(w.cmdStop.Enabled());
        ui.advance(1000);
        return w;
    }
    // Taps `count` times, `gapMs` apart; returns the counter after each tap.
    std::vector<std::string> tap(frmWizard& w, int count, int gapMs = 500) {
        std::vector<std::string> shown;
        for (int i = 0; i < count; ++i) {
            if (i > 0) ui.advance(gapMs);
            w.cmdTempoTapper_Click();
            shown.push_back(w.lblBeatCountVal.Caption());
        }
        return shown;
    }
    // Answers the Tap Extender with both boxes ticked; counts how often it opened.
    void extenderTicksBoth() {
        ui.onModal<frmTapper>([this](frmTapper& t, ui::test::User& u) {
            ++extenderShown;
            t.chkStart.setValue(1);
            t.chkEnd.setValue(1);
            u.click(t.cmdOK);
        });
    }

    platform::wave_out::ClockWaveOut output{&ui::runtime().clock()};
    int extenderShown = 0;
};

TEST_F(WizardTiming, FourTapsHalfASecondApartGiveTempo120AndStopExtendsThem) {
    frmWizard& w = playing();
    EXPECT_EQ(tap(w, 4), (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(w.txtTempo1.Text(), "120");
    extenderTicksBoth();
    w.cmdStop_Click();
    EXPECT_EQ(extenderShown, 1);
    EXPECT_EQ(w.lblBeatCountVal.Caption(), "4");
    EXPECT_EQ(w.txtTempo1.Text(), "120");
    EXPECT_EQ(editor().txtStartPoint.Text(), "00:00:00");  // extended to the start
    EXPECT_FALSE(editor().WorkTaps.empty());
    EXPECT_TRUE(w.cmdPlay.Enabled());
    EXPECT_FALSE(w.cmdStop.Enabled());
    EXPECT_FALSE(w.cmdTempoTapper.Enabled());
    EXPECT_FALSE(ui::isLoaded<frmTapper>());

    // The end-of-playback notice arriving after the user's Stop finds nothing to stop: the
    // Extender stays closed and the kept taps are not padded again.
    const std::string taps = editor().WorkTaps;
    const std::string start = editor().txtStartPoint.Text();
    editor().MMControl_Done(1);
    EXPECT_EQ(extenderShown, 1);
    EXPECT_EQ(editor().WorkTaps, taps);
    EXPECT_EQ(editor().txtStartPoint.Text(), start);
    EXPECT_EQ(w.lblBeatCountVal.Caption(), "4");
    EXPECT_EQ(w.txtTempo1.Text(), "120");
    EXPECT_TRUE(w.cmdPlay.Enabled());
}

TEST_F(WizardTiming, TheAudioEndingByItselfActsAsStop) {
    frmWizard& w = playing(3);
    tap(w, 4);
    extenderTicksBoth();
    ui.advance(3000);  // past the end of the tone
    EXPECT_EQ(extenderShown, 1);
    EXPECT_EQ(w.lblBeatCountVal.Caption(), "4");
    EXPECT_FALSE(w.cmdStop.Enabled());
    EXPECT_TRUE(w.cmdPlay.Enabled());
}

TEST_F(WizardTiming, TakesThatKeepNoTapsLeaveTheCounterAsTheyEnd) {
    struct Case {
        const char* name;
        int taps;
        int gapMs;
        const char* box;  // "" for none
        long help;
        std::string counter;
    } cases[] = {
        {"no taps", 0, 0, "", 0, ""},
        {"one tap", 1, 0, "Not enough taps.  New tempo recording will be discarded.", 115, "1"},
        {"a gap too long", 2, 70000,
         "You waited too long between taps.  New tempo recording will be discarded.", 114, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        frmWizard& w = playing(120);
        if (*c.box) ui.expectBox(Box(c.box, "Project", kExclamation, c.help)).answer(1);
        tap(w, c.taps, c.gapMs);
        w.cmdStop_Click();
        EXPECT_EQ(w.lblBeatCountVal.Caption(), c.counter);
        EXPECT_EQ(w.txtTempo1.Text(), "120");
        EXPECT_TRUE(w.cmdPlay.Enabled());
        EXPECT_FALSE(w.cmdStop.Enabled());
        EXPECT_FALSE(w.cmdTempoTapper.Enabled());
        ui::forms::releaseAll();
    }
}

TEST_F(WizardTiming, EasyThenNotationLeavesAutoDetectDisabled) {
    frmWizard& w = wizard();
    w.optSync(0).setValue(true);
    EXPECT_EQ(editor().chkTempoDetect.Value(), 1);
    EXPECT_FALSE(editor().chkTempoDetect.Enabled());
    EXPECT_FALSE(w.chkTempoDetect.Enabled());
    w.optSync(1).setValue(true);
    EXPECT_EQ(editor().chkTempoDetect.Value(), 0);
    EXPECT_FALSE(editor().chkTempoDetect.Enabled());
    EXPECT_FALSE(w.chkTempoDetect.Enabled());
}

TEST_F(WizardTiming, TheTempoBoxIsValidatedByTheDialogAndMovesTheNeedle) {
    frmWizard& w = wizard();
    w.ShowStep(WizardStep::TapTempo);
    struct Case {
        const char* typed;
        const char* shown;
    } cases[] = {{"400", "400"}, {"2000", "1080"}, {"2", "5"}};
    for (const Case& c : cases) {
        w.txtTempo1.setText(c.typed);
        EXPECT_EQ(w.txtTempo1.Text(), c.shown) << c.typed;
        EXPECT_EQ(editor().txtTempo.Text(), c.shown) << c.typed;
    }
    w.txtTempo1.setText("400");
    const auto [cx, cy] = dialCentre(w.gauTempo1);
    EXPECT_EQ(w.gauTempoLine1.X1(), cx + 500);
    EXPECT_EQ(w.gauTempoLine1.Y1(), cy - 60);
}

TEST_F(WizardTiming, TheMidiNamesAreChosenOnlyThroughTheBrowseDialog) {
    frmWizard& w = wizard();
    addAudio(wave("one.wav"));
    w.ShowStep(WizardStep::MidiFileName);
    w.Show();
    ASSERT_EQ(w.cboMidiFile.ListCount(), 1);
    const std::string name = w.cboMidiFile.List(0);
    ui::test::User u = ui.user();
    EXPECT_TRUE(u.type(w.cboMidiFile, "x"));
    EXPECT_EQ(w.cboMidiFile.Text(), name);
    const std::string chosen = (dir / "chosen.mid").string();
    ui.expectFileDialog().choose(chosen);
    w.cboMidiFile.DblClick.call();
    EXPECT_EQ(w.cboMidiFile.List(0), editor().cboMidiFile.List(0));
    EXPECT_NE(w.cboMidiFile.List(0), name);
    EXPECT_EQ(w.cboMidiFile.ListIndex(), 0);
}

TEST_F(WizardTiming, TheProjectEditorOpensModallyAndStaysLoadedHidden) {
    frmWizard& w = wizard();
    bool shown = false;
    ui.onModal<frmProperties>([&](frmProperties& p, ui::test::User& u) {
        shown = true;
        u.closeBox(p);
    });
    w.cmdProp_Click();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(ui::isLoaded<frmProperties>());
    EXPECT_FALSE(editor().Visible());
}

}  // namespace
}  // namespace velt::desk
