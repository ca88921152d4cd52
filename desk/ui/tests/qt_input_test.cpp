// Real Qt input events (as a user's mouse and keyboard make them) reach the same rules as the
// test script's user: focus moves first, KeyPress before the edit, dropped clicks.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

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
