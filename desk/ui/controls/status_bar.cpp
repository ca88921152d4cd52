#include "desk/ui/controls/status_bar.h"

#include <QLabel>
#include <QStatusBar>

namespace velt::ui {

QWidget* StatusBar::createWidget(QWidget* parent) {
    auto* bar = new QStatusBar(parent);
    bar->setSizeGripEnabled(false);
    auto* label = new QLabel(bar);
    label->setObjectName("panel");
    bar->addWidget(label, 1);
    return bar;
}

Status StatusBar::setText(const std::string& v) {
    if (inert()) return Status::Refused;
    text_ = v;
    if (widget_) {
        if (auto* label = widget_->findChild<QLabel*>("panel")) {
            label->setText(QString::fromStdString(v));
        }
    }
    return Status::Ok;
}

StatusBar& StatusBar::Panels(int i) {
    if (i != 1) refuse("Panels index out of range");
    return *this;
}

Status StatusBar::setAlign(int v) {
    if (inert()) return Status::Refused;
    if (v != 0 && v != 2) return refused("Align must be 0 or 2");
    align_ = v;
    dock();
    return Status::Ok;
}

void StatusBar::dock() {
    if (align_ == 0 || !widget_ || !widget_->parentWidget()) return;
    QWidget* area = widget_->parentWidget();
    int h = widget_->sizeHint().height();
    Move(0, toTwips(area->height() - h), toTwips(area->width()), toTwips(h));
}

}  // namespace velt::ui
