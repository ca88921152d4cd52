// The wizard's metronome page (step 2) and tapping page (step 9) typed into key by key: the
// number on its way stays as typed and its needle stays on the dial, the hidden window behind the
// page checks the box when it is left (Tab, Next, Enter on Next), and Next hands over what was
// typed. The default record road is walked with keys only, a take recorded and stopped.
#include "desk/media/frm_record.h"
#include "installed_devices.h"
#include "platform/wave_io/fake_wave_in.h"
#include "window_user.h"
#include "wizard_fixture.h"

namespace velt::desk {
namespace {

class TypedByKeys : public WizardTest {};

struct Case {
    const char* keys;   // typed as the box takes the focus (its whole text selected)
    const char* typed;  // the text after the last key: nothing is checked yet
    ui::Key leave;
    const char* shown;
    float tempo;  // the tempo the window behind the page holds afterwards
};

TEST_F(TypedByKeys, WizardMetronomePage) {
    frmWizard& w = wizard();
    w.Show();
    ui::test::User u = ui.user();
    ASSERT_TRUE(u.click(w.optWave(0)));  // record directly, to the metronome
    ASSERT_TRUE(u.click(w.cmdNav(3)));
    ASSERT_EQ(w.CurrentStep, WizardStep::Metronome);
    frmRecord& rec = ui::forms::get<frmRecord>();

    const Case cases[] = {
        {"120", "120", ui::Key::Tab, "120", 120}, {"100", "100", ui::Key::Tab, "100", 100},
        {"40", "40", ui::Key::Tab, "40", 40},     {"\b\b1\b45", "45", ui::Key::Tab, "45", 45},
        {"3", "3", ui::Key::Tab, "5", 5},         {"2000", "2000", ui::Key::Tab, "1080", 1080},
        {"\b", "", ui::Key::Tab, "5", 5},         {"9x6", "96", ui::Key::ShiftTab, "96", 96},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        if (w.ActiveControl() == &w.txtTempo) u.focus(w.txtTimeNum);
        const std::string recorderBefore = rec.txtTempo.Text();
        ASSERT_TRUE(u.type(w.txtTempo, c.keys));
        EXPECT_EQ(w.txtTempo.Text(), c.typed);
        EXPECT_EQ(rec.txtTempo.Text(), recorderBefore);  // nothing checked or handed on yet
        const double x = w.gauTempoLine.X1(), y = w.gauTempoLine.Y1();
        u.key(w.txtTempo, c.leave);
        EXPECT_EQ(w.txtTempo.Text(), c.shown);
        EXPECT_EQ(rec.txtTempo.Text(), c.shown);
        EXPECT_FLOAT_EQ(rec.RecordTempo, c.tempo);
        EXPECT_FLOAT_EQ(w.WizardTempo, c.tempo);
        // The needle followed the typing, held to the dial as the checked tempo is.
        if (std::string(c.typed) == "3" || std::string(c.typed) == "2000") {
            EXPECT_EQ(w.gauTempoLine.X1(), x);
            EXPECT_EQ(w.gauTempoLine.Y1(), y);
        }
    }
    struct Beats {
        const char* keys;
        const char* typed;
        const char* shown;
    } beats[] = {{"12", "12", "12"}, {"0", "0", "1"}, {"150", "150", "99"}, {"3", "3", "3"}};
    for (const Beats& b : beats) {
        SCOPED_TRACE(b.keys);
        u.focus(w.txtTempo);
        ASSERT_TRUE(u.type(w.txtTimeNum, b.keys));
        EXPECT_EQ(w.txtTimeNum.Text(), b.typed);
        u.key(w.txtTimeNum, ui::Key::Tab);
        EXPECT_EQ(w.txtTimeNum.Text(), b.shown);
        EXPECT_EQ(rec.txtTimeNum.Text(), b.shown);
    }

    // Enter presses Next, which leaves the box: what was typed reaches the settings dialog.
    ASSERT_TRUE(u.type(w.txtTempo, "144"));
    u.key(w.txtTempo, ui::Key::Enter);
    EXPECT_EQ(w.CurrentStep, WizardStep::RecordAudio);
    EXPECT_EQ(editor().txtTempo.Text(), "144");
    EXPECT_EQ(editor().txtTimeNum.Text(), "3");
}

TEST_F(TypedByKeys, WizardTappingPage) {
    frmWizard& w = wizard();
    addAudio(wave("song.wav"));
    w.optSync(1).setValue(true);  // notation: the tempo is tapped or typed
    w.Show();
    w.ShowStep(WizardStep::TapTempo);
    ASSERT_EQ(w.CurrentStep, WizardStep::TapTempo);
    ui::test::User u = ui.user();
    frmProperties& p = editor();

    const Case cases[] = {
        {"120", "120", ui::Key::Tab, "120", 120}, {"100", "100", ui::Key::Tab, "100", 100},
        {"40", "40", ui::Key::Tab, "40", 40},     {"\b\b1\b45", "45", ui::Key::Tab, "45", 45},
        {"3", "3", ui::Key::Tab, "5", 5},         {"2000", "2000", ui::Key::Tab, "1080", 1080},
        {"\b", "", ui::Key::Tab, "1080", 1080},   {"1a2b0", "120", ui::Key::Tab, "120", 120},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        if (w.ActiveControl() == &w.txtTempo1) u.focus(w.cmdNav(2));
        const std::string editorBefore = p.txtTempo.Text();
        ASSERT_TRUE(u.type(w.txtTempo1, c.keys));
        EXPECT_EQ(w.txtTempo1.Text(), c.typed);
        EXPECT_EQ(p.txtTempo.Text(), editorBefore);
        const double x = w.gauTempoLine1.X1(), y = w.gauTempoLine1.Y1();
        u.key(w.txtTempo1, c.leave);
        EXPECT_EQ(w.txtTempo1.Text(), c.shown);
        EXPECT_EQ(p.txtTempo.Text(), c.shown);
        EXPECT_FLOAT_EQ(p.WorkTempo, c.tempo);
        if (std::string(c.typed) == "3" || std::string(c.typed) == "2000") {
            EXPECT_EQ(w.gauTempoLine1.X1(), x);
            EXPECT_EQ(w.gauTempoLine1.Y1(), y);
        }
    }

    ASSERT_TRUE(u.type(w.txtTempo1, "96"));
    ASSERT_TRUE(u.click(w.cmdNav(3)));
    EXPECT_NE(w.CurrentStep, WizardStep::TapTempo);
    EXPECT_EQ(p.txtTempo.Text(), "96");
    EXPECT_FLOAT_EQ(p.WorkTempo, 96);
}

// "Record directly" as it stands, Next twice and the take, all by keys on the focused widget:
// Tab reaches Next and the button bar, Space presses them, Enter stops the take.
TEST_F(TypedByKeys, WizardDefaultRecordRoadByKeysOnly) {
    test::InstalledDevices<platform::wave_in::FakeWaveIn> input;
    frmWizard& w = wizard();
    w.Show();
    test_keys::activate(w);
    ASSERT_TRUE(w.optWave(0).Value());
    for (WizardStep next : {WizardStep::Metronome, WizardStep::RecordAudio}) {
        ASSERT_TRUE(test_keys::tabTo(w, w.cmdNav(3)));
        test_keys::press(Qt::Key_Space);
        ASSERT_EQ(w.CurrentStep, next);
    }
    ASSERT_TRUE(test_keys::tabTo(w, w.MMControl));
    ASSERT_TRUE(test_keys::pressBar(w, w.MMControl, ui::MediaControl::Record));
    frmRecord& rec = ui::forms::get<frmRecord>();
    for (int i = 0; i < 20 && rec.RecordState() != "Record"; ++i) ui.advance(250);
    ASSERT_EQ(rec.RecordState(), "Record");
    std::vector<int16_t> samples(2 * 44100);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = (i / 100) % 2 != 0 ? 20000 : -20000;
    input->deliver(samples);
    ui.advance(1000);

    for (int i = 0;
         i < ui::MediaControl::kButtons && w.MMControl.FocusedButton() != ui::MediaControl::Stop;
         ++i)
        test_keys::press(Qt::Key_Left);
    ASSERT_EQ(w.MMControl.FocusedButton(), ui::MediaControl::Stop);
    test_keys::press(Qt::Key_Return);
    EXPECT_NE(rec.RecordState(), "Record");
    EXPECT_GT(rec.TakeLengthMs(), 0);
    EXPECT_TRUE(w.cmdSave.Enabled());
    // The take is not saved: the recorder offers to save it as it goes.
    ui.expectFileDialog({.title = "Save Wave File As"}).cancel();
    ui::forms::releaseAll();  // while the sound card is still installed
}

}  // namespace
}  // namespace velt::desk
