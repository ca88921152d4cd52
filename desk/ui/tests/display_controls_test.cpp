#include <gtest/gtest.h>

#include "demo_form.h"
#include "desk/ui/testing/script.h"
#include "scoped_env.h"

namespace velt::ui {
namespace {

using demo::frmDemo;

TEST(PictureBox, BackingImageKeepsDrawingsAndBoxesTile) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    auto& p = f.picCoverage;  // 3600 x 450 twips = 240 x 30 px, white
    p.Cls();
    EXPECT_EQ(p.Point(0, 0), RGB(255, 255, 255));
    // Two boxes that touch at x = 1507.5 twips (100.5 px rounds to 101): no gap, no overlap.
    p.Line(0, 0, 1507.5, 450, RGB(255, 0, 0), PictureBox::FilledBox);
    p.Line(1507.5, 0, 3000, 450, RGB(0, 0, 255), PictureBox::FilledBox);
    EXPECT_EQ(p.Point(100 * 15, 0), RGB(255, 0, 0));
    EXPECT_EQ(p.Point(101 * 15, 0), RGB(0, 0, 255));
    // Boxes are cut at the edges; Point outside the image is -1.
    p.Line(-300, -300, 30, 30, RGB(0, 255, 0), PictureBox::FilledBox);
    EXPECT_EQ(p.Point(0, 0), RGB(0, 255, 0));
    EXPECT_EQ(p.Point(3600, 0), -1);
    EXPECT_EQ(p.Point(-1, 0), -1);
    // The drawing survives hiding, showing and painting.
    f.Show();
    p.setVisible(false);
    p.setVisible(true);
    p.Refresh();
    EXPECT_EQ(p.Point(100 * 15, 0), RGB(255, 0, 0));
    p.setBackColor(RGB(10, 20, 30));
    EXPECT_EQ(p.Point(100 * 15, 0), RGB(10, 20, 30));
    // Growing keeps the content at the top left and fills with the back colour.
    p.Line(0, 0, 15, 15, RGB(1, 2, 3), PictureBox::FilledBox);
    p.setWidth(4500);
    EXPECT_EQ(p.Point(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(p.Point(4400, 0), RGB(10, 20, 30));
}

TEST(DisplayControls, ReadBackExactly) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    f.sbStatus.setText("  Playing...  ");
    EXPECT_EQ(f.sbStatus.Panels(1).Text(), "  Playing...  ");
    f.lblName.setCaption("Rock && &Roll");
    EXPECT_EQ(f.lblName.Caption(), "Rock && &Roll");
    EXPECT_EQ(Label::displayText(f.lblName.Caption()), "Rock & Roll");
    f.lblName.setTag("Step 3 of 19");
    EXPECT_EQ(f.lblName.Tag(), "Step 3 of 19");
    f.lblName.Move(100.4, 200.6, 1000.25, 300);
    EXPECT_DOUBLE_EQ(f.lblName.Left(), 100.4);
    EXPECT_DOUBLE_EQ(f.lblName.Width(), 1000.25);
    f.linNeedle.setEnds(1000.5, 2000.25, 1500, 1800);
    EXPECT_DOUBLE_EQ(f.linNeedle.X1(), 1000.5);
    EXPECT_DOUBLE_EQ(f.linNeedle.Y1(), 2000.25);
    f.lblName.setBackColor(SysColor::ActiveTitleBar);
    EXPECT_EQ(f.lblName.BackColor(), SysColor::ActiveTitleBar);
    EXPECT_NE(resolveColor(SysColor::ActiveTitleBar), resolveColor(SysColor::InactiveTitleBar));
    EXPECT_EQ(f.shpLight.setShape(9), Status::Refused);
    EXPECT_EQ(f.shpLight.ShapeKind(), 3);
}

TEST(ImageList, PicturesHaveIdentity) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    Picture second = f.imgTools.ListImages(2).getPicture();
    EXPECT_EQ(f.imgTools.ListImages("open").getPicture(), second);
    EXPECT_FALSE(f.imgTools.ListImages(1).getPicture() == second);
    EXPECT_TRUE(f.imgTools.ListImages(9).getPicture().empty());
    EXPECT_TRUE(f.imgTools.ListImages("none").getPicture().empty());
    f.cmdApply.setPicture(second);
    EXPECT_EQ(f.cmdApply.getPicture(), second);
    EXPECT_EQ(ui.refusals().size(), 2u);
}

TEST(TabControl, ClickCarriesThePreviousTab) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    f.Show();
    ui.clearEvents();
    f.tabPages.setTab(1);
    f.tabPages.setTab(1);  // the current tab again: nothing
    EXPECT_EQ(f.tabPages.setTab(2), Status::Refused);
    EXPECT_TRUE(f.txtPage0.Visible());  // other pages keep Visible and work from code
    f.txtPage0.setText("changed");
    ui.user().selectTab(f.tabPages, 0);
    EXPECT_EQ(f.tabPages.Tab(), 0);
    EXPECT_EQ(ui.trace(),
              (std::vector<std::string>{"tabPages_Click 0", "txtPage0_Change", "txtName_LostFocus",
                                        "tabPages_GotFocus", "tabPages_Click 1"}));
}

TEST(MenusAndToolbar, ClicksOfEnabledVisibleItemsOnly) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    f.Show();
    auto u = ui.user();
    ui.clearEvents();
    u.menu(f.mnuFileOpen);
    u.menu(f.mnuFileArray(1));
    u.menu(f.mnuFileArray(2));  // invisible: nothing
    u.menu(f.mnuFileArray(0));  // separator: nothing
    f.mnuFileOpen.setEnabled(false);
    u.menu(f.mnuFileOpen);
    EXPECT_EQ(ui.trace(),
              (std::vector<std::string>{"mnuFile_Click", "mnuFileOpen_Click", "mnuFile_Click",
                                        "mnuFileArray(1)_Click", "mnuFile_Click", "mnuFile_Click",
                                        "mnuFile_Click"}));
    EXPECT_EQ(f.ActiveControl(), &f.txtName);  // menus move no focus

    ui.clearEvents();
    EXPECT_EQ(f.tbTools.ButtonCount(), 4);
    EXPECT_EQ(f.tbTools.Buttons(4).Key(), "Save");  // the separator counts
    u.toolbar(f.tbTools, "Save");
    f.tbTools.Buttons("Open").setEnabled(false);
    u.toolbar(f.tbTools, "Open");
    EXPECT_EQ(f.tbTools.Buttons(9).setEnabled(true), Status::Refused);
    EXPECT_FALSE(f.tbTools.Buttons("Missing").Enabled());
    EXPECT_EQ(ui.trace(), (std::vector<std::string>{"tbTools_ButtonClick Save"}));
}

TEST(PrepareDisplay, OnlyABatchRunWithoutADisplayGoesOffscreen) {
    using ::velt::test::ScopedEnv;
    struct Case {
        bool batch;
        std::optional<std::string> display, wayland, platform;
        const char* expected;  // QT_QPA_PLATFORM afterwards, "" for unset
    };
    const Case cases[] = {
        {true, std::nullopt, std::nullopt, std::nullopt, "offscreen"},
        {true, ":0", std::nullopt, std::nullopt, ""},
        {true, std::nullopt, "wayland-0", std::nullopt, ""},
        {true, std::nullopt, std::nullopt, "xcb", "xcb"},
        {false, std::nullopt, std::nullopt, std::nullopt, ""},
    };
    for (const auto& c : cases) {
        ScopedEnv display("DISPLAY", c.display);
        ScopedEnv wayland("WAYLAND_DISPLAY", c.wayland);
        ScopedEnv platform("QT_QPA_PLATFORM", c.platform);
        prepareDisplay(c.batch);
        const char* now = std::getenv("QT_QPA_PLATFORM");
        EXPECT_STREQ(now ? now : "", c.expected);
    }
}

}  // namespace
}  // namespace velt::ui
