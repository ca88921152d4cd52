#include <gtest/gtest.h>

#include "demo_form.h"
#include "desk/ui/testing/script.h"

namespace velt::ui {
namespace {

using demo::frmDemo;

TEST(Focus, UserMoveOrderAndDroppedClicks) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    f.Show();
    auto u = ui.user();
    u.focus(f.txtTempo);
    ui.clearEvents();
    EXPECT_TRUE(u.click(f.cmdApply));
    EXPECT_EQ(ui.trace(), (std::vector<std::string>{"txtTempo_LostFocus", "cmdApply_GotFocus",
                                                    "cmdApply_Click"}));

    // A LostFocus that puts the focus back drops the move and its click.
    u.focus(f.txtTempo);
    f.on("txtTempo_LostFocus", [&] { f.txtTempo.SetFocus(); });
    ui.clearEvents();
    EXPECT_FALSE(u.click(f.cmdApply));
    EXPECT_EQ(ui.trace(), (std::vector<std::string>{"txtTempo_LostFocus"}));
    EXPECT_EQ(f.ActiveControl(), &f.txtTempo);

    // Moved to a third control: that one gets GotFocus, the old one no second LostFocus.
    f.on("txtTempo_LostFocus", [&] { f.txtName.SetFocus(); });
    ui.clearEvents();
    EXPECT_FALSE(u.click(f.cmdApply));
    EXPECT_EQ(ui.trace(), (std::vector<std::string>{"txtTempo_LostFocus", "txtName_GotFocus"}));
    EXPECT_EQ(f.ActiveControl(), &f.txtName);
}

TEST(Focus, EnterAndEscGoToTheDefaultAndCancelButtons) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    f.Show();
    auto u = ui.user();
    int keys = 0;
    f.txtName_KeyPressHook = [&](int&) { ++keys; };
    ui.clearEvents();
    u.key(f.txtName, Key::Enter);
    u.key(f.cmdOK, Key::Esc);  // Esc on another button goes to the Cancel button too
    EXPECT_EQ(ui.trace(), (std::vector<std::string>{"txtName_LostFocus", "cmdOK_GotFocus",
                                                    "cmdOK_Click", "cmdOK_LostFocus",
                                                    "cmdCancel_GotFocus", "cmdCancel_Click"}));
    EXPECT_EQ(keys, 0);

    // A refusing LostFocus drops the Default button's click.
    f.on("txtName_LostFocus", [&] { f.txtName.SetFocus(); });
    ui.clearEvents();
    u.key(f.txtName, Key::Enter);
    EXPECT_EQ(ui.trace().back(), "txtName_LostFocus");

    // Without a Default button, Enter reaches the box as KeyPress 13.
    f.cmdOK.setDefault(false);
    u.key(f.txtName, Key::Enter);
    EXPECT_EQ(keys, 1);
}

TEST(Focus, TabOrderSkipsWhatCantTakeTheFocus) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    f.Show();
    auto u = ui.user();
    f.txtTempo.setVisible(false);
    f.txtStartPoint.setEnabled(false);
    u.focus(f.txtName);
    u.key(f.txtName, Key::Tab);
    EXPECT_EQ(f.ActiveControl(), &f.chkDrums);
    // The option group is one stop: its selected option.
    f.optMode(1).setValue(true);
    u.key(f.chkDrums, Key::Tab);
    EXPECT_EQ(f.ActiveControl(), &f.optMode(1));
    u.key(f.optMode(1), Key::Tab);
    EXPECT_EQ(f.ActiveControl(), &f.cboKey);
    // Arrows move the selection inside the group, with Click.
    u.focus(f.optMode(1));
    ui.clearEvents();
    u.key(f.optMode(1), Key::Down);
    EXPECT_TRUE(f.optMode(2).Value());
    EXPECT_EQ(ui.trace(), (std::vector<std::string>{"optMode(1)_LostFocus", "optMode(2)_GotFocus",
                                                    "optMode(2)_Click"}));
    // Only the shown tab page's controls are stops; Shift+Tab goes back.
    u.focus(f.scrGrid);
    u.key(f.scrGrid, Key::Tab);
    EXPECT_EQ(f.ActiveControl(), &f.tabPages);
    u.key(f.tabPages, Key::Tab);
    EXPECT_EQ(f.ActiveControl(), &f.txtPage0);
    u.key(f.txtPage0, Key::Tab);
    EXPECT_EQ(f.ActiveControl(), &f.cmdOK);
    u.key(f.cmdOK, Key::ShiftTab);
    EXPECT_EQ(f.ActiveControl(), &f.txtPage0);
    // Focus by Tab selects the whole text.
    EXPECT_EQ(f.txtPage0.SelLength(), 6);
}

TEST(Focus, SetFocusRulesAndHidingTheActiveControl) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    EXPECT_EQ(f.txtTempo.SetFocus(), Status::Refused);  // hidden form
    f.Show();
    f.txtTempo.setVisible(false);
    EXPECT_EQ(f.txtTempo.SetFocus(), Status::Refused);
    EXPECT_EQ(f.lblName.SetFocus(), Status::Refused);   // labels take no focus
    EXPECT_EQ(f.txtPage1.SetFocus(), Status::Refused);  // tab page not shown
    ui.clearEvents();
    EXPECT_EQ(f.txtName.SetFocus(), Status::Ok);  // already there: nothing
    EXPECT_TRUE(ui.trace().empty());
    f.txtName.setEnabled(false);
    EXPECT_EQ(ui.trace(),
              (std::vector<std::string>{"txtName_LostFocus", "txtStartPoint_GotFocus"}));
    EXPECT_FALSE(ui.refusals().empty());
}

TEST(Focus, F1OpensTheNearestHelpTopicAndKeyPreviewComesFirst) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    f.Show();
    auto u = ui.user();
    u.key(f.cmdApply, Key::F1);  // the button's own topic
    u.key(f.txtName, Key::F1);   // none: the form's
    EXPECT_EQ(ui.helpCalls(), (std::vector<long>{32, 33}));

    f.setKeyPreview(true);
    f.formKeyPressHook = [](int& k) {
        if (k == 'q') k = 0;
    };
    u.type(f.txtName, "aqb");
    EXPECT_EQ(f.txtName.Text(), "ab");
}

TEST(Focus, MnemonicsAreUserMoves) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    f.Show();
    auto u = ui.user();
    ui.clearEvents();
    EXPECT_TRUE(u.mnemonic(f, 'a'));  // "&Apply"
    EXPECT_TRUE(u.mnemonic(f, 'D'));  // "&Drums"
    EXPECT_TRUE(u.mnemonic(f, 'e'));  // "&Ensemble"
    EXPECT_TRUE(u.mnemonic(f, 't'));  // the label "Start &Time:" passes on to its box
    EXPECT_FALSE(u.mnemonic(f, 'z'));
    EXPECT_EQ(f.chkDrums.Value(), 1);
    EXPECT_TRUE(f.optMode(1).Value());
    EXPECT_EQ(f.ActiveControl(), &f.txtStartPoint);
    EXPECT_EQ(ui.trace(), (std::vector<std::string>{
                              "txtName_LostFocus", "cmdApply_GotFocus", "cmdApply_Click",
                              "cmdApply_LostFocus", "chkDrums_GotFocus", "chkDrums_Click",
                              "chkDrums_LostFocus", "optMode(1)_GotFocus", "optMode(1)_Click",
                              "optMode(1)_LostFocus", "txtStartPoint_GotFocus"}));
}

}  // namespace
}  // namespace velt::ui
