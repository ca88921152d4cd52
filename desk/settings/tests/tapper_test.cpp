// The Tap Extender: the pictures follow the boxes and toggle them, OK leaves the choices, Cancel
// leaves none, Help opens its topic.
#include <gtest/gtest.h>

#include "desk/settings/frm_tapper.h"
#include "desk/ui/testing/script.h"

namespace velt::desk {
namespace {

TEST(TapExtender, ChoicesFromBoxesAndPictures) {
    struct Case {
        const char* name;
        std::function<void(frmTapper&, ui::test::User&)> act;
        bool toStart, toEnd;
    } cases[] = {
        {"OK with nothing ticked", [](frmTapper& t, ui::test::User& u) { u.click(t.cmdOK); }, false,
         false},
        {"start box, then OK",
         [](frmTapper& t, ui::test::User& u) {
             u.click(t.chkStart);
             u.click(t.cmdOK);
         },
         true, false},
        {"end picture, then OK",
         [](frmTapper& t, ui::test::User& u) {
             u.click(t.picEnd);
             u.click(t.cmdOK);
         },
         false, true},
        {"both pictures, start picture again, then OK",
         [](frmTapper& t, ui::test::User& u) {
             u.click(t.picStart);
             u.click(t.picEnd);
             u.click(t.picStart);
             u.click(t.cmdOK);
         },
         false, true},
        {"both boxes, then Cancel",
         [](frmTapper& t, ui::test::User& u) {
             u.click(t.chkStart);
             u.click(t.chkEnd);
             u.click(t.cmdCancel);
         },
         false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ui::test::Script ui;
        auto& t = ui::forms::get<frmTapper>();
        bool toStart = true, toEnd = true;
        ui.onModal<frmTapper>([&](frmTapper& form, ui::test::User& u) {
            EXPECT_EQ(form.picStart.BackColor(), ui::SysColor::InactiveTitleBar);
            EXPECT_EQ(form.picEnd.BackColor(), ui::SysColor::InactiveTitleBar);
            c.act(form, u);
            if (ui::isLoaded<frmTapper>()) {
                EXPECT_EQ(form.picStart.BackColor() == ui::SysColor::ActiveTitleBar,
                          form.chkStart.Value() == 1);
            }
        });
        t.Show(ui::Modal);
        toStart = t.ExtendToStart;
        toEnd = t.ExtendToEnd;
        EXPECT_EQ(toStart, c.toStart);
        EXPECT_EQ(toEnd, c.toEnd);
        EXPECT_FALSE(ui::isLoaded<frmTapper>());
    }
}

TEST(TapExtender, HelpOpensItsTopic) {
    ui::test::Script ui;
    auto& t = ui::forms::get<frmTapper>();
    t.Show();
    ui.user().click(t.cmdHelp);
    EXPECT_EQ(ui.helpCalls(), (std::vector<long>{137}));
    EXPECT_EQ(t.lblHeader.Caption().rfind("For best results, we recommend", 0), 0u);
}

}  // namespace
}  // namespace velt::desk
