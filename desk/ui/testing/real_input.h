// Real Qt input for tests: mouse and key events made by QTest and delivered by Qt to the widgets
// of a form, its menu bar and its real popup menus included. Unlike the script's User, which
// calls the runtime's user entry points, this drives Qt's own widget code, so faults that only
// show while Qt is on the stack (a window deleted inside its own menu's click) are caught.
#pragma once

#include "desk/ui/controls/command_button.h"
#include "desk/ui/controls/menu.h"

namespace velt::ui::test {

class RealInput {
  public:
    // Opens the item's menus with mouse clicks on the menu bar and the popups, then clicks the
    // item. False when a menu on the way did not open.
    bool menuByMouse(MenuItem& item);
    // The same with the keyboard: Alt+mnemonic on the window opens the top menu, then each
    // item's mnemonic letter goes to the open popup.
    bool menuByKeys(MenuItem& item);
    // A left click on the button's widget. False when the button has no widget.
    bool click(CommandButton& button);
    // What returning to the event loop does: posted events, then deferred deletions.
    static void settle();
};

}  // namespace velt::ui::test
