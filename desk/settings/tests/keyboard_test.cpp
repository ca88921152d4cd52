// The settings dialog by keyboard alone: tab mnemonics, Ctrl+Tab and Ctrl+PageDown show their
// page (and nothing of the page before), the focused strip is marked, Up and Down in a box with
// an up-down step it, and Tab follows the layout.
#include <functional>

#include "settings_fixture.h"

namespace velt::desk {
namespace {

constexpr int kTimingTab = 2, kMidiTab = 4;

using SettingsKeyboard = SettingsTest;

TEST_F(SettingsKeyboard, TabsByKeysShowTheirPageAndUpDownMovesTheChannel) {
    frmProperties& f = dialog();
    f.Show();
    auto u = ui.user();
    ui.clearEvents();

    ASSERT_TRUE(u.mnemonic(f, 't'));  // "&Timing"
    EXPECT_EQ(f.tabProperties.Tab(), kTimingTab);
    EXPECT_TRUE(f.txtTempo.canTakeFocusNow());
    EXPECT_FALSE(f.cboAudioFile.canTakeFocusNow());  // the first page's controls are gone
    EXPECT_EQ(f.ActiveControl(), &f.tabProperties);
    EXPECT_TRUE(f.tabProperties.focusMarkShown());
    u.key(f.tabProperties, ui::Key::Right);  // counts from the page shown
    EXPECT_EQ(f.tabProperties.Tab(), 3);
    u.key(f.tabProperties, ui::Key::CtrlPageDown);
    EXPECT_EQ(f.tabProperties.Tab(), kMidiTab);
    EXPECT_TRUE(f.txtChannel.canTakeFocusNow());
    u.key(f.tabProperties, ui::Key::CtrlTab);  // round to the first page
    EXPECT_EQ(f.tabProperties.Tab(), 0);
    u.key(f.tabProperties, ui::Key::CtrlShiftTab);
    EXPECT_EQ(f.tabProperties.Tab(), kMidiTab);
    const auto trace = ui.trace();
    EXPECT_EQ(
        std::count_if(trace.begin(), trace.end(),
                      [](const std::string& e) { return e.rfind("tabProperties_Click", 0) == 0; }),
        5);

    // "Assign to Channel" moves with Up, PageUp and Down in its box.
    u.focus(f.txtChannel);
    EXPECT_EQ(f.txtChannel.Text(), "1");
    u.key(f.txtChannel, ui::Key::Up);
    EXPECT_EQ(f.txtChannel.Text(), "2");
    u.key(f.txtChannel, ui::Key::PageUp);
    u.key(f.txtChannel, ui::Key::Up);
    u.key(f.txtChannel, ui::Key::Down);
    EXPECT_EQ(f.txtChannel.Text(), "3");
    EXPECT_EQ(f.ChannelInBox(), 3);
    EXPECT_EQ(f.ActiveControl(), &f.txtChannel);
}

TEST_F(SettingsKeyboard, TabFollowsTheLayout) {
    frmProperties& f = dialog();
    f.Show();
    auto u = ui.user();
    u.selectTab(f.tabProperties, 0);
    std::vector<std::string> order;
    for (int i = 0; i < 13; ++i) {
        order.push_back(f.ActiveControl()->Name());
        u.key(*f.ActiveControl(), ui::Key::Tab);
    }
    // The Audio buttons left to right, the boxes below them, then the buttons under the tabs
    // (Apply waits for an edit).
    EXPECT_EQ(order, (std::vector<std::string>{
                         "tabProperties", "cboAudioFile", "cmdWaveBrowse", "cmdRecord", "cmdCD",
                         "cmdWaveEdit", "chkEntireRange", "sldStereoPan", "cmdStereoPanZero",
                         "txtReferencePitch", "cmdOK", "cmdCancel", "cmdHelp"}));
    EXPECT_EQ(f.ActiveControl(), &f.tabProperties);
}

// A box left as it was found changes nothing: no rule of its own runs (the polyphony rule that
// ticks Auto Detect, the speed check that enables Apply), and a value the box shows only in part
// (a start inside a second, a tempo with a fraction) keeps its fraction.
TEST_F(SettingsKeyboard, BoxesLeftAsFoundChangeNothing) {
    Global& g = G();
    g.AudioFileCount = 1;
    g.AudioFiles.redim(1);
    g.AudioFiles(1) = sox("ten seconds.wav", "-r 8000 -c 1 -b 16", "synth 10 sine 440 vol 0.5");
    g.MidiFiles.redim(1);
    g.MidiFiles(1) = (dir / "ten seconds.mid").string();
    g.PitchMode = 4;
    g.AutoDetectNote = 0;
    g.Gain = 150;
    g.EntireAudio = 0;
    g.StartPoint = 1.5f;
    g.EndPoint = 7;
    g.Tempo = 97.5f;
    g.TempoDetect = 0;
    g.Transpose = -13;
    frmProperties& f = dialog();
    f.Show();
    auto u = ui.user();
    ASSERT_FALSE(f.cmdApply.Enabled());

    auto textOf = [](auto& box) { return [&box] { return box.Text(); }; };
    struct Visit {
        ui::Control* box;
        std::function<std::string()> text;
        int tab;
    } visits[] = {{&f.txtStartPoint, textOf(f.txtStartPoint), 0},
                  {&f.txtEndPoint, textOf(f.txtEndPoint), 0},
                  {&f.txtReferencePitch, textOf(f.txtReferencePitch), 0},
                  {&f.txtPitchMode, textOf(f.txtPitchMode), 1},
                  {&f.txtKeyMin, textOf(f.txtKeyMin), 1},
                  {&f.txtKeyMax, textOf(f.txtKeyMax), 1},
                  {&f.txtOctaves, textOf(f.txtOctaves), 1},
                  {&f.txtHalfSteps, textOf(f.txtHalfSteps), 1},
                  {&f.txtTempo, textOf(f.txtTempo), 2},
                  {&f.txtSpeed, textOf(f.txtSpeed), 2},
                  {&f.txtTimeNum, textOf(f.txtTimeNum), 2},
                  {&f.txtChannel, textOf(f.txtChannel), 4}};
    for (const Visit& v : visits) {
        SCOPED_TRACE(v.box->Name());
        u.selectTab(f.tabProperties, v.tab);
        const std::string text = v.text();
        ASSERT_TRUE(u.focus(*v.box));
        u.key(*v.box, ui::Key::Tab);
        EXPECT_NE(f.ActiveControl(), v.box);
        EXPECT_EQ(v.text(), text);
        EXPECT_FALSE(f.cmdApply.Enabled());
        EXPECT_EQ(f.chkAutoDetectNote.Value(), 0);
        EXPECT_EQ(f.sldGain.Value(), -150);
    }
    // What Apply would commit now is what was loaded.
    f.cmdApply_Click();
    EXPECT_EQ(g.PitchMode, 4);
    EXPECT_EQ(g.AutoDetectNote, 0);
    EXPECT_EQ(g.Gain, 150);
    EXPECT_FLOAT_EQ(g.StartPoint, 1.5f);
    EXPECT_FLOAT_EQ(g.EndPoint, 7);
    EXPECT_FLOAT_EQ(g.Tempo, 97.5f);
    EXPECT_EQ(g.Transpose, -13);
}

}  // namespace
}  // namespace velt::desk
