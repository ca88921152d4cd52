#include "desk/ui/controls/menu.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>

#include "desk/ui/form.h"

namespace velt::ui {

MenuItem::MenuItem(Form* form, std::string name, int index, MenuItem* parent)
    : Control(form, std::move(name), index), parent_(parent) {}

void MenuItem::resetState() {
    s_ = State{};
    action_ = nullptr;
    menu_ = nullptr;
}

QMenu* MenuItem::submenu() {
    if (menu_ != nullptr) return menu_;
    if (parent_ == nullptr) {
        QMenuBar* bar = form_->menuBar();
        if (bar == nullptr) return nullptr;
        menu_ = bar->addMenu(QString());
        action_ = menu_->menuAction();
    } else {
        QMenu* owner = parent_->submenu();
        if (owner == nullptr) return nullptr;
        menu_ = new QMenu(owner);
        if (action_ != nullptr) {
            action_->setMenu(menu_);
        } else {
            action_ = owner->addMenu(menu_);
        }
    }
    QObject::connect(menu_, &QMenu::aboutToShow, guard(), [this] { userClick(); });
    push();
    return menu_;
}

QWidget* MenuItem::createWidget(QWidget*) {
    if (parent_ == nullptr) {
        submenu();
    } else if (QMenu* owner = parent_->submenu()) {
        action_ = owner->addAction(QString());
        QObject::connect(action_, &QAction::triggered, guard(), [this] { userClick(); });
    }
    push();
    return nullptr;
}

void MenuItem::push() {
    if (action_ == nullptr) return;
    // A separator shows no text (some styles would draw it as a section title).
    action_->setText(isSeparator() ? QString() : QString::fromStdString(s_.caption));
    action_->setSeparator(isSeparator());
    action_->setCheckable(s_.checked);
    action_->setChecked(s_.checked);
    action_->setShortcut(QKeySequence(QString::fromStdString(s_.shortcut)));
    action_->setIcon(s_.picture.empty() ? QIcon() : QIcon(QPixmap::fromImage(*s_.picture.image())));
    action_->setVisible(Visible());
    action_->setEnabled(Enabled());
}

Status MenuItem::setCaption(const std::string& v) {
    if (inert()) return Status::Refused;
    s_.caption = v;
    push();
    return Status::Ok;
}

Status MenuItem::setChecked(bool v) {
    if (inert()) return Status::Refused;
    s_.checked = v;
    push();
    return Status::Ok;
}

Status MenuItem::setShortcut(const std::string& v) {
    if (inert()) return Status::Refused;
    s_.shortcut = v;
    push();
    return Status::Ok;
}

Status MenuItem::setPicture(const Picture& p) {
    if (inert()) return Status::Refused;
    s_.picture = p;
    push();
    return Status::Ok;
}

Status MenuItem::setVisible(bool v) {
    Status st = Control::setVisible(v);
    push();
    return st;
}

Status MenuItem::setEnabled(bool v) {
    Status st = Control::setEnabled(v);
    push();
    return st;
}

void MenuItem::userClick() {
    if (inert() || !form_->userReachable() || isSeparator()) return;
    for (MenuItem* m = this; m != nullptr; m = m->parent_) {
        if (!m->Visible() || !m->Enabled()) return;
    }
    raise("Click", Click, Raise::User);
}

}  // namespace velt::ui
