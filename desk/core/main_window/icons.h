// The pictures of the main window's toolbar and menus, painted at start (no picture files):
// simple flat symbols on a transparent ground, drawn at twice their nominal size so they stay
// sharp on high-density screens.
#pragma once

#include "desk/ui/picture.h"

namespace velt::desk {

enum class Icon { New, Open, Save, EditProject, Convert, SyncPlay, Options, Help };

// A square picture of `size` pixels (nominal) for a command.
ui::Picture CommandIcon(Icon icon, int size = 24);

// The welcome picture of the main window's client area, `width` x `height` pixels.
ui::Picture WelcomePicture(int width, int height);

// The artwork of the about box and splash.
ui::Picture AboutPicture(int width, int height);

}  // namespace velt::desk
