#include "desk/ui/controls/frame.h"

#include <QGroupBox>

namespace velt::ui {

QWidget* Frame::createWidget(QWidget* parent) {
    auto* g = new QGroupBox(parent);
    widget_ = g;
    apply();
    return g;
}

void Frame::apply() {
    auto* g = qobject_cast<QGroupBox*>(widget_.data());
    if (g == nullptr) return;
    const bool border = borderStyle_ != 0;
    g->setTitle(border ? QString::fromStdString(caption_) : QString());
    g->setFlat(!border);
    g->setStyleSheet(border ? QString() : QStringLiteral("QGroupBox { border: none; }"));
}

Status Frame::setCaption(const std::string& v) {
    if (inert()) return Status::Refused;
    caption_ = v;
    apply();
    return Status::Ok;
}

Status Frame::setBorderStyle(int v) {
    if (inert()) return Status::Refused;
    if (v != 0 && v != 1) return refused("BorderStyle must be 0 or 1");
    borderStyle_ = v;
    apply();
    return Status::Ok;
}

}  // namespace velt::ui
