#include "desk/ui/controls/frame.h"

#include <QGroupBox>

namespace velt::ui {

QWidget* Frame::createWidget(QWidget* parent) {
    auto* g = new QGroupBox(parent);
    g->setTitle(QString::fromStdString(caption_));
    return g;
}

Status Frame::setCaption(const std::string& v) {
    if (inert()) return Status::Refused;
    caption_ = v;
    if (auto* g = qobject_cast<QGroupBox*>(widget_.data())) g->setTitle(QString::fromStdString(v));
    return Status::Ok;
}

}  // namespace velt::ui
