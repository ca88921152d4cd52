// The tempo and speed boxes typed into key by key, as a user does: a number on its way stays as
// typed (120 passes "1" and "12"), the box is checked when it is left by Tab, Enter or a click
// on Apply, and Apply writes exactly what was typed.
#include "settings_fixture.h"

namespace velt::desk {
namespace {

constexpr int kTimingTab = 2;

using TypedByKeys = SettingsTest;

TEST_F(TypedByKeys, SettingsTempoAndSpeed) {
    G().Tempo = 90;
    G().Speed = 100;
    frmProperties& f = dialog();
    f.Show();
    auto u = ui.user();
    ASSERT_TRUE(u.selectTab(f.tabProperties, kTimingTab));
    EXPECT_EQ(f.txtSpeed.Text(), "100%");

    struct Case {
        ui::TextBox* box;
        const char* keys;   // typed into the box as it takes the focus (its whole text selected)
        const char* typed;  // the text after the last key: nothing is checked yet
        ui::Key leave;
        const char* shown;  // after leaving
        float tempo;        // the tempo the dialog holds afterwards
    } cases[] = {
        {&f.txtTempo, "120", "120", ui::Key::Tab, "120", 120},
        {&f.txtTempo, "100", "100", ui::Key::Tab, "100", 100},
        {&f.txtTempo, "40", "40", ui::Key::Enter, "40", 40},  // Enter: OK, after the check
        {&f.txtTempo, "\b\b1\b45", "45", ui::Key::Tab, "45", 45},
        {&f.txtTempo, "\b", "", ui::Key::Tab, "45", 45},  // erased: the tempo it had
        {&f.txtTempo, "3", "3", ui::Key::Tab, "5", 5},
        {&f.txtTempo, "2000", "2000", ui::Key::Tab, "1080", 1080},
        {&f.txtTempo, "87.5", "87.5", ui::Key::Tab, "87.5", 87.5f},
        {&f.txtTempo, "1a2b0", "120", ui::Key::ShiftTab, "120", 120},  // letters are refused
        {&f.txtSpeed, "120", "120", ui::Key::Tab, "120%", 120},
        {&f.txtSpeed, "50%", "50%", ui::Key::Tab, "50%", 120},
        {&f.txtSpeed, "3", "3", ui::Key::Tab, "25%", 120},
        {&f.txtSpeed, "500", "500", ui::Key::Tab, "400%", 120},
        {&f.txtSpeed, "\b", "", ui::Key::Tab, "400%", 120},
        {&f.txtSpeed, "75", "75", ui::Key::Tab, "75%", 120},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.box->Name()) + " \"" + c.keys + "\"");
        ASSERT_TRUE(f.Visible());
        ASSERT_TRUE(u.type(*c.box, c.keys));
        EXPECT_EQ(c.box->Text(), c.typed);
        if (c.leave == ui::Key::Enter) {
            // Enter clicks OK, which applies and closes: the check ran before.
            u.key(*c.box, c.leave);
            EXPECT_FALSE(ui::isLoaded<frmProperties>());
            EXPECT_EQ(G().Tempo, c.tempo);
            frmProperties& again = dialog();
            again.Show();
            ASSERT_TRUE(u.selectTab(again.tabProperties, kTimingTab));
            EXPECT_EQ(again.txtTempo.Text(), c.shown);
            continue;
        }
        u.key(*c.box, c.leave);
        EXPECT_EQ(c.box->Text(), c.shown);
        EXPECT_FLOAT_EQ(f.WorkTempo, c.tempo);
    }

    // The caret keys edit inside the number: 120 → 125.
    u.type(f.txtTempo, "120");
    u.key(f.txtTempo, ui::Key::End);
    u.type(f.txtTempo, "\b5");
    EXPECT_EQ(f.txtTempo.Text(), "125");
    // The up-down of the speed steps at once, also over a number being typed.
    u.type(f.txtSpeed, "8");
    u.key(f.txtSpeed, ui::Key::Up);
    EXPECT_EQ(f.txtSpeed.Text(), "25%");
    u.key(f.txtSpeed, ui::Key::Up);
    EXPECT_EQ(f.txtSpeed.Text(), "30%");
    u.focus(f.txtTempo);
    u.type(f.txtSpeed, "95");
    // Apply takes the focus: both boxes are checked and written as typed.
    ASSERT_TRUE(u.click(f.cmdApply));
    EXPECT_EQ(f.txtSpeed.Text(), "95%");
    EXPECT_FLOAT_EQ(G().Tempo, 125);
    EXPECT_EQ(G().Speed, 95);
}

}  // namespace
}  // namespace velt::desk
