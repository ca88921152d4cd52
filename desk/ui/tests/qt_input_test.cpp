// Real Qt input events (as a user's mouse and keyboard make them) reach the same rules as the
// test script's user: focus moves first, KeyPress before the edit, dropped clicks.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

#include "demo_form.h"
#include "desk/ui/testing/script.h"

namespace velt::ui {
namespace {

using demo::frmDemo;

TEST(QtInput, MouseAndKeyboardFollowTheFocusRules) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    f.Show();
    ui.clearEvents();
    f.txtName_KeyPressHook = [](int& k) {
        if (k == 'x') k = 0;
    };
    auto* edit = qobject_cast<QLineEdit*>(f.txtName.widget());
    ASSERT_NE(edit, nullptr);
    QTest::keyClicks(edit, "axb");
    EXPECT_EQ(f.txtName.Text(), "ab");
    EXPECT_EQ(edit->text().toStdString(), "ab");

    auto* apply = qobject_cast<QPushButton*>(f.cmdApply.widget());
    QTest::mouseClick(apply, Qt::LeftButton);
    auto trace = ui.trace();
    ASSERT_GE(trace.size(), 3u);
    EXPECT_EQ(
        std::vector<std::string>(trace.end() - 3, trace.end()),
        (std::vector<std::string>{"txtName_LostFocus", "cmdApply_GotFocus", "cmdApply_Click"}));

    // A LostFocus that keeps the focus swallows the press: no click.
    f.txtName.SetFocus();
    f.on("txtName_LostFocus", [&] { f.txtName.SetFocus(); });
    ui.clearEvents();
    QTest::mouseClick(apply, Qt::LeftButton);
    EXPECT_EQ(ui.trace(), (std::vector<std::string>{"txtName_LostFocus"}));

    // Enter goes to the Default button through the same rule.
    f.on("txtName_LostFocus", [] {});
    ui.clearEvents();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(ui.trace().back(), "cmdOK_Click");
}

}  // namespace
}  // namespace velt::ui

namespace velt::ui {
namespace {

using demo::frmDemo;

int countOf(const std::vector<std::string>& trace, const std::string& event) {
    return static_cast<int>(std::count(trace.begin(), trace.end(), event));
}

TEST(QtInput, ButtonsListsSpinnersAndTabsRaiseTheirEventsOnce) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    f.Show();
    ui.clearEvents();

    QTest::mouseClick(f.chkDrums.widget(), Qt::LeftButton, {}, QPoint(8, 8));
    EXPECT_EQ(f.chkDrums.Value(), 1);
    QTest::keyClick(f.chkDrums.widget(), Qt::Key_Space);
    EXPECT_EQ(f.chkDrums.Value(), 0);

    QTest::mouseClick(f.optMode(2).widget(), Qt::LeftButton, {}, QPoint(8, 8));
    EXPECT_TRUE(f.optMode(2).Value());
    EXPECT_FALSE(f.optMode(0).Value());
    QTest::mouseClick(f.optMode(2).widget(), Qt::LeftButton, {},
                      QPoint(8, 8));  // selected: nothing

    auto* list = qobject_cast<QListWidget*>(f.lstParts.widget());
    ASSERT_NE(list, nullptr);
    QRect row = list->visualItemRect(list->item(2));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(f.lstParts.ListIndex(), 2);

    auto arrows = f.spnTempo.widget()->findChildren<QToolButton*>();
    ASSERT_EQ(arrows.size(), 2);
    QTest::mouseClick(arrows[0], Qt::LeftButton);
    EXPECT_EQ(f.txtTempo.Text(), "121");

    auto* bar = f.tabPages.widget()->findChild<QTabBar*>();
    ASSERT_NE(bar, nullptr);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    EXPECT_EQ(f.tabPages.Tab(), 1);

    f.sldRange.SetFocus();  // keys go to the active control
    QTest::keyClick(f.sldRange.widget(), Qt::Key_Right);
    EXPECT_EQ(f.sldRange.Value(), 61);

    auto trace = ui.trace();
    EXPECT_EQ(countOf(trace, "chkDrums_Click"), 2);
    EXPECT_EQ(countOf(trace, "optMode(2)_Click"), 1);
    EXPECT_EQ(countOf(trace, "lstParts_Click"), 1);
    EXPECT_EQ(countOf(trace, "spnTempo_UpClick"), 1);
    EXPECT_EQ(countOf(trace, "tabPages_Click 0"), 1);
    EXPECT_EQ(countOf(trace, "sldRange_Change"), 1);
    EXPECT_EQ(countOf(trace, "spnTempo_GotFocus"), 0);  // the arrows take no focus
}

}  // namespace
}  // namespace velt::ui
