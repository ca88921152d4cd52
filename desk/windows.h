// The program's wiring of its layers: desk/ui is the forms runtime, desk/core the shared module,
// the main window and the conversion run, and the window folders (settings, media, instruments,
// wizard) sit on top. The core and the window folders reach a window of another folder only
// through the shared module's window hooks; this fills them, before anything opens a window.
#pragma once

namespace velt::desk {

// Registers every window folder's windows in the shared module's window hooks.
void RegisterWindows();

}  // namespace velt::desk
