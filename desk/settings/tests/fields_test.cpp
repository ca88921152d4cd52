// The numeric fields as a user edits them: typed text, focus moves, spinner presses and slider
// drags on the shown dialog, with the values each field holds, shows and passes on.
#include <QClipboard>
#include <QGuiApplication>

#include "settings_fixture.h"

namespace velt::desk {
namespace {

using test_boxes::Box;

constexpr int kAudioTab = 0, kPitchTab = 1, kTimingTab = 2, kMidiTab = 4;

using SettingsFields = SettingsTest;

TEST_F(SettingsFields, TypedTextIsFilteredHeldOrRestored) {
    G().Speed = 120;
    frmProperties& f = dialog();
    f.Show();
    auto u = ui.user();
    struct Case {
        ui::TextBox* box;
        int tab;
        const char* typed;    // into the box as it takes the focus (its whole text selected)
        const char* whileIn;  // the text before leaving; nullptr: as typed
        const char* shown;    // after leaving with Tab
    } cases[] = {
        // Tempo and speed are checked when the box is left, never while a number is typed.
        {&f.txtTempo, kTimingTab, "90", nullptr, "90"},
        {&f.txtTempo, kTimingTab, "2", nullptr, "5"},
        {&f.txtTempo, kTimingTab, "2000", nullptr, "1080"},
        {&f.txtTempo, kTimingTab, "\b", "", "1080"},     // emptied: the text it had on focus
        {&f.txtTempo, kTimingTab, "x", "1080", "1080"},  // letters are not typed
        {&f.txtSpeed, kTimingTab, "%", nullptr, "120%"},
        {&f.txtSpeed, kTimingTab, "\b", "", "120%"},
        {&f.txtSpeed, kTimingTab, "x1", "1", "25%"},
        {&f.txtReferencePitch, kAudioTab, "30", "+30", "+30"},
        {&f.txtReferencePitch, kAudioTab, "-75", nullptr, "-50"},
        {&f.txtReferencePitch, kAudioTab, "60", "+60", "+50"},
        {&f.txtReferencePitch, kAudioTab, "+", nullptr, "+50"},  // a lone sign
        {&f.txtReferencePitch, kAudioTab, "-", nullptr, "+50"},
        {&f.txtOctaves, kPitchTab, "-12", nullptr, "-10"},
        {&f.txtOctaves, kPitchTab, "\b", "", "-10"},
        {&f.txtOctaves, kPitchTab, "-", nullptr, "-10"},
        {&f.txtOctaves, kPitchTab, "+3", "3", "3"},  // "+" is not a key of this box
        {&f.txtHalfSteps, kPitchTab, "-12", nullptr, "-11"},
        {&f.txtHalfSteps, kPitchTab, "14", nullptr, "11"},
        {&f.txtPitchMode, kPitchTab, "500", nullptr, "128"},
        {&f.txtPitchMode, kPitchTab, "0", nullptr, "1"},
        {&f.txtPitchMode, kPitchTab, "-4", "4", "4"},
        {&f.txtTimeNum, kTimingTab, "0", nullptr, "1"},
        {&f.txtTimeNum, kTimingTab, "150", nullptr, "99"},
        {&f.txtTimeNum, kTimingTab, "\b", "", "99"},
        {&f.txtChannel, kMidiTab, "0", nullptr, "1"},
        {&f.txtChannel, kMidiTab, "25", nullptr, "16"},
        {&f.txtChannel, kMidiTab, "\b", "", "16"},
        {&f.txtChannel, kMidiTab, "a", "16", "16"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.box->Name()) + " \"" + c.typed + "\"");
        ASSERT_TRUE(u.selectTab(f.tabProperties, c.tab));
        ASSERT_TRUE(u.type(*c.box, c.typed));
        EXPECT_EQ(c.box->Text(), c.whileIn ? c.whileIn : c.typed);
        u.key(*c.box, ui::Key::Tab);
        EXPECT_EQ(c.box->Text(), c.shown);
    }
    EXPECT_EQ(f.WorkTempo, 1080.0f);
    EXPECT_EQ(f.ChannelInBox(), 16);

    // Pasting letters: Ctrl+V is not a key of the box, and text put in by other means (the
    // context menu) is checked on leaving.
    QGuiApplication::clipboard()->setText("abc");
    u.selectTab(f.tabProperties, kTimingTab);
    u.focus(f.txtTempo);
    u.ctrl(f.txtTempo, 'v');
    EXPECT_EQ(f.txtTempo.Text(), "1080");
    f.txtTempo.setText("abc");
    u.key(f.txtTempo, ui::Key::Tab);
    EXPECT_EQ(f.txtTempo.Text(), "1080");
    u.selectTab(f.tabProperties, kMidiTab);
    u.focus(f.txtChannel);
    f.txtChannel.setText("abc");
    u.key(f.txtChannel, ui::Key::Tab);
    EXPECT_EQ(f.txtChannel.Text(), "16");
    QGuiApplication::clipboard()->clear();
}

TEST_F(SettingsFields, SpinnersStepAndStopAtTheBounds) {
    G().MidiChan = 15;
    frmProperties& f = dialog();
    f.Show();
    auto u = ui.user();

    u.selectTab(f.tabProperties, kTimingTab);
    f.txtSpeed.setText("397");  // typed digits are held at once: only code or a paste gets here
    EXPECT_EQ(f.txtSpeed.Text(), "397%");
    u.spin(f.spnSpeed, ui::Up);  // 402, held to the top
    EXPECT_EQ(f.txtSpeed.Text(), "400%");
    u.spin(f.spnSpeed, ui::Up);
    EXPECT_EQ(f.txtSpeed.Text(), "400%");
    u.spin(f.spnSpeed, ui::Down, 2);
    EXPECT_EQ(f.txtSpeed.Text(), "390%");
    f.txtSpeed.setText("27");
    u.spin(f.spnSpeed, ui::Down);  // 22, held to the bottom
    EXPECT_EQ(f.txtSpeed.Text(), "25%");

    // The beats spinner reaches "Auto" below 1; the box itself never takes 0.
    u.type(f.txtTimeNum, "1");
    u.key(f.txtTimeNum, ui::Key::Tab);
    u.spin(f.spnTimeNum, ui::Down);
    EXPECT_EQ(f.txtTimeNum.Text(), "Auto");
    EXPECT_EQ(f.cboChordRes.Text(), "Auto");
    u.spin(f.spnTimeNum, ui::Up, 3);
    EXPECT_EQ(f.txtTimeNum.Text(), "3");

    u.selectTab(f.tabProperties, kPitchTab);
    u.type(f.txtOctaves, "9");
    u.key(f.txtOctaves, ui::Key::Tab);
    u.spin(f.spnOctaves, ui::Up, 3);
    EXPECT_EQ(f.txtOctaves.Text(), "10");

    u.selectTab(f.tabProperties, kMidiTab);
    u.spin(f.spnChannel, ui::Up);
    EXPECT_EQ(f.txtChannel.Text(), "16");
    u.spin(f.spnChannel, ui::Up);
    EXPECT_EQ(f.txtChannel.Text(), "16");
    u.type(f.txtChannel, "2");
    u.key(f.txtChannel, ui::Key::Tab);
    u.spin(f.spnChannel, ui::Down, 3);
    EXPECT_EQ(f.txtChannel.Text(), "1");
    EXPECT_TRUE(f.cmdApply.Enabled());
}

TEST_F(SettingsFields, PolyphonyDecidesBrightnessGainAndAutoDetect) {
    G().AudioFileCount = 1;
    G().AudioFiles.redim(1);
    G().AudioFiles(1) = sox("tone.wav");
    G().MidiFiles.redim(1);
    G().MidiFiles(1) = (dir / "tone.mid").string();
    G().PitchMode = 4;
    G().Gain = 200;
    frmProperties& f = dialog();
    f.Show();
    auto u = ui.user();
    u.selectTab(f.tabProperties, kPitchTab);
    EXPECT_FALSE(f.cboCCBright.Enabled());

    // A polyphony is taken when the box is left: typing 16 passes "1" and keeps the gain.
    f.chkAutoDetectNote.setValue(0);
    u.type(f.txtPitchMode, "1");
    EXPECT_FALSE(f.cboCCBright.Enabled());
    EXPECT_EQ(f.sldGain.Value(), -200);
    u.type(f.txtPitchMode, "6");  // the box is still focused: a second digit
    EXPECT_EQ(f.txtPitchMode.Text(), "16");
    u.key(f.txtPitchMode, ui::Key::Tab);
    EXPECT_EQ(f.sldGain.Value(), -200);
    EXPECT_EQ(f.chkAutoDetectNote.Value(), 1);
    EXPECT_FALSE(f.cboCCBright.Enabled());

    u.type(f.txtPitchMode, "1");
    u.key(f.txtPitchMode, ui::Key::Tab);
    EXPECT_TRUE(f.cboCCBright.Enabled());
    EXPECT_TRUE(f.lblCCBright.Enabled());
    EXPECT_EQ(f.sldGain.Value(), -100);

    // A spinner step counts at once, also from the box's Up key.
    f.chkAutoDetectNote.setValue(0);
    u.key(f.txtPitchMode, ui::Key::Up);
    EXPECT_EQ(f.txtPitchMode.Text(), "2");
    EXPECT_EQ(f.chkAutoDetectNote.Value(), 1);
    EXPECT_FALSE(f.cboCCBright.Enabled());

    // Leaving the octaves re-applies the polyphony rules.
    f.chkAutoDetectNote.setValue(0);
    u.type(f.txtOctaves, "1");
    u.key(f.txtOctaves, ui::Key::Tab);
    EXPECT_EQ(f.chkAutoDetectNote.Value(), 1);
}

TEST_F(SettingsFields, TimeRangeByTypingSpinnersAndDrags) {
    G().EntireAudio = 0;
    G().AudioFileCount = 1;
    G().AudioFiles.redim(1);
    G().AudioFiles(1) = sox("three minutes.wav", "-r 8000 -c 1 -b 8", "synth 180.02 sine 440");
    G().MidiFiles.redim(1);
    G().MidiFiles(1) = (dir / "three minutes.mid").string();
    G().StartPoint = 0;
    G().EndPoint = 180;
    frmProperties& f = dialog();
    f.Show();
    auto u = ui.user();
    ASSERT_EQ(f.AudioSeconds, 180);
    u.selectTab(f.tabProperties, kAudioTab);

    struct Step {
        std::function<void()> act;
        const char* start;
        const char* end;
        int selStart, selLength;
    } steps[] = {
        {[&] { u.type(f.txtEndPoint, "005959"); }, "00:00:00", "00:03:00", 0, 180},
        {[&] { u.type(f.txtStartPoint, "000100"); }, "00:01:00", "00:03:00", 60, 120},
        {[&] { u.spin(f.spnStartPoint, ui::Down, 2); }, "00:00:58", "00:03:00", 58, 122},
        {[&] { u.spin(f.spnEndPoint, ui::Up); }, "00:00:58", "00:03:00", 58, 122},
        {[&] { u.spin(f.spnEndPoint, ui::Down); }, "00:00:58", "00:02:59", 58, 121},
        {[&] { u.type(f.txtStartPoint, "000330"); }, "00:02:59", "00:02:59", 179, 0},
        {[&] { u.dragTo(f.sldTimeRange, 30, 2); }, "00:00:30", "00:02:59", 30, 149},
        {[&] { u.dragTo(f.sldTimeRange, 20, 1); }, "00:00:20", "00:00:20", 30, 0},
        {[&] { u.dragTo(f.sldTimeRange, 90, 1); }, "00:00:20", "00:01:30", 30, 60},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        steps[i].act();
        u.focus(f.cboAudioFile);
        EXPECT_EQ(f.txtStartPoint.Text(), steps[i].start);
        EXPECT_EQ(f.txtEndPoint.Text(), steps[i].end);
        EXPECT_EQ(f.sldTimeRange.SelStart(), steps[i].selStart);
        EXPECT_EQ(f.sldTimeRange.SelLength(), steps[i].selLength);
    }

    // A time that breaks the format is reported with its help page, the focus goes back, and
    // the click that moved it away (Apply, OK) is dropped, so nothing is committed.
    const float committedStart = G().StartPoint;
    struct Bad {
        ui::MaskedBox* box;
        const char* text;
        long help;
    } bad[] = {{&f.txtStartPoint, "Invalid Start Time format.", 93},
               {&f.txtEndPoint, "Invalid End Time format.", 94}};
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.text);
        u.type(*b.box, "006100");
        ASSERT_EQ(b.box->Text(), "00:61:00");
        ui.expectBox(Box(b.text, "Project", 48, b.help)).pressHelp().answer(ui::OK);
        EXPECT_FALSE(u.click(f.cmdApply));
        ui.expectBox(Box(b.text, "Project", 48, b.help)).answer(ui::OK);
        EXPECT_FALSE(u.click(f.cmdOK));
        EXPECT_TRUE(f.Visible());
        EXPECT_EQ(G().StartPoint, committedStart);
        EXPECT_FALSE(G().SettingsApplied);
        b.box->setSelStart(0);  // the user selects the bad time and types it again
        b.box->setSelLength(8);
        u.type(*b.box, "005959");  // valid; held to the range
        u.focus(f.cboAudioFile);
    }
    EXPECT_EQ(ui.helpCalls(), (std::vector<long>{93, 94}));
    EXPECT_TRUE(u.click(f.cmdApply));
    EXPECT_EQ(G().StartPoint, 90.0f);  // the start came down to the end of that moment
    EXPECT_EQ(G().EndPoint, 180.0f);
}

TEST_F(SettingsFields, NoteRangeBySlidersSpinnersAndTheTopNote) {
    frmProperties& f = dialog();
    f.Show();
    auto u = ui.user();
    u.selectTab(f.tabProperties, kPitchTab);
    ASSERT_EQ(f.WorkKeyMin, 28);
    ASSERT_EQ(f.WorkKeyMax, 85);

    struct Step {
        std::function<void()> act;
        int32_t low, high;
        const char* lowText;
        const char* highText;
    } steps[] = {
        {[&] { u.dragTo(f.sldNoteRange, -40, 2); }, 40, 85, "E3", "C#7"},
        {[&] { u.dragTo(f.sldNoteRange, -72, 1); }, 40, 72, "E3", "C6"},
        {[&] { u.dragTo(f.sldNoteRange, -90, 2); }, 72, 72, "C6", "C6"},  // low above high
        {[&] { u.dragTo(f.sldNoteRange, -30, 2); }, 30, 72, "F#2", "C6"},
        {[&] { u.dragTo(f.sldNoteRange, -20, 1); }, 30, 30, "F#2", "F#2"},  // high below low
        {[&] { u.spin(f.spnKeyMax, ui::Up, 3); }, 30, 33, "F#2", "A2"},
        {[&] { u.spin(f.spnKeyMin, ui::Up, 5); }, 33, 33, "A2", "A2"},
        {[&] { u.spin(f.spnKeyMin, ui::Down, 2); }, 31, 33, "G2", "A2"},
        {[&] { u.type(f.txtKeyMax, "c10"); }, 31, 120, "G2", "C10"},
        {[&] { u.type(f.txtKeyMin, "d10"); }, 120, 120, "C10", "C10"},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        steps[i].act();
        u.focus(f.chkAutoDetectNote);
        EXPECT_EQ(f.WorkKeyMin, steps[i].low);
        EXPECT_EQ(f.WorkKeyMax, steps[i].high);
        EXPECT_EQ(f.txtKeyMin.Text(), steps[i].lowText);
        EXPECT_EQ(f.txtKeyMax.Text(), steps[i].highText);
        EXPECT_EQ(f.sldNoteRange.SelStart(), -steps[i].high);
        EXPECT_EQ(f.sldNoteRange.SelLength(), steps[i].high - steps[i].low);
    }

    // The top note follows the sample rate of the inspected file.
    struct Rate {
        const char* format;
        int32_t top, high;
    } rates[] = {{"-r 44100 -c 1 -b 16", 127, 120}, {"-r 8000 -c 1 -b 16", 107, 107}};
    for (const Rate& r : rates) {
        SCOPED_TRACE(r.format);
        f.GetWaveInfo(sox("rate.wav", r.format, "synth 0.5 sine 440"));
        EXPECT_EQ(f.TopNote, r.top);
        EXPECT_EQ(f.WorkKeyMax, r.high);
        EXPECT_EQ(f.txtKeyMax.Text(), f.ValToKey(r.high));
        std::filesystem::remove(dir / "rate.wav");
    }
}

TEST_F(SettingsFields, TheBeatCounterShowsMeasureAndBeat) {
    frmProperties& f = dialog();
    f.Show();
    auto u = ui.user();
    u.selectTab(f.tabProperties, kTimingTab);
    f.BeatCount = 9;
    u.type(f.txtTimeNum, "4");
    EXPECT_EQ(f.lblBeatCountVal.Caption(), "3:2");
    u.key(f.txtTimeNum, ui::Key::Tab);
    u.spin(f.spnTimeNum, ui::Down, 4);
    EXPECT_EQ(f.txtTimeNum.Text(), "Auto");
    EXPECT_EQ(f.lblBeatCountVal.Caption(), "9");
    f.BeatCount = 0;
    u.spin(f.spnTimeNum, ui::Up);
    EXPECT_EQ(f.lblBeatCountVal.Caption(), "");
}

}  // namespace
}  // namespace velt::desk
