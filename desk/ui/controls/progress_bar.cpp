#include "desk/ui/controls/progress_bar.h"

#include <QProgressBar>
#include <algorithm>
#include <cmath>

namespace velt::ui {

QWidget* ProgressBar::createWidget(QWidget* parent) {
    auto* p = new QProgressBar(parent);
    p->setTextVisible(false);
    widget_ = p;
    push();
    return p;
}

void ProgressBar::push() {
    auto* p = qobject_cast<QProgressBar*>(widget_.data());
    if (p == nullptr) return;
    // Qt counts in integers: the bar shows thousandths of the range.
    p->setRange(0, 1000);
    double span = s_.max - s_.min;
    p->setValue(span > 0 ? static_cast<int>(std::lround((s_.value - s_.min) / span * 1000)) : 0);
}

Status ProgressBar::setMin(double v) {
    if (inert()) return Status::Refused;
    if (v >= s_.max) return refused("Min must stay below Max");
    s_.min = v;
    s_.value = std::clamp(s_.value, s_.min, s_.max);
    push();
    return Status::Ok;
}

Status ProgressBar::setMax(double v) {
    if (inert()) return Status::Refused;
    if (v <= s_.min) return refused("Max must stay above Min");
    s_.max = v;
    s_.value = std::clamp(s_.value, s_.min, s_.max);
    push();
    return Status::Ok;
}

Status ProgressBar::setValue(double v) {
    if (inert()) return Status::Refused;
    if (std::isnan(v)) return refused("Value is not a number");
    s_.value = std::clamp(v, s_.min, s_.max);
    push();
    return Status::Ok;
}

}  // namespace velt::ui
