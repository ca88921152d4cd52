// The owner of a box or file dialog. Such a dialog is a window of its own that no widget owns:
// while it waits in its exec() loop the runtime's deferred deletions run, and a widget parent
// (an unloaded form's window, say) would delete it there under its own feet. It is kept above its
// owner window and centred on it instead, through the window system's transient parent.
#pragma once

#include <QPointer>

class QDialog;
class QWidget;

namespace velt::ui {

// Makes `dialog` (not shown yet, without a parent widget) belong to forms::dialogParent(). A box
// never ends the program when it closes, even with no other window on screen.
void attachToOwner(QDialog& dialog);

// Made before a box or dialog opens, it notes the window and the control that have the focus;
// when it goes (after the dialog has closed) it activates that window again and gives the focus
// back to that control, when both are still there, shown and enabled. A window system gives the
// focus back to a parent window on its own, but a dialog without a parent widget leaves no window
// focused, and the keyboard would do nothing until the user clicked somewhere.
class FocusComesBack {
  public:
    FocusComesBack();
    ~FocusComesBack();
    FocusComesBack(const FocusComesBack&) = delete;
    FocusComesBack& operator=(const FocusComesBack&) = delete;

  private:
    QPointer<QWidget> window_;
    QPointer<QWidget> control_;
};

}  // namespace velt::ui
