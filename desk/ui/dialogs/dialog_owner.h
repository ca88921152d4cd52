// The owner of a box or file dialog. Such a dialog is a window of its own that no widget owns:
// while it waits in its exec() loop the runtime's deferred deletions run, and a widget parent
// (an unloaded form's window, say) would delete it there under its own feet. It is kept above its
// owner window and centred on it instead, through the window system's transient parent.
#pragma once

class QDialog;

namespace velt::ui {

// Makes `dialog` (not shown yet, without a parent widget) belong to forms::dialogParent(). A box
// never ends the program when it closes, even with no other window on screen.
void attachToOwner(QDialog& dialog);

}  // namespace velt::ui
