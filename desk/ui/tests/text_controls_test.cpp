#include <gtest/gtest.h>

#include "demo_form.h"
#include "desk/ui/testing/script.h"

namespace velt::ui {
namespace {

using demo::frmDemo;

TEST(TextBox, AssignmentsAndTheEventsTheyRaise) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    auto& t = f.txtName;
    struct Step {
        const char* name;
        std::function<void()> act;
        const char* text;
        int selStart, selLength, changes;
    };
    int changes = 0;
    f.on("txtName_Change", [&] { ++changes; });
    const Step steps[] = {
        {"different text", [&] { t.setText("hello"); }, "hello", 5, 0, 1},
        {"same text", [&] { t.setText("hello"); }, "hello", 5, 0, 1},
        {"SelStart clamped", [&] { t.setSelStart(99); }, "hello", 5, 0, 1},
        {"SelStart then SelLength clamped",
         [&] {
             t.setSelStart(1);
             t.setSelLength(99);
         },
         "hello", 1, 4, 1},
        {"SelText replaces the selection", [&] { t.setSelText("ey"); }, "hey", 3, 0, 2},
        {"SelText with the same text",
         [&] {
             t.setSelStart(0);
             t.setSelLength(1);
             t.setSelText("h");
         },
         "hey", 1, 0, 2},
        {"negative SelStart", [&] { t.setSelStart(-4); }, "hey", 0, 0, 2},
        {"text kept exactly", [&] { t.setText("  &a  "); }, "  &a  ", 6, 0, 3},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        s.act();
        EXPECT_EQ(t.Text(), s.text);
        EXPECT_EQ(t.SelStart(), s.selStart);
        EXPECT_EQ(t.SelLength(), s.selLength);
        EXPECT_EQ(changes, s.changes);
    }
}

TEST(TextBox, TypingRaisesKeyPressThenChangeAndHandlersMayRewrite) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    f.Show();
    // The cents box's rule: the Change handler writes "+" and the number.
    f.on("txtName_Change", [&] {
        std::string digits;
        for (char c : f.txtName.Text()) {
            if (c >= '0' && c <= '9') digits += c;
        }
        f.txtName.setText(digits.empty() ? "" : "+" + digits);
    });
    auto u = ui.user();
    ui.clearEvents();
    ASSERT_TRUE(u.type(f.txtName, "3"));
    EXPECT_EQ(f.txtName.Text(), "+3");
    u.type(f.txtName, "0");
    EXPECT_EQ(f.txtName.Text(), "+30");
    // txtName is the first stop: it has had the focus since Show.
    EXPECT_EQ(ui.trace(), (std::vector<std::string>{
                              "txtName_KeyPress 51", "txtName_Change",
                              "txtName_Change",  // the rewrite, once: "+3" is a fixed point
                              "txtName_KeyPress 48", "txtName_Change"}));  // "+30" stands
}

TEST(TextBox, KeyPressCancelsOrReplacesAndLimitsApply) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    f.Show();
    auto u = ui.user();
    f.txtName_KeyPressHook = [](int& k) {
        if (k == 'x') k = 0;    // cancelled
        if (k == 'a') k = 'A';  // replaced
        if (k == '!') k = 8;    // acts as Backspace
    };
    u.type(f.txtName, "axbx!c");
    EXPECT_EQ(f.txtName.Text(), "Ac");
    u.type(f.txtName, "\b");
    EXPECT_EQ(f.txtName.Text(), "A");

    f.txtName.setMaxLength(3);
    u.type(f.txtName, "bcde");
    EXPECT_EQ(f.txtName.Text(), "Abc");
    f.txtName.setText("code is not limited");
    EXPECT_EQ(f.txtName.Text(), "code is not limited");

    f.txtName.setLocked(true);
    int keys = 0;
    f.txtName_KeyPressHook = [&](int&) { ++keys; };
    u.type(f.txtName, "zz");
    EXPECT_EQ(keys, 2);
    EXPECT_EQ(f.txtName.Text(), "code is not limited");
}

TEST(TextBox, ClipboardKeysAndDelete) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    f.Show();
    auto u = ui.user();
    f.txtName.setText("abc");
    u.ctrl(f.txtName, 'a');
    u.ctrl(f.txtName, 'c');
    u.key(f.txtName, Key::End);
    u.ctrl(f.txtName, 'v');
    EXPECT_EQ(f.txtName.Text(), "abcabc");
    u.key(f.txtName, Key::Home);
    u.key(f.txtName, Key::Delete);
    EXPECT_EQ(f.txtName.Text(), "bcabc");
    f.txtName_KeyPressHook = [](int& k) {
        if (k == 22) k = 0;  // Ctrl+V cancelled: no paste
    };
    u.ctrl(f.txtName, 'v');
    EXPECT_EQ(f.txtName.Text(), "bcabc");
}

TEST(MaskedBox, TextFitsTheMaskOrIsRefused) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    auto& m = f.txtStartPoint;
    EXPECT_EQ(m.Text(), "__:__:__");
    struct Case {
        const char* text;
        bool accepted;
        const char* result;
    };
    const Case cases[] = {
        {"01:02:03", true, "01:02:03"},   {"1_:__:3_", true, "1_:__:3_"},
        {"", true, "__:__:__"},           {"1:02:03", false, "__:__:__"},
        {"100:00:00", false, "__:__:__"}, {"01-02-03", false, "__:__:__"},
        {"0a:00:00", false, "__:__:__"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        m.setText("");
        EXPECT_EQ(m.setText(c.text), c.accepted ? Status::Ok : Status::Refused);
        EXPECT_EQ(m.Text(), c.result);
    }
}

TEST(MaskedBox, TypingOverwritesDigitPositions) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    f.Show();
    auto u = ui.user();
    int changes = 0;
    f.on("txtStartPoint_Change", [&] { ++changes; });
    u.focus(f.txtStartPoint);
    f.txtStartPoint.setSelStart(0);
    u.type(f.txtStartPoint, "12a345");
    EXPECT_EQ(f.txtStartPoint.Text(), "12:34:5_");
    EXPECT_EQ(changes, 5);  // the "a" is refused
    u.type(f.txtStartPoint, "\b\b");
    EXPECT_EQ(f.txtStartPoint.Text(), "12:3_:__");
    f.txtStartPoint.setSelStart(0);
    u.key(f.txtStartPoint, Key::Delete);
    EXPECT_EQ(f.txtStartPoint.Text(), "_2:3_:__");
}

}  // namespace
}  // namespace velt::ui
