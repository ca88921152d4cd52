#include <gtest/gtest.h>

#include "demo_form.h"
#include "desk/ui/testing/script.h"

namespace velt::ui {
namespace {

using demo::frmDemo;

TEST(CheckBox, ValueRulesAndUserClicks) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    f.Show();
    auto& c = f.chkDrums;
    ui.clearEvents();
    c.setValue(1);
    c.setValue(1);  // same value: nothing
    EXPECT_EQ(c.setValue(3), Status::Refused);
    c.setValue(2);
    ui.user().click(c);  // greyed -> checked
    EXPECT_EQ(c.Value(), 1);
    ui.user().click(c);
    EXPECT_EQ(c.Value(), 0);
    ui.user().key(c, Key::Space);
    EXPECT_EQ(c.Value(), 1);
    auto trace = ui.trace();
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "chkDrums_Click"), 5);

    // R1: a handler re-assigning its own box raises no nested Click.
    int clicks = 0;
    f.on("chkDrums_Click", [&] {
        ++clicks;
        c.setValue(c.Value() == 1 ? 0 : 1);
    });
    c.setValue(0);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(c.Value(), 1);
}

TEST(OptionButton, GroupSelectionAndClickRules) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    f.Show();
    ui.clearEvents();
    f.optMode(0).setValue(true);  // already selected: Click again
    f.optMode(2).setValue(true);
    EXPECT_FALSE(f.optMode(0).Value());
    f.optMode(2).setValue(false);  // nothing raised
    EXPECT_FALSE(f.optMode(2).Value());
    EXPECT_EQ(ui.trace(), (std::vector<std::string>{"optMode(0)_Click", "optMode(2)_Click"}));
    // An index outside the array is refused and gives an inert element.
    EXPECT_EQ(f.optMode(7).setValue(true), Status::Refused);
    EXPECT_EQ(f.optMode.Count(), 3);
    EXPECT_EQ(f.optMode.UBound(), 2);

    auto u = ui.user();
    u.click(f.optMode(1));
    ui.clearEvents();
    u.click(f.optMode(1));  // a user click on the selected option raises nothing
    u.dblClick(f.optMode(1));
    EXPECT_EQ(ui.trace(), (std::vector<std::string>{"optMode(1)_DblClick"}));
    // Other containers are other groups.
    f.optMode(0).setContainer(f.picCoverage);
    f.optMode(0).setValue(true);
    EXPECT_TRUE(f.optMode(1).Value());
}

TEST(Slider, ClampsEveryAssignmentAndRaisesNothingFromCode) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    auto& s = f.sldRange;  // 0..127, selection 36+48, value 60
    ui.clearEvents();
    struct Step {
        const char* name;
        std::function<void()> act;
        int min, max, value, selStart, selLength;
    };
    const Step steps[] = {
        {"value above max", [&] { s.setValue(500); }, 0, 127, 127, 36, 48},
        {"selection length past max", [&] { s.setSelLength(200); }, 0, 127, 127, 36, 91},
        {"max below the selection", [&] { s.setMax(100); }, 0, 100, 100, 36, 64},
        {"min above max moves max", [&] { s.setMin(110); }, 110, 110, 110, 110, 0},
        {"max below min moves min", [&] { s.setMax(5); }, 5, 5, 5, 5, 0},
    };
    for (const auto& st : steps) {
        SCOPED_TRACE(st.name);
        st.act();
        EXPECT_EQ(s.Min(), st.min);
        EXPECT_EQ(s.Max(), st.max);
        EXPECT_EQ(s.Value(), st.value);
        EXPECT_EQ(s.SelStart(), st.selStart);
        EXPECT_EQ(s.SelLength(), st.selLength);
    }
    EXPECT_TRUE(ui.trace().empty());
}

TEST(Slider, UserDragAndKeys) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    f.Show();
    auto u = ui.user();
    u.focus(f.sldRange);
    ui.clearEvents();
    EXPECT_TRUE(u.drag(f.sldRange, Right, 2));
    EXPECT_EQ(f.sldRange.Value(), 62);
    EXPECT_EQ(ui.trace(),
              (std::vector<std::string>{"sldRange_MouseDown 1,0,1700.79,225", "sldRange_Scroll",
                                        "sldRange_Scroll", "sldRange_MouseUp 1,0,1700.79,225",
                                        "sldRange_Change"}));
    ui.clearEvents();
    u.key(f.sldRange, Key::PageUp);
    EXPECT_EQ(f.sldRange.Value(), 57);
    EXPECT_EQ(ui.trace(), (std::vector<std::string>{"sldRange_Scroll", "sldRange_Change"}));
    // A drag that ends where it started raises no Change.
    ui.clearEvents();
    u.dragTo(f.sldRange, 57);
    EXPECT_EQ(ui.trace().back().rfind("sldRange_MouseUp", 0), 0u);
}

TEST(UpDown, BuddySyncedPressesReadTheBuddy) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    f.Show();
    auto u = ui.user();
    struct Case {
        const char* buddy;
        Direction d;
        const char* after;
        int value;
    };
    const Case cases[] = {
        {"120", Up, "121", 121},  {" +52 ", Up, "53", 53},
        {"Auto", Down, "52", 52},  // unreadable: the spinner's own last value
        {"", Up, "53", 53},       {"300", Up, "300", 53},  // at a limit nothing happens
        {"20", Down, "20", 53},   {"-5", Up, "20", 20},    // held to Min 20
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.buddy);
        f.txtTempo.setText(c.buddy);
        u.spin(f.spnTempo, c.d);
        EXPECT_EQ(f.txtTempo.Text(), c.after);
        EXPECT_EQ(f.spnTempo.Value(), c.value);
    }
    // Order: the buddy's Change, the spinner's Change, then UpClick; no focus moves.
    f.txtTempo.setText("50");
    ui.clearEvents();
    u.spin(f.spnTempo, Up);
    EXPECT_EQ(ui.trace(),
              (std::vector<std::string>{"txtTempo_Change", "spnTempo_Change", "spnTempo_UpClick"}));
    // R2: a press while the UpClick handler runs (a repeat step through DoEvents) is skipped.
    int ups = 0;
    f.on("spnTempo_UpClick", [&] {
        ++ups;
        u.spin(f.spnTempo, Up);
    });
    u.spin(f.spnTempo, Up);
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(f.txtTempo.Text(), "52");
}

TEST(ScrollBarAndProgressBar, ClampAndChange) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    f.Show();
    ui.clearEvents();
    f.scrGrid.setValue(99);
    f.scrGrid.setValue(16);
    EXPECT_EQ(f.scrGrid.Value(), 16);
    ui.user().key(f.scrGrid, Key::Up);
    EXPECT_EQ(f.scrGrid.Value(), 15);
    auto trace = ui.trace();
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "scrGrid_Change"), 2);

    f.prgDone.setValue(101);
    EXPECT_EQ(f.prgDone.Value(), 100);
    f.prgDone.setValue(-3);
    EXPECT_EQ(f.prgDone.Value(), 0);
}

}  // namespace
}  // namespace velt::ui
