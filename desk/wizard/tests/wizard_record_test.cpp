// The metronome and record pages over the hidden recorder: the recorder validates the page's
// boxes, Keep hands tempo and beats to the settings dialog, and the level meter is mirrored.
#include "desk/media/frm_record.h"
#include "wizard_fixture.h"

namespace velt::desk {
namespace {

class WizardRecord : public WizardTest {};

TEST_F(WizardRecord, TheMetronomePageKeepsItsTempoThroughTheRecorder) {
    frmWizard& w = wizard();
    w.optWave(0).setValue(true);
    w.cmdNav_Click(3);
    ASSERT_EQ(w.CurrentStep, WizardStep::Metronome);
    frmRecord& rec = ui::forms::get<frmRecord>();
    EXPECT_EQ(w.txtTempo.Text(), rec.txtTempo.Text());
    struct Case {
        const char* typed;
        std::string shown;  // as the recorder's validation leaves it
    } cases[] = {{"90", "90"}, {"2", "5"}};
    for (const Case& c : cases) {
        w.txtTempo.setText(c.typed);
        w.txtTempo_LostFocus();
        EXPECT_EQ(w.txtTempo.Text(), c.shown) << c.typed;
        EXPECT_EQ(rec.txtTempo.Text(), c.shown) << c.typed;
        EXPECT_EQ(w.WizardTempo, rec.RecordTempo) << c.typed;
    }
    w.txtTempo.setText("96");
    w.txtTempo_LostFocus();
    w.txtTimeNum.setText("3");
    w.txtTimeNum_LostFocus();
    w.cmdNav_Click(3);
    EXPECT_EQ(w.CurrentStep, WizardStep::RecordAudio);
    EXPECT_EQ(editor().txtTempo.Text(), "96");
    EXPECT_EQ(editor().txtTimeNum.Text(), "3");
    EXPECT_TRUE(w.picMetronome.Visible());  // recording directly: the metronome light
    EXPECT_FALSE(w.cmdCDPlayer.Visible());
}

TEST_F(WizardRecord, TheRecordPageMirrorsTheLevelMeter) {
    frmWizard& w = wizard();
    w.optWave(1).setValue(true);
    w.cmdNav_Click(3);
    ASSERT_EQ(w.CurrentStep, WizardStep::RecordAudio);
    frmRecord& rec = ui::forms::get<frmRecord>();
    EXPECT_EQ(w.fraLevel.Visible(), rec.fraLevel.Enabled());
    EXPECT_TRUE(w.cmdCDPlayer.Visible());  // a cassette may come from a CD player too
    EXPECT_FALSE(w.picMetronome.Visible());
    meter.level = 16000;
    ui.advance(1000);
    EXPECT_EQ(w.shpForeground.Top(), rec.shpForeground.Top());
    EXPECT_EQ(w.shpForeground.Height(), rec.shpForeground.Height());
    EXPECT_GT(w.shpForeground.Height(), 0);
    EXPECT_EQ(w.lineThres.Y1(), rec.lineThres.Y1());
    // Back leaves the record pages: the recorder goes and the meter with it.
    w.cmdNav_Click(2);
    EXPECT_EQ(w.CurrentStep, WizardStep::AudioSource);
    EXPECT_FALSE(ui::isLoaded<frmRecord>());
    EXPECT_FALSE(w.fraLevel.Visible());
}

}  // namespace
}  // namespace velt::desk
