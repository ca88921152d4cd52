#include "desk/ui/controls/tab_control.h"

#include <QKeyEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QTabBar>

#include "desk/ui/focus_mark.h"
#include "desk/ui/form.h"

namespace velt::ui {

namespace detail {

// The strip never takes Qt's focus (the control's own widget holds it), so it draws its focus
// mark itself while the control is its form's active control.
class FocusTabBar : public FocusMarked<QTabBar> {
  public:
    explicit FocusTabBar(QWidget* parent) : FocusMarked<QTabBar>(parent) {}

  protected:
    void paintEvent(QPaintEvent* e) override {
        QTabBar::paintEvent(e);
        if (!marked() || currentIndex() < 0) return;
        QPainter painter(this);
        drawFocusMark(painter, tabRect(currentIndex()).adjusted(4, 4, -4, -3));
    }
};

}  // namespace detail

void TabControl::resetState() {
    s_ = State{};
    bar_ = nullptr;
    pages_.clear();
}

QWidget* TabControl::createWidget(QWidget* parent) {
    auto* w = new QWidget(parent);
    bar_ = new detail::FocusTabBar(w);
    bar_->setFocusPolicy(Qt::NoFocus);
    // The strip's own mnemonics (Qt grabs one per "&" caption) come to the form.
    bar_->installEventFilter(guard());
    // Whatever else moves Qt's current tab (a dropped click, the wheel) is put back: only the
    // control chooses the page.
    QObject::connect(bar_, &QTabBar::currentChanged, guard(), [this](int i) {
        if (i != s_.tab) push();
    });
    QObject::connect(bar_, &QTabBar::tabBarClicked, guard(), [this](int i) {
        if (i < 0) return;
        if (form_->ActiveControl() != this && !form_->userMove(*this, FocusReason::Mouse, [] {})) {
            push();
            return;
        }
        userSelect(i);
    });
    widget_ = w;
    push();
    bar_->setMarked(form_ != nullptr && form_->ActiveControl() == this);
    return w;
}

void TabControl::push() {
    if (!widget_ || bar_ == nullptr) return;
    QSignalBlocker block(bar_);
    while (bar_->count() > Tabs()) bar_->removeTab(bar_->count() - 1);
    while (bar_->count() < Tabs()) bar_->addTab(QString());
    for (int i = 0; i < Tabs(); ++i) {
        bar_->setTabText(i, QString::fromStdString(s_.captions[static_cast<size_t>(i)]));
    }
    while (static_cast<int>(pages_.size()) < Tabs()) {
        auto* page = new QWidget(widget_);
        pages_.push_back(page);
    }
    bar_->setCurrentIndex(s_.tab);
    for (size_t i = 0; i < pages_.size(); ++i) pages_[i]->setVisible(static_cast<int>(i) == s_.tab);
    widgetMoved();
}

void TabControl::widgetMoved() {
    if (!widget_ || bar_ == nullptr) return;
    int barHeight = bar_->sizeHint().height();
    bar_->setGeometry(0, 0, widget_->width(), barHeight);
    // Page coordinates start at the top left of the whole control, as the classic tab dialog's.
    for (QWidget* page : pages_) page->setGeometry(0, 0, widget_->width(), widget_->height());
    bar_->raise();
}

QWidget* TabControl::childArea(int page) {
    if (page < 0 || page >= static_cast<int>(pages_.size())) return widget_;
    return pages_[static_cast<size_t>(page)];
}

Status TabControl::setTabs(int n) {
    if (inert()) return Status::Refused;
    if (n < 1 || n > 64) return refused("Tabs out of range");
    while (Tabs() < n) s_.captions.push_back("Tab " + std::to_string(Tabs()));
    // Pages keep their widgets; only the captions beyond n go.
    s_.captions.resize(static_cast<size_t>(n));
    if (s_.tab >= n) s_.tab = n - 1;
    push();
    return Status::Ok;
}

std::string TabControl::TabCaption(int i) const {
    return (i >= 0 && i < Tabs()) ? s_.captions[static_cast<size_t>(i)] : std::string();
}

Status TabControl::setTabCaption(int i, const std::string& caption) {
    if (inert()) return Status::Refused;
    if (i < 0 || i >= Tabs()) return refused("TabCaption index out of range");
    s_.captions[static_cast<size_t>(i)] = caption;
    push();
    return Status::Ok;
}

void TabControl::select(int i, Raise kind) {
    int previous = s_.tab;
    s_.tab = i;
    push();
    // Controls on a page that went away can't keep the focus.
    if (form_->ActiveControl() != nullptr && !form_->ActiveControl()->canTakeFocusNow()) {
        form_->focusLost(*form_->ActiveControl());
    }
    raise("Click", Click, kind, previous);
}

Status TabControl::setTab(int i) {
    if (inert()) return Status::Refused;
    if (i < 0 || i >= Tabs()) return refused("Tab out of range");
    if (i == s_.tab) return Status::Ok;
    select(i, Raise::CodeClick);
    return Status::Ok;
}

void TabControl::userSelect(int i) {
    if (inert() || !enabledChain() || !form_->userReachable() || i < 0 || i >= Tabs()) return;
    if (i == s_.tab || running("Click")) {
        push();
        return;
    }
    select(i, Raise::User);
}

void TabControl::userStep(int step) {
    if (inert() || !visibleChain() || !enabledChain() || !form_->userReachable()) return;
    const int n = Tabs();
    const int next = ((s_.tab + step) % n + n) % n;
    bool onPage = false;
    Control* active = form_->ActiveControl();
    for (Control* c = active != nullptr ? active->Container() : nullptr; c != nullptr;
         c = c->Container()) {
        onPage = onPage || c == this;
    }
    if (onPage) {
        form_->userMove(*this, FocusReason::Mnemonic, [this, next] { userSelect(next); });
    } else {
        userSelect(next);
    }
}

void TabControl::userKey(Key key) {
    if (key == Key::Right) userSelect(s_.tab + 1);
    if (key == Key::Left) userSelect(s_.tab - 1);
}

void TabControl::activeChanged(bool active) {
    if (bar_ != nullptr && widget_) bar_->setMarked(active);
}

bool TabControl::focusMarkShown() const {
    return bar_ != nullptr && widget_ && bar_->marked();
}

bool TabControl::filterEvent(QObject* watched, QEvent* event) {
    if (bar_ != nullptr && watched == bar_) {
        if (event->type() == QEvent::Wheel) return true;
        if (event->type() != QEvent::Shortcut || form_ == nullptr) return false;
        const QKeyCombination key = static_cast<QShortcutEvent*>(event)->key()[0];
        const int k = static_cast<int>(key.key());
        if (k >= Qt::Key_A && k <= Qt::Key_Z) {
            form_->dispatchMnemonic(static_cast<char>('a' + (k - Qt::Key_A)));
        }
        return true;
    }
    return Control::filterEvent(watched, event);
}

}  // namespace velt::ui
