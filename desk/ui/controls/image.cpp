#include "desk/ui/controls/image.h"

#include <QEvent>
#include <QLabel>

#include "desk/ui/form.h"

namespace velt::ui {

QWidget* Image::createWidget(QWidget* parent) {
    auto* l = new QLabel(parent);
    widget_ = l;
    apply();
    return l;
}

void Image::apply() {
    auto* l = qobject_cast<QLabel*>(widget_.data());
    if (l == nullptr) return;
    l->setScaledContents(s_.stretch);
    l->setPixmap(s_.picture.image() ? QPixmap::fromImage(*s_.picture.image()) : QPixmap());
}

Status Image::setPicture(const Picture& p) {
    if (inert()) return Status::Refused;
    s_.picture = p;
    apply();
    return Status::Ok;
}

Status Image::setStretch(bool v) {
    if (inert()) return Status::Refused;
    s_.stretch = v;
    apply();
    return Status::Ok;
}

void Image::userClick(bool doubleClick) {
    if (inert() || !enabledChain() || !form_->userReachable()) return;
    if (doubleClick) {
        raise("DblClick", DblClick, Raise::User);
    } else {
        raise("Click", Click, Raise::User);
    }
}

bool Image::filterEvent(QObject* watched, QEvent* event) {
    if (watched == widget_ && event->type() == QEvent::MouseButtonRelease) userClick(false);
    if (watched == widget_ && event->type() == QEvent::MouseButtonDblClick) userClick(true);
    return false;
}

}  // namespace velt::ui
