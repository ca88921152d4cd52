// Whom a real box belongs to. Qt may report an unloaded form's window (hidden, waiting for its
// deferred deletion) as active; such a window never owns a box. And a box outlives its owner:
// a window that goes while the box waits in its exec() loop takes nothing of the box with it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QWindow>

#include "desk/ui/dialogs/message_box.h"
#include "desk/ui/form.h"
#include "desk/ui/forms.h"
#include "desk/ui/runtime.h"
#include "desk/ui/testing/real_input.h"
#include "real_user.h"

namespace velt::desk {
namespace {

using test_real::RealUser;

class frmOwner : public ui::Form {
  public:
    frmOwner() : Form("frmOwner") {}
};
class frmTool : public ui::Form {
  public:
    frmTool() : Form("frmTool") {}
};

class BoxOwner : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(ui::runtime().driver, nullptr); }
    void TearDown() override { ui::forms::releaseAll(); }

    // Answers the next box with OK once `check` has looked at it.
    void answerOk(std::function<void(QDialog&)> check) {
        user.step(
            "look at the box", [] { return RealUser::openBox() != nullptr; },
            [check] { check(*RealUser::openBox()); });
        user.answerBox("", "OK");
    }
    void expectAllDone() {
        for (const std::string& failure : user.failures()) ADD_FAILURE() << failure;
        EXPECT_TRUE(user.done());
    }

    RealUser user;
};

TEST_F(BoxOwner, AnUnloadedWindowReportedActiveNeverOwnsABox) {
    frmOwner& owner = ui::forms::get<frmOwner>();
    owner.Show();
    frmTool& tool = ui::forms::get<frmTool>();
    tool.Show();
    QPointer<QWidget> released = tool.window();
    ASSERT_TRUE(tool.unload());
    // The window system's activation of the window arrives after it was unloaded.
    ASSERT_TRUE(released);
    QApplication::setActiveWindow(released);
    ASSERT_EQ(QApplication::activeWindow(), released.data());
    EXPECT_EQ(ui::forms::dialogParent(), owner.window());

    const QWindow* ownerHandle = owner.window()->windowHandle();
    answerOk([&](QDialog& box) {
        EXPECT_EQ(box.parentWidget(), nullptr);
        ASSERT_NE(box.windowHandle(), nullptr);
        EXPECT_EQ(box.windowHandle()->transientParent(), ownerHandle);
    });
    EXPECT_EQ(ui::MessageBox("Saved.", ui::OKOnly + ui::Information), ui::OK);
    expectAllDone();
    EXPECT_FALSE(released);  // its deletion ran inside the box's loop
}

TEST_F(BoxOwner, ABoxOutlivesTheWindowUnloadedWhileItIsOpen) {
    frmOwner& owner = ui::forms::get<frmOwner>();
    owner.Show();
    QPointer<QWidget> ownerWindow = owner.window();
    QPointer<QDialog> shown;
    answerOk([&](QDialog& box) {
        shown = &box;
        EXPECT_EQ(box.windowHandle()->transientParent(), ownerWindow->windowHandle());
        // A timer of the program closes the owner while its box waits for the user; the
        // window's deletion runs in the box's loop.
        ASSERT_TRUE(owner.unload());
        ui::test::RealInput::settle();
        EXPECT_FALSE(ownerWindow);
        EXPECT_TRUE(shown && shown->isVisible());
    });
    EXPECT_EQ(ui::MessageBox("Take saved.  Keep it?", ui::OKCancel + ui::Question), ui::OK);
    expectAllDone();
    EXPECT_FALSE(shown);  // gone with the call, by its own end
}

}  // namespace
}  // namespace velt::desk
