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
    // The window that takes the keys now; when none does (the program is not the active one),
    // the control its owner window would focus on activation.
    if (focused == nullptr && owner != nullptr) focused = owner->focusWidget();
    control_ = focused;
    window_ = focused != nullptr ? focused->window() : owner;
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
