#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <functional>

#include "demo_form.h"
#include "desk/ui/testing/script.h"

namespace velt::ui {
namespace {

using demo::frmAsk;
using demo::frmDemo;

frmDemo& frmDemoForm() {
    return forms::get<frmDemo>();
}

TEST(FormLifecycle, FirstReferenceLoadsHiddenAndDesignRaisesNothing) {
    test::Script ui;
    EXPECT_FALSE(isLoaded<frmDemo>());
    auto& f = frmDemoForm();
    EXPECT_TRUE(isLoaded<frmDemo>());
    EXPECT_FALSE(f.Visible());
    // The design selected an option and set texts, but only Form_Load was raised.
    EXPECT_EQ(ui.trace(), (std::vector<std::string>{"frmDemo.Form_Load"}));
    EXPECT_TRUE(f.optMode(0).Value());
    EXPECT_EQ(f.txtTempo.Text(), "120");
    // Hidden forms work fully from code.
    f.txtName.setText("x");
    EXPECT_EQ(ui.trace().back(), "txtName_Change");
}

TEST(FormLifecycle, UnloadCancelReleaseAndInertControls) {
    test::Script ui;
    auto& f = frmDemoForm();
    f.Show();
    f.formData = 7;
    f.txtName.setText("typed");
    f.unloadCancel = 1;
    EXPECT_FALSE(Unload<frmDemo>());
    EXPECT_TRUE(f.loaded());
    EXPECT_TRUE(f.Visible());

    f.unloadCancel = 0;
    EXPECT_TRUE(Unload<frmDemo>());
    EXPECT_FALSE(isLoaded<frmDemo>());
    // Touching a control of an unloaded form doesn't reload it and changes nothing.
    EXPECT_EQ(f.txtName.setText("late"), Status::Refused);
    EXPECT_FALSE(isLoaded<frmDemo>());
    EXPECT_TRUE(Unload<frmDemo>());  // not loaded: nothing, not loaded first
    EXPECT_FALSE(isLoaded<frmDemo>());

    // The next reference loads it again with design values; form-level data stays.
    auto& again = frmDemoForm();
    EXPECT_EQ(&again, &f);
    EXPECT_EQ(again.txtName.Text(), "");
    EXPECT_EQ(again.formData, 7);

    Release<frmDemo>();
    EXPECT_EQ(frmDemoForm().formData, 0);
}

TEST(FormLifecycle, UnloadFromItsOwnHandlerTearsDownAfterTheHandler) {
    test::Script ui;
    auto& f = frmDemoForm();
    f.Show();
    std::string after;
    f.on("cmdCancel_Click", [&] {
        f.unload();
        after = f.txtName.Text();      // inert, but safe
        f.txtName.setText("ignored");  // no reload, no event
    });
    EXPECT_TRUE(ui.user().click(f.cmdCancel));
    EXPECT_FALSE(f.loaded());
    EXPECT_EQ(f.window(), nullptr);
    EXPECT_EQ(ui.trace().back(), "frmDemo.Form_Unload");
}

TEST(FormLifecycle, ModalShowRunsTheScriptedActionAndReturnsWhenHidden) {
    test::Script ui;
    auto& f = frmDemoForm();
    f.Show();
    std::string answer;
    f.on("cmdApply_Click", [&] {
        auto& ask = forms::get<frmAsk>();
        EXPECT_EQ(ask.Show(Modal), Status::Ok);
        answer = ask.txtAnswer.Text();
        EXPECT_EQ(ask.Show(Modeless), Status::Ok);
        EXPECT_EQ(ask.Show(Modal), Status::AlreadyShown);
        ask.Hide();
    });
    ui.onModal<frmAsk>([&](frmAsk& ask, test::User& u) {
        EXPECT_TRUE(ask.Visible());
        u.type(ask.txtAnswer, "take 2");
        u.click(ask.cmdYes);  // hides: the modal Show returns
    });
    ui.user().click(f.cmdApply);
    EXPECT_EQ(answer, "take 2");
    EXPECT_TRUE(isLoaded<frmAsk>());

    // Unload ends a modal show as well.
    ui.onModal<frmAsk>([](frmAsk& ask, test::User& u) { u.click(ask.cmdNo); });
    forms::get<frmAsk>().Show(Modal);
    EXPECT_FALSE(isLoaded<frmAsk>());
}

// Where a window first appears: centred on its owner (the form shown last, or the one given),
// kept on the screen, transient for the owner instead of above every window; a position set by
// code, or StartUpPosition 0, keeps its place.
TEST(FormLifecycle, WindowsOpenCentredOnTheirOwnerAndStayAboveIt) {
    test::Script ui;
    auto& owner = frmDemoForm();
    owner.Move(1500, 1200, 6000, 4500);
    owner.Show();
    auto centredOn = [](const QRect& area, Form& f) {
        const int w = toPixels(f.Width()), h = toPixels(f.Height());
        return std::make_pair((area.x() + (area.width() - w) / 2) * TwipsPerPixel,
                              (area.y() + (area.height() - h) / 2) * TwipsPerPixel);
    };
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    struct Case {
        const char* name;
        std::function<void(frmAsk&)> before;  // after the load, before the show
        std::function<std::pair<double, double>(frmAsk&)> expected;
    } cases[] = {
        {"owner", [](frmAsk&) {},
         [&](frmAsk& a) { return centredOn(owner.window()->frameGeometry(), a); }},
        {"screen", [](frmAsk& a) { a.setStartUpPosition(2); },
         [&](frmAsk& a) { return centredOn(screen, a); }},
        {"manual", [](frmAsk& a) { a.setStartUpPosition(0); },
         [](frmAsk&) { return std::make_pair(0.0, 0.0); }},
        {"by code", [](frmAsk& a) { a.Move(750, 600, a.Width(), a.Height()); },
         [](frmAsk&) { return std::make_pair(750.0, 600.0); }},
        {"off the screen's edge",
         [&](frmAsk& a) {
             owner.Move((screen.right() - 20) * TwipsPerPixel, owner.Top(), owner.Width(),
                        owner.Height());
             a.Move(a.Left(), a.Top(), 6000, a.Height());
         },
         [&](frmAsk& a) {
             return std::make_pair((screen.right() + 1 - toPixels(a.Width())) * TwipsPerPixel,
                                   centredOn(owner.window()->frameGeometry(), a).second);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto& ask = forms::get<frmAsk>();
        c.before(ask);
        ask.Show();
        EXPECT_EQ(std::make_pair(ask.Left(), ask.Top()), c.expected(ask));
        EXPECT_EQ(ask.window()->pos(), QPoint(toPixels(ask.Left()), toPixels(ask.Top())));
        ASSERT_NE(ask.window()->windowHandle(), nullptr);
        EXPECT_EQ(ask.window()->windowHandle()->transientParent(), owner.window()->windowHandle());
        EXPECT_FALSE(ask.window()->windowFlags() & Qt::WindowStaysOnTopHint);
        // Shown again while loaded: where it was.
        const double left = ask.Left();
        ask.Hide();
        ask.Show();
        EXPECT_EQ(ask.Left(), left);
        Unload<frmAsk>();
    }
}

TEST(FormLifecycle, AModalShowWithoutAScriptFailsAndReturns) {
    test::Script ui;
    EXPECT_NONFATAL_FAILURE(forms::get<frmAsk>().Show(Modal), "without a scripted action");
    EXPECT_FALSE(forms::get<frmAsk>().Visible());
}

TEST(FormLifecycle, TheFrameCloseButtonAsksFormUnload) {
    test::Script ui;
    auto& f = frmDemoForm();
    f.Show();
    f.unloadCancel = 1;
    ui.user().closeBox(f);
    EXPECT_TRUE(f.Visible());
    f.unloadCancel = 0;
    ui.user().closeBox(f);
    EXPECT_FALSE(f.loaded());
}

TEST(FormLifecycle, InstalledFactoryMakesAStandIn) {
    struct StandIn : frmAsk {
        StandIn() {
            txtAnswer.Change = [this] { ++changes; };
        }
        int changes = 0;
    };
    test::Script ui;
    forms::install<frmAsk>([] { return std::make_unique<StandIn>(); });
    auto& f = forms::get<frmAsk>();
    f.txtAnswer.setText("a");
    EXPECT_EQ(dynamic_cast<StandIn&>(f).changes, 1);
}

TEST(FormLifecycle, ExceptionsEscapingHandlersAreContained) {
    test::Script ui;
    auto& f = frmDemoForm();
    f.on("txtName_Change", [] { throw std::runtime_error("boom"); });
    EXPECT_NONFATAL_FAILURE(f.txtName.setText("x"), "frmDemo.txtName_Change: boom");
    EXPECT_EQ(f.txtName.Text(), "x");
    ASSERT_EQ(ui.handlerFailures().size(), 1u);
}

}  // namespace
}  // namespace velt::ui
