#include "desk/ui/dialogs/dialog_owner.h"

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

}  // namespace velt::ui
