// Tapping the tempo on the wizard's page: the settings dialog plays and counts, the page shows
// the count and the tempo, and Stop brings up the Tap Extender before the tempo comes back.
#include "desk/settings/frm_tapper.h"
#include "installed_devices.h"
#include "platform/wave_io/clock_wave_out.h"
#include "wizard_fixture.h"

namespace velt::desk {
namespace {

// The audio plays on the clock-time output double, installed until the windows are gone.
class WizardTapping : public WizardTest {
  protected:
    test::InstalledDevices<platform::wave_out::ClockWaveOut> output{&ui::runtime().clock()};
};

TEST_F(WizardTapping, TapsSetTheTempoAndStopOffersToExtendThem) {
    const std::string tone = (dir / "tone.wav").string();
    ASSERT_EQ(test::runCommand("sox -D -n -r 44100 -b 16 -c 1 -t wav " + test::shellQuote(tone) +
                               " synth 4 pluck 440")
                  .exitCode,
              0);
    frmWizard& w = wizard();
    addAudio(tone);
    w.optSync(1).setValue(true);  // notation: the tempo is tapped
    w.ShowStep(WizardStep::TapTempo);
    ASSERT_TRUE(w.cmdPlay.Enabled());
    w.cmdPlay_Click();
    EXPECT_TRUE(w.cmdStop.Enabled());
    EXPECT_TRUE(w.cmdTempoTapper.Enabled());
    ui.advance(1000);
    for (int tap = 0; tap < 4; ++tap) {
        if (tap > 0) ui.advance(400);
        w.cmdTempoTapper_Click();
        EXPECT_EQ(w.lblBeatCountVal.Caption(), std::to_string(editor().TapCount));
    }
    bool extenderShown = false;
    ui.onModal<frmTapper>([&](frmTapper& t, ui::test::User& u) {
        extenderShown = true;
        u.click(t.cmdOK);
    });
    w.cmdStop_Click();
    EXPECT_TRUE(extenderShown);
    EXPECT_EQ(w.txtTempo1.Text(), "150");
    EXPECT_EQ(editor().txtTempo.Text(), "150");
    EXPECT_EQ(w.lblBeatCountVal.Caption(), std::to_string(editor().TapStatus));
    EXPECT_FALSE(w.cmdStop.Enabled());
    EXPECT_TRUE(w.cmdPlay.Enabled());
    EXPECT_FALSE(ui::isLoaded<frmTapper>());
    // The tapped tempo passes Next's check.
    w.cmdNav_Click(3);
    EXPECT_NE(w.CurrentStep, WizardStep::TapTempo);
}

}  // namespace
}  // namespace velt::desk
