// Help opened from a real message box's Help button: the box's OK still answers it while help is
// open, help stays open once the box has gone, and Esc closes it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <memory>

#include "desk/core/shared/tools.h"
#include "desk/ui/dialogs/message_box.h"
#include "desk/ui/form.h"
#include "desk/ui/forms.h"
#include "desk/ui/help/help_window.h"
#include "desk/ui/runtime.h"
#include "real_user.h"
#include "scoped_hook.h"
#include "test_support.h"
#include "window_user.h"

namespace velt::desk {
namespace {

using test_real::RealUser;

class frmAsking : public ui::Form {
  public:
    frmAsking() : Form("frmAsking") {}
};

QPushButton* buttonOf(QDialog* box, const QString& caption) {
    for (QPushButton* b : box->findChildren<QPushButton*>())
        if (b->text() == caption) return b;
    return nullptr;
}

TEST(HelpBesideABox, OkAnswersTheBoxWhileHelpIsOpen) {
    ASSERT_EQ(ui::runtime().driver, nullptr) << "a test script would answer the box";
    std::unique_ptr<platform::Help> help = MakeProgramHelp(test::binDir().string() + "/");
    ScopedHook<platform::Help*> realHelp(ui::runtime().help, help.get());
    auto& helpWindow = static_cast<ui::HelpWindow&>(*help);
    ui::forms::get<frmAsking>().Show();
    RealUser user;
    QPointer<QDialog> box;
    user.step(
        "press Help in the box", [] { return RealUser::openBox() != nullptr; },
        [&box] {
            box = RealUser::openBox();
            QPushButton* helpButton = buttonOf(box, "&Help");
            ASSERT_NE(helpButton, nullptr);
            test_keys::click(helpButton);
        });
    user.step(
        "OK while help is open",
        [&helpWindow, &box] {
            QWidget* h = helpWindow.window();
            return h != nullptr && h->isVisible() && box != nullptr;
        },
        [&helpWindow, &box] {
            QWidget* h = helpWindow.window();
            EXPECT_EQ(h->windowModality(), Qt::NonModal);
            EXPECT_EQ(h->windowHandle()->transientParent(), box->windowHandle());
            QPushButton* ok = buttonOf(box, "OK");
            ASSERT_NE(ok, nullptr);
            test_keys::click(ok);
            if (box->isVisible()) {
                ADD_FAILURE() << "OK did nothing while help was open";
                ok->click();  // so that the box's loop ends and the test reports
            }
        });
    const int answer = ui::MessageBox("Master file is not a valid MIDI file.", ui::Critical,
                                      "Master File Error", 172);
    EXPECT_EQ(answer, ui::OK);
    for (const std::string& failure : user.failures()) ADD_FAILURE() << failure;
    EXPECT_TRUE(user.done());

    QWidget* h = helpWindow.window();
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(h->isVisible()) << "help went with the box";
    EXPECT_EQ(helpWindow.currentPage().filename(), "172.html");
    QCoreApplication::processEvents();
    QApplication::setActiveWindow(h);
    QTest::keyClick(h->focusWidget() != nullptr ? h->focusWidget() : h, Qt::Key_Escape);
    EXPECT_FALSE(h->isVisible());
    ui::forms::releaseAll();
}

}  // namespace
}  // namespace velt::desk
