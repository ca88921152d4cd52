// What a keyboard user can do on a tabbed form: choose a tab every way there is (each shows its
// page and raises Click once), see the focused strip marked, step an up-down from its box with
// the arrow keys, and move with Tab in the layout's reading order. Driven by the test script's
// user and by real Qt key events.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>

#include "desk/ui/testing/script.h"
#include "desk/ui/ui.h"

namespace velt::ui {
namespace {

// A settings-like window whose controls are declared in another order than they are laid out:
// the buttons at the bottom first, the right column before the left one.
class frmKeys : public Form {
  public:
    frmKeys() : Form("frmKeys") {}

    CommandButton cmdOK{this, "cmdOK"};
    CommandButton cmdCancel{this, "cmdCancel"};
    TabControl tabPages{this, "tabPages"};
    // Audio page: a frame with two buttons, the right one declared first.
    Frame fraFile{this, "fraFile"};
    CommandButton cmdEdit{this, "cmdEdit"};
    CommandButton cmdBrowse{this, "cmdBrowse"};
    ComboBox cboAudioFile{this, "cboAudioFile"};
    // Timing page: a synced up-down, an unsynced one over a masked box, and a box in the row.
    TextBox txtSpeed{this, "txtSpeed"};
    Label lblBeats{this, "lblBeats"};
    TextBox txtBeats{this, "txtBeats"};
    UpDown spnBeats{this, "spnBeats"};
    MaskedBox txtStart{this, "txtStart"};
    UpDown spnStart{this, "spnStart"};
    // MIDI page.
    TextBox txtChannel{this, "txtChannel"};
    UpDown spnChannel{this, "spnChannel"};

  protected:
    void design() override {
        setCaption("Keys");
        Move(0, 0, 6000, 4200);
        cmdOK.Move(3360, 3720, 1200, 375);
        cmdOK.setCaption("OK");
        cmdOK.setDefault(true);
        cmdCancel.Move(4680, 3720, 1200, 375);
        cmdCancel.setCaption("Cancel");
        cmdCancel.setCancel(true);
        tabPages.Move(120, 120, 5760, 3480);
        tabPages.setTabs(3);
        tabPages.setTabCaption(0, "&Audio");
        tabPages.setTabCaption(1, "&Timing");
        tabPages.setTabCaption(2, "M&IDI");

        fraFile.setContainer(tabPages, 0);
        fraFile.Move(120, 480, 5520, 1500);
        cboAudioFile.setContainer(fraFile);
        cboAudioFile.Move(120, 300, 5280, 315);
        cboAudioFile.AddItem("1. take");
        cboAudioFile.setListIndex(0);
        cmdEdit.setContainer(fraFile);
        cmdEdit.Move(2880, 780, 1560, 375);
        cmdEdit.setCaption("Edit");
        cmdBrowse.setContainer(fraFile);
        cmdBrowse.Move(120, 780, 1560, 375);
        cmdBrowse.setCaption("Browse");

        // The box of the row stands 30 twips higher than its label, as the windows lay them.
        txtBeats.setContainer(tabPages, 1);
        txtBeats.Move(1560, 570, 720, 315);
        txtBeats.setText("4");
        spnBeats.setContainer(tabPages, 1);
        spnBeats.Move(2280, 570, 255, 315);
        spnBeats.setMin(1);
        spnBeats.setMax(9);
        spnBeats.setBuddy(txtBeats, true);
        lblBeats.setContainer(tabPages, 1);
        lblBeats.Move(120, 600, 1440, 255);
        lblBeats.setCaption("&Beats:");
        txtSpeed.setContainer(tabPages, 1);
        txtSpeed.Move(3000, 570, 720, 315);
        txtStart.setContainer(tabPages, 1);
        txtStart.Move(120, 1080, 1080, 315);
        txtStart.setMask("##:##:##");
        spnStart.setContainer(tabPages, 1);
        spnStart.Move(1200, 1080, 255, 315);
        spnStart.setBuddy(txtStart);

        txtChannel.setContainer(tabPages, 2);
        txtChannel.Move(1560, 570, 720, 315);
        txtChannel.setText("1");
        spnChannel.setContainer(tabPages, 2);
        spnChannel.Move(2280, 570, 255, 315);
        spnChannel.setBuddy(txtChannel);
    }
};

int count(const std::vector<std::string>& trace, const std::string& event) {
    return static_cast<int>(std::count(trace.begin(), trace.end(), event));
}

// The controls a user can reach on the page shown: the page's own controls can take the focus,
// the other pages' cannot.
bool pageShown(frmKeys& f, int tab) {
    Control* onPage[] = {&f.cboAudioFile, &f.txtBeats, &f.txtChannel};
    for (int i = 0; i < 3; ++i) {
        if (onPage[i]->canTakeFocusNow() != (i == tab)) return false;
    }
    auto* bar = f.tabPages.widget()->findChild<QTabBar*>();
    return bar != nullptr && bar->currentIndex() == tab;
}

void activate(Form& f) {
    f.window()->activateWindow();
    QApplication::setActiveWindow(f.window());
}

TEST(Keyboard, EveryWayOfChoosingATabShowsItsPageAndRaisesClickOnce) {
    test::Script ui;
    auto& f = forms::get<frmKeys>();
    f.Show();
    auto u = ui.user();
    u.focus(f.cboAudioFile);

    struct Way {
        const char* name;
        std::function<void()> choose;
        int tab;  // the tab shown afterwards
    } ways[] = {
        {"Alt+T", [&] { u.mnemonic(f, 't'); }, 1},
        {"Right on the strip", [&] { u.key(f.tabPages, Key::Right); }, 2},
        {"Ctrl+Tab round the end", [&] { u.key(f.tabPages, Key::CtrlTab); }, 0},
        {"Ctrl+Shift+Tab", [&] { u.key(f.tabPages, Key::CtrlShiftTab); }, 2},
        {"Ctrl+PageUp", [&] { u.key(f.tabPages, Key::CtrlPageUp); }, 1},
        {"Ctrl+PageDown from a box on the page", [&] { u.key(f.txtBeats, Key::CtrlPageDown); }, 2},
        {"Left on the strip", [&] { u.key(f.tabPages, Key::Left); }, 1},
        {"a click", [&] { u.selectTab(f.tabPages, 0); }, 0},
        {"Alt+I", [&] { u.mnemonic(f, 'I'); }, 2},
        {"Ctrl+Tab from the OK button", [&] { u.key(f.cmdOK, Key::CtrlTab); }, 0},
    };
    for (const Way& w : ways) {
        SCOPED_TRACE(w.name);
        const int before = f.tabPages.Tab();
        ui.clearEvents();
        w.choose();
        EXPECT_EQ(f.tabPages.Tab(), w.tab);
        EXPECT_TRUE(pageShown(f, w.tab));
        EXPECT_EQ(count(ui.trace(), "tabPages_Click " + std::to_string(before)), 1);
        EXPECT_EQ(count(ui.trace(), "tabPages_Click " + std::to_string(w.tab)), 0);
    }
    // A box on the page going away gives the focus to the strip; a control outside the pages
    // keeps it.
    EXPECT_EQ(f.ActiveControl(), &f.cmdOK);
    u.key(f.cmdOK, Key::CtrlTab);
    EXPECT_EQ(f.ActiveControl(), &f.cmdOK);
    u.key(f.cmdCancel, Key::Tab);  // Cancel, then round to the strip, then the page's first box
    u.key(f.tabPages, Key::Tab);
    EXPECT_EQ(f.ActiveControl(), &f.txtBeats);
    ui.clearEvents();
    u.key(f.txtBeats, Key::CtrlTab);
    EXPECT_EQ(ui.trace(), (std::vector<std::string>{"txtBeats_LostFocus", "tabPages_GotFocus",
                                                    "tabPages_Click 1"}));
    // A box whose LostFocus keeps the focus keeps its page too.
    u.key(f.tabPages, Key::CtrlShiftTab);
    u.focus(f.txtBeats);
    f.txtBeats.LostFocus = [&] { f.txtBeats.SetFocus(); };
    u.key(f.txtBeats, Key::CtrlTab);
    u.mnemonic(f, 'a');
    EXPECT_EQ(f.tabPages.Tab(), 1);
    EXPECT_TRUE(pageShown(f, 1));
    f.txtBeats.LostFocus = nullptr;
}

TEST(Keyboard, RealKeysChooseTabsAsTheScriptsDo) {
    test::Script ui;
    auto& f = forms::get<frmKeys>();
    f.Show();
    activate(f);
    auto* bar = f.tabPages.widget()->findChild<QTabBar*>();
    ASSERT_NE(bar, nullptr);
    ui.clearEvents();

    // Alt+T: Qt's own mnemonic of the strip comes to the control, which shows the page.
    QTest::keyClick(f.window(), Qt::Key_T, Qt::AltModifier);
    EXPECT_EQ(f.tabPages.Tab(), 1);
    EXPECT_TRUE(pageShown(f, 1));
    EXPECT_EQ(f.ActiveControl(), &f.tabPages);
    // Right counts from the page shown.
    QTest::keyClick(f.tabPages.widget(), Qt::Key_Right);
    EXPECT_EQ(f.tabPages.Tab(), 2);
    QTest::keyClick(f.tabPages.widget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(f.tabPages.Tab(), 0);
    QTest::keyClick(f.tabPages.widget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(f.tabPages.Tab(), 2);
    QTest::keyClick(f.tabPages.widget(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(f.tabPages.Tab(), 1);
    f.txtBeats.SetFocus();
    auto* edit = qobject_cast<QLineEdit*>(f.txtBeats.widget());
    QTest::keyClick(edit, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(f.tabPages.Tab(), 2);
    EXPECT_TRUE(pageShown(f, 2));
    // A press on a tab whose move is dropped leaves the strip on the page shown.
    f.txtChannel.SetFocus();
    f.txtChannel.LostFocus = [&] { f.txtChannel.SetFocus(); };
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    EXPECT_EQ(f.tabPages.Tab(), 2);
    EXPECT_TRUE(pageShown(f, 2));
    f.txtChannel.LostFocus = nullptr;

    const auto trace = ui.trace();
    EXPECT_EQ(count(trace, "tabPages_Click 0"), 2);
    EXPECT_EQ(count(trace, "tabPages_Click 1"), 2);
    EXPECT_EQ(count(trace, "tabPages_Click 2"), 2);
    EXPECT_EQ(f.txtBeats.Text(), "4");  // no key reached the box as a character
}

TEST(Keyboard, TheFocusedStripMarksItsTab) {
    test::Script ui;
    auto& f = forms::get<frmKeys>();
    f.Show();
    auto u = ui.user();
    auto* bar = f.tabPages.widget()->findChild<QTabBar*>();
    ASSERT_NE(bar, nullptr);
    u.focus(f.cmdOK);
    EXPECT_FALSE(f.tabPages.focusMarkShown());
    const QImage plain = bar->grab().toImage();

    u.mnemonic(f, 'a');
    EXPECT_TRUE(f.tabPages.focusMarkShown());
    const QImage marked = bar->grab().toImage();
    EXPECT_NE(plain, marked);
    // Only the current tab is marked: outside its rectangle the strip is drawn as without focus.
    const QRect tab = bar->tabRect(0);
    for (int x = tab.right() + 2; x < plain.width(); ++x) {
        for (int y = 0; y < plain.height(); ++y) {
            ASSERT_EQ(plain.pixel(x, y), marked.pixel(x, y)) << x << "," << y;
        }
    }
    u.key(f.tabPages, Key::Tab);
    EXPECT_FALSE(f.tabPages.focusMarkShown());
    EXPECT_EQ(bar->grab().toImage(), plain);
}

TEST(Keyboard, UpAndDownInABuddyBoxPressItsArrows) {
    test::Script ui;
    auto& f = forms::get<frmKeys>();
    f.Show();
    auto u = ui.user();
    int startUps = 0, startDowns = 0;
    f.spnStart.UpClick = [&] { ++startUps; };
    f.spnStart.DownClick = [&] { ++startDowns; };
    u.selectTab(f.tabPages, 1);

    struct Press {
        Key key;
        const char* beats;  // the synced box afterwards
    } presses[] = {
        {Key::Up, "5"},       {Key::Up, "6"}, {Key::PageUp, "7"}, {Key::Down, "6"},
        {Key::PageDown, "5"}, {Key::Up, "6"}, {Key::Up, "7"},     {Key::Up, "8"},
        {Key::Up, "9"},       {Key::Up, "9"},  // at the top nothing happens
    };
    u.focus(f.txtBeats);
    ui.clearEvents();
    for (const Press& p : presses) {
        u.key(f.txtBeats, p.key);
        EXPECT_EQ(f.txtBeats.Text(), p.beats);
    }
    const auto trace = ui.trace();
    EXPECT_EQ(count(trace, "spnBeats_UpClick"), 7);
    EXPECT_EQ(count(trace, "spnBeats_DownClick"), 2);
    EXPECT_EQ(count(trace, "txtBeats_LostFocus"), 0);  // the focus stays in the box
    EXPECT_EQ(f.ActiveControl(), &f.txtBeats);

    // An unsynced up-down over a masked box: each key raises its handler's event once.
    u.key(f.txtStart, Key::Up);
    u.key(f.txtStart, Key::PageDown);
    u.key(f.txtStart, Key::Down);
    EXPECT_EQ(startUps, 1);
    EXPECT_EQ(startDowns, 2);

    // Real keys in the boxes.
    activate(f);
    auto* beats = qobject_cast<QLineEdit*>(f.txtBeats.widget());
    f.txtBeats.SetFocus();
    QTest::keyClick(beats, Qt::Key_Down);
    EXPECT_EQ(f.txtBeats.Text(), "8");
    f.txtStart.SetFocus();
    QTest::keyClick(f.txtStart.widget(), Qt::Key_Up);
    EXPECT_EQ(startUps, 2);

    // A disabled up-down does not move.
    f.spnBeats.setEnabled(false);
    u.key(f.txtBeats, Key::Up);
    EXPECT_EQ(f.txtBeats.Text(), "8");
}

TEST(Keyboard, TabFollowsTheReadingOrderUnlessTheFormSetsIt) {
    test::Script ui;
    auto& f = forms::get<frmKeys>();
    f.Show();
    auto u = ui.user();
    auto walk = [&](int stops) {
        std::vector<std::string> names;
        for (int i = 0; i < stops; ++i) {
            names.push_back(f.ActiveControl()->Name());
            u.key(*f.ActiveControl(), Key::Tab);
        }
        return names;
    };
    // The first stop of the reading order has the focus when the form is shown.
    EXPECT_EQ(walk(6), (std::vector<std::string>{"tabPages", "cboAudioFile", "cmdBrowse", "cmdEdit",
                                                 "cmdOK", "cmdCancel"}));
    EXPECT_EQ(f.ActiveControl(), &f.tabPages);
    u.key(f.tabPages, Key::Right);
    EXPECT_EQ(walk(6), (std::vector<std::string>{"tabPages", "txtBeats", "txtSpeed", "txtStart",
                                                 "cmdOK", "cmdCancel"}));
    u.key(f.tabPages, Key::ShiftTab);
    EXPECT_EQ(f.ActiveControl(), &f.cmdCancel);
    // A control beyond the edge of its page is passed over.
    f.txtSpeed.setLeft(5800);
    u.key(f.cmdCancel, Key::Tab);
    EXPECT_EQ(walk(4), (std::vector<std::string>{"tabPages", "txtBeats", "txtStart", "cmdOK"}));
    f.txtSpeed.setLeft(3000);
    // A label's mnemonic passes to the next stop in the same order.
    u.mnemonic(f, 'b');
    EXPECT_EQ(f.ActiveControl(), &f.txtBeats);

    // A form that sets the order gets its own.
    f.cmdCancel.setTabIndex(0);
    f.txtSpeed.setTabIndex(1);
    f.tabPages.setTabIndex(2);
    f.txtBeats.setTabIndex(3);
    f.cmdOK.setTabIndex(4);
    f.txtStart.setTabIndex(5);
    u.focus(f.cmdCancel);
    EXPECT_EQ(walk(6), (std::vector<std::string>{"cmdCancel", "txtSpeed", "tabPages", "txtBeats",
                                                 "cmdOK", "txtStart"}));
}

TEST(Keyboard, AnEditableComboIsEditedAtTheCaretAndClearedByKeys) {
    test::Script ui;
    auto& f = forms::get<frmKeys>();
    f.Show();
    auto u = ui.user();
    auto& c = f.cboAudioFile;
    struct Edit {
        const char* name;
        std::function<void()> keys;
        const char* text;
        int changes;  // one per edit that changed the text
    } edits[] = {
        // Focus by Tab selects the whole text: Backspace or Delete clears it in one edit.
        {"Tab, Backspace", [&] { u.key(f.tabPages, Key::Tab), u.type(c, "\b"); }, "", 1},
        {"Tab, Delete", [&] { u.key(f.tabPages, Key::Tab), u.key(c, Key::Delete); }, "", 1},
        {"Tab, a character", [&] { u.key(f.tabPages, Key::Tab), u.type(c, "x"); }, "x", 1},
        // A click puts the caret at the end: Backspace takes the last character, Delete none.
        {"click, Backspace", [&] { u.focus(c), u.type(c, "\b"); }, "1. tak", 1},
        {"click, Delete", [&] { u.focus(c), u.key(c, Key::Delete); }, "1. take", 0},
        {"click, Home, Delete", [&] { u.focus(c), u.key(c, Key::Home), u.key(c, Key::Delete); },
         ". take", 1},
        {"click, Left, Backspace, 2", [&] { u.focus(c), u.key(c, Key::Left), u.type(c, "\b2"); },
         "1. ta2e", 2},
        {"click, Ctrl+A, Backspace", [&] { u.focus(c), u.ctrl(c, 'a'), u.type(c, "\b"); }, "", 1},
    };
    for (const Edit& e : edits) {
        SCOPED_TRACE(e.name);
        c.setListIndex(0);
        u.focus(f.tabPages);
        ui.clearEvents();
        e.keys();
        EXPECT_EQ(c.Text(), e.text);
        EXPECT_EQ(count(ui.trace(), "cboAudioFile_Change"), e.changes);
    }

    // Real keys: Qt's Tab focus selects the line; Delete is the line edit's own edit.
    activate(f);
    c.setListIndex(0);
    u.focus(f.tabPages);
    auto* edit = qobject_cast<QComboBox*>(c.widget())->lineEdit();
    QTest::keyClick(f.tabPages.widget(), Qt::Key_Tab);
    ASSERT_EQ(f.ActiveControl(), &c);
    ui.clearEvents();
    QTest::keyClick(edit, Qt::Key_Delete);
    EXPECT_EQ(c.Text(), "");
    EXPECT_EQ(ui.trace(), (std::vector<std::string>{"cboAudioFile_Change"}));
    c.setListIndex(0);
    f.tabPages.SetFocus();
    QTest::keyClick(f.tabPages.widget(), Qt::Key_Tab);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(c.Text(), "");
}

}  // namespace
}  // namespace velt::ui
