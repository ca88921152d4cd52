// The settings dialog by keyboard alone: tab mnemonics, Ctrl+Tab and Ctrl+PageDown show their
// page (and nothing of the page before), the focused strip is marked, Up and Down in a box with
// an up-down step it, and Tab follows the layout.
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

}  // namespace
}  // namespace velt::desk
