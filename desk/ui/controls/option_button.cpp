#include "desk/ui/controls/option_button.h"

#include <QEvent>
#include <QRadioButton>
#include <QSignalBlocker>
#include <algorithm>

#include "desk/ui/controls/button_caption.h"
#include "desk/ui/form.h"

namespace velt::ui {

QWidget* OptionButton::createWidget(QWidget* parent) {
    auto* b = new QRadioButton(parent);
    b->setAutoExclusive(false);
    QObject::connect(b, &QRadioButton::clicked, guard(), [this] {
        push();
        userClick();
    });
    widget_ = b;
    push();
    return b;
}

void OptionButton::push() {
    auto* b = qobject_cast<QRadioButton*>(widget_.data());
    if (b == nullptr) return;
    QSignalBlocker block(b);
    b->setText(WrappedButtonCaption(*b, QString::fromStdString(s_.caption),
                                    QStyle::SE_RadioButtonContents));
    b->setChecked(s_.value);
}

bool OptionButton::sameGroup(const OptionButton& other) const {
    return other.form_ == form_ && other.Container() == Container() &&
           other.ContainerPage() == ContainerPage();
}

void OptionButton::select() {
    for (Control* c : form_->controls()) {
        auto* o = dynamic_cast<OptionButton*>(c);
        if (o != nullptr && o != this && o->s_.value && sameGroup(*o)) {
            o->s_.value = false;
            o->push();
        }
    }
    s_.value = true;
    push();
}

Status OptionButton::setCaption(const std::string& v) {
    if (inert()) return Status::Refused;
    s_.caption = v;
    push();
    return Status::Ok;
}

Status OptionButton::setValue(bool v) {
    if (inert()) return Status::Refused;
    if (!v) {
        s_.value = false;
        push();
        return Status::Ok;
    }
    select();
    raise("Click", Click, Raise::CodeClick);
    return Status::Ok;
}

void OptionButton::userClick() {
    if (inert() || !enabledChain() || !form_->userReachable() || s_.value) return;
    if (running("Click")) return;
    select();
    raise("Click", Click, Raise::User);
}

void OptionButton::userDblClick() {
    if (inert() || !enabledChain() || !form_->userReachable()) return;
    raise("DblClick", DblClick, Raise::User);
}

void OptionButton::userAscii(int keyAscii) {
    if (keyAscii == 32) userClick();
}

void OptionButton::userKey(Key key) {
    bool forward = key == Key::Down || key == Key::Right;
    if (!forward && key != Key::Up && key != Key::Left) return;
    // Arrow keys move the selection (and the focus) inside the group.
    std::vector<OptionButton*> group;
    for (Control* c : form_->controls()) {
        auto* o = dynamic_cast<OptionButton*>(c);
        if (o != nullptr && sameGroup(*o) && o->canTakeFocusNow()) group.push_back(o);
    }
    std::stable_sort(group.begin(), group.end(),
                     [](auto* a, auto* b) { return a->TabIndex() < b->TabIndex(); });
    auto it = std::find(group.begin(), group.end(), this);
    if (it == group.end() || group.size() < 2) return;
    size_t i = static_cast<size_t>(it - group.begin());
    OptionButton* next =
        group[forward ? (i + 1) % group.size() : (i + group.size() - 1) % group.size()];
    form_->userMove(*next, FocusReason::Code, [next] { next->userClick(); });
}

bool OptionButton::filterEvent(QObject* watched, QEvent* event) {
    if (watched == widget_ && event->type() == QEvent::MouseButtonDblClick) {
        bool dropped = Control::filterEvent(watched, event);
        if (!dropped) userDblClick();
        return true;
    }
    return Control::filterEvent(watched, event);
}

}  // namespace velt::ui
