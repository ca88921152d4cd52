#include "desk/ui/dialogs/dialog_owner.h"

#include <QApplication>
#include <QDialog>
#include <QWindow>

#include "desk/ui/forms.h"

namespace velt::ui {

void attachToOwner(QDialog& dialog) {
    dialog.setAttribute(Qt::WA_QuitOnClose, false);
    QWidget* owner = forms::dialogParent();
    if (owner == nullptr) return;
    owner->winId();  // an owner not on screen yet still gets its platform window
    dialog.winId();
    if (QWindow* handle = dialog.windowHandle()) handle->setTransientParent(owner->windowHandle());
}

FocusComesBack::FocusComesBack() {
    QWidget* owner = forms::dialogParent();
    QWidget* focused = QApplication::focusWidget();
    if (owner == nullptr) {
        window_ = focused != nullptr ? focused->window() : nullptr;
        control_ = focused;
        return;
    }
    // Qt's focus may still sit in a window that has just closed (a modal form whose caller
    // asks a question): then the owner's own focus child is the one to come back to.
    window_ = owner->window();
    control_ =
        focused != nullptr && focused->window() == window_ ? focused : window_->focusWidget();
}

FocusComesBack::~FocusComesBack() {
    if (window_.isNull() || !window_->isVisible() || !window_->isEnabled()) return;
    // Activation first: a widget's setFocus in an inactive window only notes it for later.
    window_->activateWindow();
    if (!control_.isNull() && control_->window() == window_ && control_->isVisible() &&
        control_->isEnabled())
        control_->setFocus(Qt::ActiveWindowFocusReason);
}

}  // namespace velt::ui
