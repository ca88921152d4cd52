#include "desk/ui/controls/label.h"

#include <QEvent>
#include <QLabel>

#include "desk/ui/form.h"

namespace velt::ui {

std::string Label::displayText(const std::string& caption) {
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) {
            ++i;  // "&&" keeps one "&"; "&x" keeps "x"
        } else if (caption[i] == '&') {
            continue;
        }
        out += caption[i];
    }
    return out;
}

QWidget* Label::createWidget(QWidget* parent) {
    auto* l = new QLabel(parent);
    widget_ = l;
    apply();
    return l;
}

void Label::apply() {
    auto* l = qobject_cast<QLabel*>(widget_.data());
    if (l == nullptr) return;
    l->setText(QString::fromStdString(displayText(s_.caption)));
    Qt::Alignment h = s_.alignment == 1   ? Qt::AlignRight
                      : s_.alignment == 2 ? Qt::AlignHCenter
                                          : Qt::AlignLeft;
    l->setAlignment(h | Qt::AlignTop);
    l->setWordWrap(s_.wordWrap);
    l->setAutoFillBackground(s_.backStyle == 1 && BackColor() != SysColor::ButtonFace);
    if (s_.autoSize) {
        l->adjustSize();
        Move(Left(), Top(), toTwips(l->width()), toTwips(l->height()));
    }
}

Status Label::setCaption(const std::string& v) {
    if (inert()) return Status::Refused;
    s_.caption = v;
    apply();
    return Status::Ok;
}

Status Label::setAlignment(int v) {
    if (inert()) return Status::Refused;
    if (v < 0 || v > 2) return refused("Alignment out of range");
    s_.alignment = v;
    apply();
    return Status::Ok;
}

Status Label::setAutoSize(bool v) {
    if (inert()) return Status::Refused;
    s_.autoSize = v;
    apply();
    return Status::Ok;
}

Status Label::setWordWrap(bool v) {
    if (inert()) return Status::Refused;
    s_.wordWrap = v;
    apply();
    return Status::Ok;
}

Status Label::setBackStyle(int v) {
    if (inert()) return Status::Refused;
    if (v != 0 && v != 1) return refused("BackStyle must be 0 or 1");
    s_.backStyle = v;
    apply();
    return Status::Ok;
}

void Label::userClick(bool doubleClick) {
    if (inert() || !enabledChain() || !form_->userReachable()) return;
    if (doubleClick) {
        raise("DblClick", DblClick, Raise::User);
    } else {
        raise("Click", Click, Raise::User);
    }
}

bool Label::filterEvent(QObject* watched, QEvent* event) {
    if (watched == widget_ && event->type() == QEvent::MouseButtonRelease) userClick(false);
    if (watched == widget_ && event->type() == QEvent::MouseButtonDblClick) userClick(true);
    return false;
}

}  // namespace velt::ui
