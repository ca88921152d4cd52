#include "desk/ui/controls/toolbar.h"

#include <QAction>
#include <QToolBar>

#include "desk/ui/controls/image_list.h"
#include "desk/ui/form.h"
#include "desk/ui/runtime.h"

namespace velt::ui {

Status ToolbarButton::setToolTipText(const std::string& v) {
    if (owner_ == nullptr) return Status::Refused;
    toolTip_ = v;
    owner_->pushButton(*this);
    return Status::Ok;
}

Status ToolbarButton::setEnabled(bool v) {
    if (owner_ == nullptr) return Status::Refused;
    enabled_ = v;
    owner_->pushButton(*this);
    return Status::Ok;
}

Status ToolbarButton::setVisible(bool v) {
    if (owner_ == nullptr) return Status::Refused;
    visible_ = v;
    owner_->pushButton(*this);
    return Status::Ok;
}

Status ToolbarButton::setImage(int v) {
    if (owner_ == nullptr) return Status::Refused;
    image_ = v;
    owner_->pushButton(*this);
    return Status::Ok;
}

void Toolbar::resetState() {
    buttons_.clear();
    images_ = nullptr;
}

QWidget* Toolbar::createWidget(QWidget* parent) {
    auto* bar = new QToolBar(parent);
    bar->setMovable(false);
    bar->setFocusPolicy(Qt::NoFocus);
    return bar;
}

Status Toolbar::setImageList(ImageList& images) {
    if (inert()) return Status::Refused;
    images_ = &images;
    for (auto& b : buttons_) pushButton(b);
    return Status::Ok;
}

void Toolbar::buildAction(ToolbarButton& b) {
    auto* bar = qobject_cast<QToolBar*>(widget_.data());
    if (bar == nullptr) return;
    if (b.style_ == ToolbarButton::Separator) {
        b.action_ = bar->addSeparator();
        return;
    }
    b.action_ = bar->addAction(QString::fromStdString(b.key_));
    ToolbarButton* button = &b;
    QObject::connect(b.action_, &QAction::triggered, guard(),
                     [this, button] { userClick(*button); });
}

ToolbarButton& Toolbar::AddButton(const std::string& key, int style, const std::string& toolTip,
                                  int image) {
    if (inert()) return inert_;
    ToolbarButton& b = buttons_.emplace_back();
    b.owner_ = this;
    b.index_ = static_cast<int>(buttons_.size());
    b.key_ = key;
    b.style_ = style;
    b.toolTip_ = toolTip;
    b.image_ = image;
    buildAction(b);
    pushButton(b);
    return b;
}

void Toolbar::pushButton(ToolbarButton& b) {
    if (b.action_ == nullptr || !widget_) return;
    b.action_->setVisible(b.visible_);
    b.action_->setEnabled(b.enabled_);
    b.action_->setToolTip(QString::fromStdString(b.toolTip_));
    if (images_ != nullptr && b.image_ >= 1 && b.image_ <= images_->Count()) {
        const Picture& p = images_->ListImages(b.image_).getPicture();
        if (p.image() != nullptr) b.action_->setIcon(QIcon(QPixmap::fromImage(*p.image())));
    }
}

ToolbarButton& Toolbar::Buttons(int i) {
    if (i < 1 || i > ButtonCount()) {
        refuse("Buttons index out of range");
        return inert_;
    }
    return buttons_[static_cast<size_t>(i - 1)];
}

ToolbarButton& Toolbar::Buttons(const std::string& key) {
    for (auto& b : buttons_) {
        if (b.key_ == key && b.style_ != ToolbarButton::Separator) return b;
    }
    refuse("Buttons key unknown: " + key);
    return inert_;
}

void Toolbar::userClick(ToolbarButton& button) {
    if (inert() || button.owner_ != this || !enabledChain() || !form_->userReachable()) return;
    if (!button.enabled_ || !button.visible_ || button.style_ == ToolbarButton::Separator) return;
    raise("ButtonClick", ButtonClick, Raise::User, button);
}

void Toolbar::dock() {
    if (!widget_ || !widget_->parentWidget()) return;
    QWidget* area = widget_->parentWidget();
    Move(0, 0, toTwips(area->width()), toTwips(widget_->sizeHint().height()));
}

}  // namespace velt::ui
