#include "desk/ui/controls/check_box.h"

#include <QCheckBox>
#include <QSignalBlocker>

#include "desk/ui/controls/button_caption.h"
#include "desk/ui/form.h"

namespace velt::ui {

QWidget* CheckBox::createWidget(QWidget* parent) {
    auto* b = new QCheckBox(parent);
    b->setTristate(true);
    // Qt's own toggle is replaced by the classic one; push() restores the widget afterwards.
    QObject::connect(b, &QCheckBox::clicked, guard(), [this] {
        push();
        userClick();
    });
    widget_ = b;
    push();
    return b;
}

void CheckBox::push() {
    auto* b = qobject_cast<QCheckBox*>(widget_.data());
    if (b == nullptr) return;
    QSignalBlocker block(b);
    b->setText(
        WrappedButtonCaption(*b, QString::fromStdString(s_.caption), QStyle::SE_CheckBoxContents));
    b->setCheckState(s_.value == 1   ? Qt::Checked
                     : s_.value == 2 ? Qt::PartiallyChecked
                                     : Qt::Unchecked);
}

Status CheckBox::setCaption(const std::string& v) {
    if (inert()) return Status::Refused;
    s_.caption = v;
    push();
    return Status::Ok;
}

Status CheckBox::setValue(int v) {
    if (inert()) return Status::Refused;
    if (v < 0 || v > 2) return refused("Value must be 0, 1 or 2");
    if (v == s_.value) return Status::Ok;
    s_.value = v;
    push();
    raise("Click", Click, Raise::CodeClick);
    return Status::Ok;
}

void CheckBox::userClick() {
    if (inert() || !enabledChain() || !form_->userReachable() || running("Click")) return;
    s_.value = s_.value == 1 ? 0 : 1;
    push();
    raise("Click", Click, Raise::User);
}

void CheckBox::userAscii(int keyAscii) {
    if (keyAscii == 32) userClick();
}

}  // namespace velt::ui
