// The main window under real Qt input: the File menu's Exit chosen with the mouse and with the
// keyboard on the real menu bar and popup menu. The window and its menus must outlive Qt's own
// menu code that delivered the click; they go once control is back in the event loop.
#include "desk/ui/testing/real_input.h"

#include <QMenu>
#include <QPointer>

#include "main_window_fixture.h"

namespace velt::desk {
namespace {

TEST_F(MainWindowTest, ExitFromTheRealFileMenuEndsTheProgramCleanly) {
    struct Route {
        const char* name;
        bool (ui::test::RealInput::*choose)(ui::MenuItem&);
    } routes[] = {{"mouse", &ui::test::RealInput::menuByMouse},
                  {"keyboard", &ui::test::RealInput::menuByKeys}};
    ui::test::RealInput input;
    int ends = 0;
    for (const Route& route : routes) {
        SCOPED_TRACE(route.name);
        frmMain& f = start();
        G().Duration = 321 + ends;
        QPointer<QWidget> window = f.window();
        QPointer<QMenu> fileMenu = f.mnuFile.qtMenu();
        ASSERT_TRUE(window && fileMenu);

        ASSERT_TRUE((input.*route.choose)(f.mnuExit));
        EXPECT_EQ(programEnds, ++ends);
        EXPECT_FALSE(f.loaded());
        EXPECT_EQ(f.window(), nullptr);
        // Qt's menu code was still on the stack: the widgets wait for the event loop.
        EXPECT_TRUE(window && fileMenu);
        EXPECT_FALSE(window && window->isVisible());
        ui::test::RealInput::settle();
        EXPECT_FALSE(window);
        EXPECT_FALSE(fileMenu);
        EXPECT_EQ(store().getSetting("Custom", "Duration"), std::to_string(321 + ends - 1));
        EXPECT_EQ(store().getSetting("Version", "Major"), "7");
    }
}

}  // namespace
}  // namespace velt::desk
