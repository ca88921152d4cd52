#include "desk/ui/controls/scroll_bar.h"

#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

#include "desk/ui/form.h"

namespace velt::ui {

QWidget* ScrollBar::createWidget(QWidget* parent) {
    auto* b = new QScrollBar(parent);
    QObject::connect(b, &QScrollBar::valueChanged, guard(), [this, b](int v) {
        if (inert()) return;
        if (b->isSliderDown()) {
            if (v != s_.value) {
                s_.value = v;
                raise("Scroll", Scroll, Raise::User);
            }
        } else {
            change(v, Raise::User);
        }
    });
    QObject::connect(b, &QScrollBar::sliderPressed, guard(), [this] { dragStart_ = s_.value; });
    QObject::connect(b, &QScrollBar::sliderReleased, guard(), [this] {
        if (s_.value != dragStart_) raise("Change", Change, Raise::User);
    });
    widget_ = b;
    push();
    return b;
}

void ScrollBar::push() {
    auto* b = qobject_cast<QScrollBar*>(widget_.data());
    if (b == nullptr) return;
    QSignalBlocker block(b);
    b->setOrientation(s_.orientation == 1 ? Qt::Vertical : Qt::Horizontal);
    b->setRange(std::min(s_.min, s_.max), std::max(s_.min, s_.max));
    b->setValue(s_.value);
    b->setSingleStep(s_.smallChange);
    b->setPageStep(s_.largeChange);
}

void ScrollBar::change(int v, Raise kind) {
    v = std::clamp(v, std::min(s_.min, s_.max), std::max(s_.min, s_.max));
    if (v == s_.value) return;
    s_.value = v;
    push();
    raise("Change", Change, kind);
}

Status ScrollBar::setMin(int v) {
    if (inert()) return Status::Refused;
    s_.min = v;
    push();
    change(s_.value, Raise::Code);
    return Status::Ok;
}

Status ScrollBar::setMax(int v) {
    if (inert()) return Status::Refused;
    s_.max = v;
    push();
    change(s_.value, Raise::Code);
    return Status::Ok;
}

Status ScrollBar::setValue(int v) {
    if (inert()) return Status::Refused;
    change(v, Raise::Code);
    return Status::Ok;
}

Status ScrollBar::setSmallChange(int v) {
    if (inert()) return Status::Refused;
    s_.smallChange = std::max(v, 1);
    push();
    return Status::Ok;
}

Status ScrollBar::setLargeChange(int v) {
    if (inert()) return Status::Refused;
    s_.largeChange = std::max(v, 1);
    push();
    return Status::Ok;
}

Status ScrollBar::setOrientation(int v) {
    if (inert()) return Status::Refused;
    if (v != 0 && v != 1) return refused("Orientation must be 0 or 1");
    s_.orientation = v;
    push();
    return Status::Ok;
}

void ScrollBar::userKey(Key key) {
    switch (key) {
        case Key::Down:
        case Key::Right:
            change(s_.value + s_.smallChange, Raise::User);
            break;
        case Key::Up:
        case Key::Left:
            change(s_.value - s_.smallChange, Raise::User);
            break;
        case Key::PageDown:
            change(s_.value + s_.largeChange, Raise::User);
            break;
        case Key::PageUp:
            change(s_.value - s_.largeChange, Raise::User);
            break;
        default:
            break;
    }
}

void ScrollBar::userDrag(const std::vector<int>& values) {
    if (inert() || !enabledChain() || !form_->userReachable()) return;
    int start = s_.value;
    for (int v : values) {
        v = std::clamp(v, std::min(s_.min, s_.max), std::max(s_.min, s_.max));
        if (v == s_.value) continue;
        s_.value = v;
        push();
        raise("Scroll", Scroll, Raise::User);
    }
    if (s_.value != start) raise("Change", Change, Raise::User);
}

}  // namespace velt::ui
