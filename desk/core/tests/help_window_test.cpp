// The program's help window on a machine without any outside program to show a page: PATH
// holds no xdg-open and no browser, the pages are the installed ones beside the programs. F1,
// a window's Help button and a box's Help button open the page in the window; its contents,
// links, Back and Forward move between pages; a page that isn't there is named in a box.
#include "desk/ui/help/help_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolButton>
#include <QWindow>
#include <filesystem>
#include <regex>

#include "audio_input_double.h"
#include "desk/core/global.h"
#include "desk/core/options/frm_customize.h"
#include "desk/core/shared/message.h"
#include "desk/core/shared/services.h"
#include "desk/core/shared/tools.h"
#include "desk/ui/testing/script.h"
#include "desk/wizard/frm_wizard.h"
#include "platform/midi_out/midi_out.h"
#include "scoped_env.h"
#include "test_support.h"
#include "window_user.h"

namespace velt::desk {
namespace {

namespace fs = std::filesystem;

// The <title> of an installed page.
std::string titleOf(const fs::path& page) {
    std::smatch m;
    const std::string text = test::readFile(page);
    return std::regex_search(text, m, std::regex("<title>([^<]*)</title>")) ? m[1].str() : "";
}

// Clicks the first link of the shown page whose target is `href`, as a user does.
bool clickLink(QTextBrowser& browser, const QString& href) {
    for (QTextBlock b = browser.document()->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            QTextFragment f = it.fragment();
            if (!f.charFormat().isAnchor() || f.charFormat().anchorHref() != href) continue;
            QTextCursor c(browser.document());
            c.setPosition(f.position() + 1);
            QPoint at = browser.cursorRect(c).center();
            QTest::mouseClick(browser.viewport(), Qt::LeftButton, {}, at);
            return true;
        }
    }
    return false;
}

class HelpWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetGlobal();
        UseShell(nullptr);  // the system's shell, which finds no xdg-open on this PATH
        platform::midi_out::useDevices(&midi);
        G().InstallFolder = test::binDir().string() + "/";
        help = MakeProgramHelp(G().InstallFolder);
        ui::runtime().help = help.get();
    }
    void TearDown() override {
        ui::Release<frmCustomize>();
        ui::Release<frmWizard>();
        ui::runtime().help = nullptr;
        platform::midi_out::useDevices(nullptr);
        ResetGlobal();
    }
    ui::HelpWindow& window() { return static_cast<ui::HelpWindow&>(*help); }
    fs::path page(long topic) const {
        return test::binDir() / "help" / (std::to_string(topic) + ".html");
    }
    QTextBrowser& browser() { return *window().window()->findChild<QTextBrowser*>("page"); }
    QToolButton& button(const char* name) {
        return *window().window()->findChild<QToolButton*>(name);
    }
    void expectShown(long topic) { expectShown(page(topic)); }
    void expectShown(const fs::path& shown) {
        ASSERT_NE(window().window(), nullptr);
        EXPECT_TRUE(window().window()->isVisible());
        EXPECT_EQ(window().currentPage(), shown);
        EXPECT_EQ(window().window()->windowTitle().toStdString(), titleOf(shown));
    }

    test::TempDir empty;
    test::ScopedEnv path{"PATH", empty.path().string()};
    ui::test::Script ui;
    platform::midi_out::RecordingMidiOut midi{2};
    test_audio::FakeAudioInput audio;
    std::unique_ptr<platform::Help> help;
};

TEST_F(HelpWindowTest, F1AndHelpButtonsOpenThePageWithoutABrowser) {
    ASSERT_TRUE(FindMidiEditor().empty());  // PATH really holds nothing
    frmCustomize& f = ui::Load<frmCustomize>();
    f.Show();
    auto user = ui.user();

    // F1 on a control with its own topic, then on one that has the dialog's.
    user.key(f.cboMidiDevice, ui::Key::F1);
    expectShown(158);
    user.key(f.cmdOK, ui::Key::F1);
    expectShown(30);
    // The dialog's Help button shows the dialog's page.
    user.click(f.cmdHelp);
    expectShown(25);
    // A box's Help button.
    ui.expectBox({.title = "Master File Error"}).pressHelp().answer(ui::OK);
    ShowMessage("Master file is not a valid MIDI file.", ui::Critical, "Master File Error", 172);
    expectShown(172);
    EXPECT_EQ(ui.boxes().size(), 1u);
}

// Counts the times a window is hidden.
class HideCount : public QObject {
  public:
    int hides = 0;

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Hide) ++hides;
        return false;
    }
};

// Help opened by F1 in the modal wizard: the wizard's Next still works with help open, help
// becomes a window of the wizard without being hidden or moved, Esc and Close close it.
TEST_F(HelpWindowTest, HelpBesideTheModalWizardLeavesBothWorking) {
    G().WizardRunning = true;
    // Open already, beside the program's windows, where the user put it.
    ASSERT_TRUE(help->showContents());
    QWidget* h = window().window();
    h->move(40, 60);
    const QPoint placed = h->pos();
    HideCount hidden;
    h->installEventFilter(&hidden);

    ui.onModal<frmWizard>([&](frmWizard& w, ui::test::User&) {
        QCoreApplication::processEvents();  // help's own activation, from before
        test_keys::activate(w);

        ASSERT_TRUE(test_keys::press(Qt::Key_F1));
        expectShown(w.HelpContextID());
        EXPECT_EQ(h->windowModality(), Qt::NonModal);
        EXPECT_EQ(h->windowHandle()->transientParent(), w.window()->windowHandle());
        EXPECT_EQ(hidden.hides, 0) << "help was hidden on its way to the wizard";
        EXPECT_EQ(h->pos(), placed);

        const WizardStep before = w.CurrentStep;
        test_keys::click(w.cmdNav(3).widget());
        EXPECT_NE(w.CurrentStep, before) << "Next did nothing while help was open";
        EXPECT_TRUE(h->isVisible());

        // Esc in help closes it; the Close button too.
        QCoreApplication::processEvents();
        QApplication::setActiveWindow(h);
        QTest::keyClick(h->focusWidget() != nullptr ? h->focusWidget() : h, Qt::Key_Escape);
        EXPECT_FALSE(h->isVisible());
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::activeWindow(), w.window()) << "the keys went nowhere";
        ASSERT_TRUE(test_keys::press(Qt::Key_F1));
        EXPECT_TRUE(h->isVisible());
        auto* close = h->findChild<QPushButton*>("close");
        ASSERT_NE(close, nullptr);
        test_keys::click(close);
        EXPECT_FALSE(h->isVisible());
        w.Hide();
    });
    ui::forms::get<frmWizard>().Show(ui::Modal);
    h->removeEventFilter(&hidden);
}

TEST_F(HelpWindowTest, ContentsLinksBackAndForward) {
    ASSERT_TRUE(help->showContents());
    const fs::path index = test::binDir() / "help" / "index.html";
    expectShown(index);
    auto* list = window().window()->findChild<QListWidget*>("contentsList");
    ASSERT_NE(list, nullptr);
    const auto entries = ui::HelpWindow::ContentsOf(test::readFile(index));
    ASSERT_GT(entries.size(), 60u);
    EXPECT_EQ(list->count(), static_cast<int>(entries.size()));
    EXPECT_FALSE(button("back").isEnabled());

    // A click on an entry of the contents, a link of that page, then Back and Forward.
    auto found = list->findItems("How Veltrane works", Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    list->scrollToItem(found[0]);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(found[0]).center());
    expectShown(116);
    EXPECT_EQ(list->currentItem(), found[0]);
    ASSERT_TRUE(clickLink(browser(), "index.html"));
    expectShown(index);
    QTest::mouseClick(&button("back"), Qt::LeftButton);
    expectShown(116);
    QTest::mouseClick(&button("back"), Qt::LeftButton);
    expectShown(index);
    EXPECT_FALSE(button("back").isEnabled());
    QTest::mouseClick(&button("forward"), Qt::LeftButton);
    expectShown(116);
    QTest::mouseClick(&button("forward"), Qt::LeftButton);
    expectShown(index);
    EXPECT_FALSE(button("forward").isEnabled());
    QTest::mouseClick(&button("contents"), Qt::LeftButton);
    expectShown(index);

    // A topic without a page: the box names it and the window keeps its page.
    ui.expectBox({.text = "The help page '" + page(12345).string() +
                          "' could not be found.  The help pages are installed in the folder "
                          "'help' beside the program; installing the program again puts them "
                          "back.",
                  .title = "Help",
                  .icon = ui::Exclamation})
        .answer(ui::OK);
    EXPECT_FALSE(help->showTopic(12345));
    expectShown(index);
}

TEST_F(HelpWindowTest, MissingPagesAndTheOptionalBrowserAreReported) {
    // Pages of a damaged installation: a link to a page that is gone and one to the web.
    const fs::path folder = empty.path() / "help";
    fs::create_directories(folder);
    test::writeFile(folder / "index.html",
                    "<html><head><title>Contents</title></head><body><ul>"
                    "<li><a href=\"1.html\">One &amp; only</a></li></ul></body></html>");
    test::writeFile(folder / "1.html",
                    "<html><head><title>One</title></head><body><p><a href=\"gone.html\">gone"
                    "</a> and <a href=\"https://example.invalid/\">away</a></p></body></html>");
    ui::runtime().help = nullptr;
    help = MakeProgramHelp(empty.path().string() + "/");
    ui::runtime().help = help.get();
    EXPECT_EQ(ui::HelpWindow::ContentsOf(test::readFile(folder / "index.html")).at(0).title,
              "One & only");

    ShowHelpTopic(1);
    expectShown(folder / "1.html");
    ui.expectBox({.text = "The help page '" + (folder / "gone.html").string() +
                          "' could not be found.  The help pages are installed in the folder "
                          "'help' beside the program; installing the program again puts them "
                          "back.",
                  .title = "Help"})
        .answer(ui::OK);
    ASSERT_TRUE(clickLink(browser(), "gone.html"));
    expectShown(folder / "1.html");
    // No browser here: the address and the page are named, the page stays in the window.
    ui.expectBox({.text = "Veltrane could not open a web browser for 'https://example.invalid/'.  "
                          "Open it in your web browser yourself.",
                  .title = "Help"})
        .answer(ui::OK);
    ASSERT_TRUE(clickLink(browser(), "https://example.invalid/"));
    ui.expectBox({.text = "Veltrane could not start a web browser for the page '" +
                          (folder / "1.html").string() + "'.  The page stays open in this window.",
                  .title = "Help"})
        .answer(ui::OK);
    QTest::mouseClick(&button("webBrowser"), Qt::LeftButton);
    expectShown(folder / "1.html");
    EXPECT_EQ(ui.boxes().size(), 3u);
}

}  // namespace
}  // namespace velt::desk
