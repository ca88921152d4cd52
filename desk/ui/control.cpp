#include "desk/ui/control.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <algorithm>

#include "desk/ui/form.h"
#include "desk/ui/keys.h"
#include "desk/ui/runtime.h"

namespace velt::ui {

bool detail::ControlFilter::eventFilter(QObject* watched, QEvent* event) {
    return control_ != nullptr && control_->filterEvent(watched, event);
}

QColor resolveColor(long color) {
    if ((static_cast<unsigned long>(color) & 0x80000000UL) == 0) {
        return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                      static_cast<int>((color >> 16) & 0xFF));
    }
    QPalette p = QApplication::palette();
    switch (color) {
        case SysColor::ActiveTitleBar:
            return p.color(QPalette::Active, QPalette::Highlight);
        case SysColor::InactiveTitleBar: {
            // Kept apart from the active colour: windows toggle by comparing the two.
            QColor c = p.color(QPalette::Active, QPalette::Mid);
            if (c == p.color(QPalette::Active, QPalette::Highlight)) c = c.darker(130);
            return c;
        }
        case SysColor::WindowBackground:
            return p.color(QPalette::Base);
        case SysColor::WindowText:
        case SysColor::MenuText:
            return p.color(QPalette::Text);
        case SysColor::Highlight:
            return p.color(QPalette::Highlight);
        case SysColor::HighlightText:
        case SysColor::TitleBarText:
            return p.color(QPalette::HighlightedText);
        case SysColor::ButtonShadow:
            return p.color(QPalette::Dark);
        case SysColor::GrayText:
            return p.color(QPalette::Disabled, QPalette::Text);
        case SysColor::ButtonText:
            return p.color(QPalette::ButtonText);
        case SysColor::Desktop:
        case SysColor::WindowFrame:
            return p.color(QPalette::Shadow);
        default:
            return p.color(QPalette::Button);
    }
}

Control::Control(Form* form, std::string name, int index)
    : form_(form),
      name_(std::move(name)),
      index_(index),
      guard_(std::make_unique<detail::ControlFilter>(this)) {
    if (form_ != nullptr) form_->registerControl(this);
}

Control::~Control() {
    if (form_ != nullptr) form_->unregisterControl(this);
}

bool Control::inert() const {
    return form_ == nullptr || !form_->loaded();
}

std::string Control::traceName() const {
    std::string n = (form_ ? form_->Name() : std::string("?")) + "." + name_;
    if (index_ >= 0) {
        n += '(';
        n += std::to_string(index_);
        n += ')';
    }
    return n;
}

bool Control::refuse(const std::string& what) {
    runtime().refuse(traceName() + ": " + what);
    return false;
}

Status Control::refused(const std::string& what) {
    refuse(what);
    return Status::Refused;
}

Status Control::Move(double left, double top, double width, double height) {
    if (inert()) return Status::Refused;
    if (width < 0 || height < 0) return refused("negative size");
    c_.left = left;
    c_.top = top;
    c_.width = width;
    c_.height = height;
    if (widget_) {
        widget_->setGeometry(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
        widgetMoved();
    }
    return Status::Ok;
}

Status Control::setVisible(bool v) {
    if (inert()) return Status::Refused;
    c_.visible = v;
    if (widget_) widget_->setVisible(v);
    afterStateChange();
    return Status::Ok;
}

Status Control::setEnabled(bool v) {
    if (inert()) return Status::Refused;
    c_.enabled = v;
    if (widget_) widget_->setEnabled(v);
    afterStateChange();
    return Status::Ok;
}

// Hiding or disabling the active control (or its container) moves the focus on.
void Control::afterStateChange() {
    if (form_ == nullptr || !form_->Visible()) return;
    Control* active = form_->ActiveControl();
    if (active != nullptr && !active->canTakeFocusNow()) form_->focusLost(*active);
}

Status Control::setToolTipText(const std::string& v) {
    if (inert()) return Status::Refused;
    c_.toolTip = v;
    if (widget_) widget_->setToolTip(QString::fromStdString(v));
    return Status::Ok;
}

Status Control::setTag(const std::string& v) {
    if (inert()) return Status::Refused;
    c_.tag = v;
    return Status::Ok;
}

Status Control::setTabIndex(int v) {
    if (inert()) return Status::Refused;
    if (v < 0) return refused("TabIndex below 0");
    c_.tabIndex = v;
    c_.tabIndexSet = true;
    return Status::Ok;
}

Status Control::setTabStop(bool v) {
    if (inert()) return Status::Refused;
    c_.tabStop = v;
    return Status::Ok;
}

Status Control::setHelpContextID(long v) {
    if (inert()) return Status::Refused;
    c_.helpContextId = v;
    return Status::Ok;
}

Status Control::setForeColor(long v) {
    if (inert()) return Status::Refused;
    c_.foreColor = v;
    c_.foreSet = true;
    applyColors();
    return Status::Ok;
}

Status Control::setBackColor(long v) {
    if (inert()) return Status::Refused;
    c_.backColor = v;
    c_.backSet = true;
    applyColors();
    return Status::Ok;
}

Status Control::setFontBold(bool v) {
    if (inert()) return Status::Refused;
    c_.fontBold = v;
    applyFont();
    return Status::Ok;
}

Status Control::setFontSize(double v) {
    if (inert()) return Status::Refused;
    if (v <= 0 || v > 2048) return refused("font size out of range");
    c_.fontSize = v;
    c_.fontSizeSet = true;
    applyFont();
    return Status::Ok;
}

Status Control::SetFocus() {
    if (inert()) return refused("SetFocus on an unloaded form");
    return form_->codeFocus(*this);
}

void Control::ZOrder() {
    if (widget_) widget_->raise();
}

void Control::Refresh() {
    if (widget_) widget_->repaint();
}

Status Control::setContainer(Control& container, int page) {
    if (inert()) return Status::Refused;
    if (!container.isContainer() || container.form_ != form_ || &container == this) {
        return refused("not a container");
    }
    container_ = &container;
    page_ = page;
    if (widget_ && container.childArea(page) != nullptr) {
        widget_->setParent(container.childArea(page));
        applyCommon();
    }
    return Status::Ok;
}

QWidget* Control::childArea(int) {
    return widget_;
}

bool Control::pageShown(int) const {
    return true;
}

bool Control::visibleChain() const {
    for (const Control* c = this; c != nullptr; c = c->container_) {
        if (!c->c_.visible) return false;
        if (c->container_ != nullptr && !c->container_->pageShown(c->page_)) return false;
    }
    return true;
}

bool Control::enabledChain() const {
    for (const Control* c = this; c != nullptr; c = c->container_) {
        if (!c->c_.enabled) return false;
    }
    return true;
}

bool Control::canTakeFocusNow() const {
    return !inert() && form_->Visible() && takesFocus() && visibleChain() && enabledChain();
}

void Control::build(QWidget* parent) {
    widget_ = createWidget(parent);
    if (widget_) {
        watch(widget_);
        applyCommon();
    }
}

void Control::watch(QWidget* w) {
    w->installEventFilter(guard_.get());
    if (!takesFocus()) w->setFocusPolicy(Qt::NoFocus);
}

void Control::teardown() {
    widget_ = nullptr;
    // A fresh guard for the next widgets. The old one may be filtering the very event that led
    // here, so it is detached now and deleted with the old widgets, once control is back in the
    // event loop; deleting it drops the Qt connections made for the old widgets.
    guard_->detach();
    guard_.release()->deleteLater();
    guard_ = std::make_unique<detail::ControlFilter>(this);
}

void Control::reset() {
    c_ = Common{};
    container_ = nullptr;
    page_ = -1;
    resetState();
}

void Control::applyCommon() {
    if (!widget_) return;
    widget_->setGeometry(toPixels(c_.left), toPixels(c_.top), toPixels(c_.width),
                         toPixels(c_.height));
    widget_->setToolTip(QString::fromStdString(c_.toolTip));
    widget_->setEnabled(c_.enabled);
    widget_->setVisible(c_.visible);
    applyFont();
    applyColors();
    widgetMoved();
}

void Control::applyFont() {
    if (!widget_) return;
    QFont f = widget_->font();
    f.setBold(c_.fontBold);
    // An explicit size follows the user's font as the layout does.
    if (c_.fontSizeSet) f.setPointSizeF(c_.fontSize * fontPointScale());
    widget_->setFont(f);
    fontChanged();
}

void Control::applyColors() {
    if (!widget_ || (!c_.foreSet && !c_.backSet)) return;
    QPalette p = widget_->palette();
    if (c_.foreSet) {
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
            p.setColor(role, resolveColor(c_.foreColor));
        }
    }
    if (c_.backSet) {
        for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button}) {
            p.setColor(role, resolveColor(c_.backColor));
        }
        widget_->setAutoFillBackground(true);
    }
    widget_->setPalette(p);
}

bool Control::running(const char* event) const {
    for (const auto& [name, count] : running_) {
        if (name == event && count > 0) return true;
    }
    return false;
}

bool Control::beginRaise(const char* event, Raise kind, const std::string& args) {
    if (form_ == nullptr || !form_->loaded() || form_->designing()) return false;
    if (kind != Raise::Code && running(event)) return false;
    if (runtime().eventObserver)
        runtime().eventObserver({form_->Name(), name_, index_, event, args});
    auto it = std::find_if(running_.begin(), running_.end(),
                           [&](const auto& r) { return r.first == event; });
    if (it == running_.end()) {
        running_.emplace_back(event, 1);
    } else {
        ++it->second;
    }
    form_->enterHandler();
    return true;
}

void Control::endRaise(const char* event) {
    for (auto& r : running_) {
        if (r.first == event) --r.second;
    }
    form_->leaveHandler();
}

void Control::handlerFailed(const char* event, const std::string& message) {
    std::string where = (form_ ? form_->Name() : std::string("?")) + "." + name_ + "_" + event;
    runtime().reportHandlerFailure(where, message);
}

int Control::raiseKeyPress(int keyAscii) {
    if (form_ == nullptr) return 0;
    keyAscii = form_->previewKeyPress(keyAscii);
    if (keyAscii == 0) return 0;
    raise("KeyPress", KeyPress, Raise::Code, keyAscii);
    return keyAscii;
}

void Control::userAscii(int) {}
void Control::userKey(Key) {}

bool Control::filterEvent(QObject* watched, QEvent* event) {
    if (watched != widget_ || form_ == nullptr || !form_->loaded()) return false;
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            if (!takesFocus()) return false;
            auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() != Qt::LeftButton && me->button() != Qt::RightButton) return false;
            if (form_->ActiveControl() == this) return false;
            // The press moves the focus first; a LostFocus that keeps it drops the press.
            return !form_->userMove(*this, FocusReason::Mouse, [] {});
        }
        case QEvent::Shortcut:
            // A button's "&" mnemonic: a user move, then the button's own action.
            form_->userMove(*this, FocusReason::Mnemonic, [this] { mnemonicAction(); });
            return true;
        case QEvent::KeyPress: {
            auto* ke = static_cast<QKeyEvent*>(event);
            if ((ke->modifiers() & Qt::AltModifier) && ke->key() >= Qt::Key_A &&
                ke->key() <= Qt::Key_Z) {
                return form_->dispatchMnemonic(static_cast<char>('a' + (ke->key() - Qt::Key_A)));
            }
            if (auto key = translateKey(*ke)) {
                form_->dispatchKey(*key);
                return true;
            }
            if (int ascii = translateAscii(*ke)) {
                form_->dispatchAscii(ascii);
                return true;
            }
            return false;
        }
        default:
            return false;
    }
}

}  // namespace velt::ui
