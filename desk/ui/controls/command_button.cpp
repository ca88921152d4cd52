#include "desk/ui/controls/command_button.h"

#include <QPushButton>

#include "desk/ui/form.h"

namespace velt::ui {

QWidget* CommandButton::createWidget(QWidget* parent) {
    auto* b = new QPushButton(parent);
    b->setAutoDefault(false);
    QObject::connect(b, &QPushButton::clicked, guard(), [this] { userClick(); });
    widget_ = b;
    apply();
    return b;
}

void CommandButton::apply() {
    auto* b = qobject_cast<QPushButton*>(widget_.data());
    if (b == nullptr) return;
    b->setText(QString::fromStdString(s_.caption));
    b->setDefault(s_.isDefault);
    if (s_.picture.image() != nullptr) {
        b->setIcon(QIcon(QPixmap::fromImage(*s_.picture.image())));
    } else {
        b->setIcon(QIcon());
    }
}

Status CommandButton::setCaption(const std::string& v) {
    if (inert()) return Status::Refused;
    s_.caption = v;
    apply();
    return Status::Ok;
}

Status CommandButton::setDefault(bool v) {
    if (inert()) return Status::Refused;
    // One Default (and one Cancel) button per form: setting it clears the others.
    if (v) {
        for (Control* c : form_->controls()) {
            if (auto* b = dynamic_cast<CommandButton*>(c); b != nullptr && b != this) {
                b->s_.isDefault = false;
                b->apply();
            }
        }
    }
    s_.isDefault = v;
    apply();
    return Status::Ok;
}

Status CommandButton::setCancel(bool v) {
    if (inert()) return Status::Refused;
    if (v) {
        for (Control* c : form_->controls()) {
            if (auto* b = dynamic_cast<CommandButton*>(c); b != nullptr && b != this) {
                b->s_.isCancel = false;
            }
        }
    }
    s_.isCancel = v;
    return Status::Ok;
}

Status CommandButton::setStyle(int v) {
    if (inert()) return Status::Refused;
    if (v != 0 && v != 1) return refused("Style must be 0 or 1");
    s_.style = v;
    return Status::Ok;
}

Status CommandButton::setPicture(const Picture& p) {
    if (inert()) return Status::Refused;
    s_.picture = p;
    apply();
    return Status::Ok;
}

void CommandButton::userClick() {
    if (inert() || !enabledChain() || !form_->userReachable()) return;
    raise("Click", Click, Raise::User);
}

void CommandButton::userAscii(int keyAscii) {
    if (keyAscii == 32 || keyAscii == 13) userClick();
}

}  // namespace velt::ui
