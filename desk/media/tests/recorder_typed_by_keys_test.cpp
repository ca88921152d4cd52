// The recorder's tempo and beats boxes typed into key by key: a number on its way stays as typed,
// the box is checked when it is left by Tab or Enter, the up-down steps and holds at once (also
// from the Up key in the box), and Keep hands over exactly what was typed.
#include <gtest/gtest.h>

#include "recorder_fixture.h"
#include "window_user.h"

namespace velt::desk::test_recorder {
namespace {

using TypedByKeys = RecorderTest;

TEST_F(TypedByKeys, RecorderTempoAndBeats) {
    editor->settings = {.tempo = 90, .timeNum = "4"};
    frmRecord& f = shownRecorder();
    ui::test::User u = ui.user();
    ASSERT_TRUE(u.click(f.cmdMetronome));  // the panel with the boxes
    ASSERT_EQ(f.Width(), frmRecord::kUnfoldedWidth);

    struct Case {
        ui::TextBox* box;
        const char* keys;   // typed as the box takes the focus (its whole text selected)
        const char* typed;  // the text after the last key: nothing is checked yet
        ui::Key leave;
        const char* shown;
        float tempo;  // RecordTempo afterwards
    } cases[] = {
        {&f.txtTempo, "120", "120", ui::Key::Tab, "120", 120},
        {&f.txtTempo, "100", "100", ui::Key::Tab, "100", 100},
        {&f.txtTempo, "40", "40", ui::Key::Enter, "40", 40},
        {&f.txtTempo, "\b\b1\b45", "45", ui::Key::Tab, "45", 45},
        {&f.txtTempo, "3", "3", ui::Key::Tab, "5", 5},
        {&f.txtTempo, "2000", "2000", ui::Key::Enter, "1080", 1080},
        {&f.txtTempo, "\b", "", ui::Key::Tab, "5", 5},  // an empty box reads 0: the lowest tempo
        {&f.txtTempo, "9x6.5", "96.5", ui::Key::Tab, "96.5", 96.5f},
        {&f.txtTimeNum, "12", "12", ui::Key::Tab, "12", 96.5f},
        {&f.txtTimeNum, "0", "0", ui::Key::Tab, "1", 96.5f},
        {&f.txtTimeNum, "150", "150", ui::Key::Enter, "99", 96.5f},
        {&f.txtTimeNum, "\b3", "3", ui::Key::Tab, "3", 96.5f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.box->Name()) + " \"" + c.keys + "\"");
        if (f.ActiveControl() == c.box) u.focus(f.cmdKeep.Enabled() ? f.cmdKeep : f.cmdHelp);
        const float before = f.RecordTempo;
        ASSERT_TRUE(u.type(*c.box, c.keys));
        EXPECT_EQ(c.box->Text(), c.typed);
        EXPECT_FLOAT_EQ(f.RecordTempo, before);
        EXPECT_TRUE(f.cmdKeep.Enabled());
        u.key(*c.box, c.leave);
        EXPECT_EQ(c.box->Text(), c.shown);
        EXPECT_FLOAT_EQ(f.RecordTempo, c.tempo);
    }

    // The up-down holds at once, over a number being typed too; the focus stays in the box.
    struct Step {
        const char* keys;
        ui::Key key;
        const char* shown;
    } steps[] = {{"3", ui::Key::Up, "8"},
                 {"2000", ui::Key::Up, "1080"},
                 {"1078", ui::Key::PageUp, "1078"},  // no step from 1075 up
                 {"12", ui::Key::Down, "7"},
                 {"9", ui::Key::Down, "9"}};  // no step below 10
    for (const Step& s : steps) {
        SCOPED_TRACE(s.keys);
        u.focus(f.cmdHelp);
        u.type(f.txtTempo, s.keys);
        u.key(f.txtTempo, s.key);
        EXPECT_EQ(f.txtTempo.Text(), s.shown);
        EXPECT_EQ(f.ActiveControl(), &f.txtTempo);
    }

    u.type(f.txtTempo, "\b144");
    ASSERT_TRUE(u.click(f.cmdKeep));
    EXPECT_FLOAT_EQ(editor->settings.tempo, 144);
    EXPECT_EQ(editor->settings.timeNum, "3");
}

// Tab reaches the button bar; Space records, Enter stops, Space plays the take back.
TEST_F(TypedByKeys, ATakeRecordedStoppedAndPlayedWithKeysOnly) {
    frmRecord& f = shownRecorder();
    test_keys::activate(f);
    ASSERT_TRUE(test_keys::tabTo(f, f.MMControl));
    EXPECT_EQ(QApplication::focusWidget(), f.MMControl.widget());

    const size_t start = mci.size();
    ASSERT_TRUE(test_keys::pressBar(f, f.MMControl, ui::MediaControl::Record));
    EXPECT_EQ(sentSince(start).back(), "record wavefile");
    EXPECT_EQ(f.RecordState(), "Record");
    ASSERT_EQ(f.ActiveControl(), &f.MMControl);
    // Record is off now: the mark moves to a button still there.
    EXPECT_TRUE(f.MMControl.ButtonEnabled(f.MMControl.FocusedButton()));
    feed(1500);
    ui.advance(1500);

    const size_t stop = mci.size();
    for (int i = 0;
         i < ui::MediaControl::kButtons && f.MMControl.FocusedButton() != ui::MediaControl::Stop;
         ++i)
        test_keys::press(Qt::Key_Left);
    ASSERT_EQ(f.MMControl.FocusedButton(), ui::MediaControl::Stop);
    test_keys::press(Qt::Key_Return);
    EXPECT_EQ(sentSince(stop),
              (std::vector<std::string>{"stop wavefile", "save wavefile " + quoted(takePath()),
                                        "close wavefile"}));
    EXPECT_EQ(f.TakeLengthMs(), 1500);
    EXPECT_EQ(f.StatusBar.Text(), "Wave File Recorded");

    ASSERT_TRUE(f.MMControl.PlayEnabled());
    const size_t play = mci.size();
    ASSERT_TRUE(test_keys::pressBar(f, f.MMControl, ui::MediaControl::Play));
    std::vector<std::string> played = sentSince(play);
    EXPECT_TRUE(std::any_of(played.begin(), played.end(), [](const std::string& s) {
        return s.rfind("play ", 0) == 0;
    })) << ::testing::PrintToString(played);
    EXPECT_EQ(f.ActiveControl(), &f.MMControl);
    // The take is not saved: closing offers to save it.
    ui.expectFileDialog({.title = "Save Wave File As"}).cancel();
    ui.user().closeBox(f);
    EXPECT_FALSE(f.loaded());
}

}  // namespace
}  // namespace velt::desk::test_recorder
