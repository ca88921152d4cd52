#include <gtest/gtest.h>

#include "demo_form.h"
#include "desk/ui/testing/script.h"

namespace velt::ui {
namespace {

using demo::frmDemo;

TEST(Timer, TicksOnlyWhenTheTestClockMoves) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();  // hidden forms run their timers too
    std::vector<int64_t> at;
    f.on("tmrStatus_Timer", [&] { at.push_back(ui.now()); });
    ui.advance(2000);
    EXPECT_TRUE(at.empty());  // disabled at design
    f.tmrStatus.setEnabled(true);
    ui.advance(1200);
    EXPECT_EQ(at, (std::vector<int64_t>{2500, 3000}));
    f.tmrStatus.setInterval(300);  // restarts the count
    ui.advance(700);
    EXPECT_EQ(at, (std::vector<int64_t>{2500, 3000, 3500, 3800}));
    f.tmrStatus.setEnabled(true);  // already running: nothing changes
    ui.advance(300);
    EXPECT_EQ(at.back(), 4100);
    EXPECT_EQ(f.tmrStatus.setInterval(70000), Status::Refused);
}

TEST(Timer, FastTimersWalkEveryDueTime) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    int ticks = 0;
    f.on("tmrStatus_Timer", [&] { ++ticks; });
    f.tmrStatus.setInterval(1);
    f.tmrStatus.setEnabled(true);
    ui.advance(2500);
    EXPECT_EQ(ticks, 2500);
}

TEST(Timer, NoNestedTickAndDisableInsideTheHandler) {
    test::Script ui;
    auto& f = forms::get<frmDemo>();
    int ticks = 0;
    f.on("tmrStatus_Timer", [&] {
        ++ticks;
        WaitFor(1000);  // a busy wait inside the handler: the timer doesn't tick into itself
        if (ticks == 2) f.tmrStatus.setEnabled(false);
    });
    f.tmrStatus.setEnabled(true);
    ui.advance(5000);
    EXPECT_EQ(ticks, 2);
    // Unloading stops the form's timers.
    f.tmrStatus.setEnabled(true);
    f.unload();
    ui.advance(5000);
    EXPECT_EQ(ticks, 2);
}

TEST(Timer, PostedCallbacksAndDoEvents) {
    test::Script ui;
    std::vector<int64_t> at;
    Scheduler::instance().postAt(1500, [&] { at.push_back(ui.now()); });
    int cancelled = Scheduler::instance().postAt(1000, [&] { at.push_back(-1); });
    Scheduler::instance().cancel(cancelled);
    DoEvents();  // never moves the test clock
    EXPECT_EQ(ui.now(), 0);
    ui.advance(2000);
    EXPECT_EQ(at, (std::vector<int64_t>{1500}));
    EXPECT_EQ(ui.now(), 2000);
}

}  // namespace
}  // namespace velt::ui
