#include "desk/ui/controls/up_down.h"

#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>
#include <climits>

#include "desk/ui/controls/text_box.h"
#include "desk/ui/form.h"

namespace velt::ui {

UpDown::UpDown(Form* form, std::string name, int index) : Control(form, std::move(name), index) {}
UpDown::~UpDown() = default;

void UpDown::resetState() {
    s_ = State{};
}

QWidget* UpDown::createWidget(QWidget* parent) {
    auto* w = new QWidget(parent);
    auto* layout = new QVBoxLayout(w);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (bool up : {true, false}) {
        auto* b = new QToolButton(w);
        b->setArrowType(up ? Qt::UpArrow : Qt::DownArrow);
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setAutoRepeatDelay(400);
        b->setAutoRepeatInterval(60);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        QObject::connect(b, &QToolButton::clicked, guard(), [this, up] { userPress(up); });
        layout->addWidget(b);
    }
    return w;
}

bool UpDown::readWholeNumber(const std::string& text, int& value) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    size_t digits = 0;
    long long n = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i, ++digits) {
        n = std::min<long long>(n * 10 + (text[i] - '0'), INT_MAX);
    }
    while (i < text.size() && text[i] == ' ') ++i;
    if (digits == 0 || i != text.size()) return false;
    value = static_cast<int>(negative ? -n : n);
    return true;
}

Status UpDown::setMin(int v) {
    if (inert()) return Status::Refused;
    s_.min = v;
    s_.value = std::max(s_.value, v);
    return Status::Ok;
}

Status UpDown::setMax(int v) {
    if (inert()) return Status::Refused;
    s_.max = v;
    s_.value = std::min(s_.value, v);
    return Status::Ok;
}

Status UpDown::setValue(int v) {
    if (inert()) return Status::Refused;
    s_.value = std::clamp(v, std::min(s_.min, s_.max), std::max(s_.min, s_.max));
    return Status::Ok;
}

Status UpDown::setIncrement(int v) {
    if (inert()) return Status::Refused;
    if (v <= 0) return refused("Increment must be positive");
    s_.increment = v;
    return Status::Ok;
}

Status UpDown::setBuddy(TextBox& buddy, bool sync) {
    if (inert()) return Status::Refused;
    s_.buddy = &buddy;
    s_.synced = sync ? &buddy : nullptr;
    return Status::Ok;
}

Status UpDown::setBuddy(Control& buddy) {
    if (inert()) return Status::Refused;
    if (buddy.parentForm() != form_) return refused("buddy on another form");
    s_.buddy = &buddy;
    s_.synced = nullptr;
    return Status::Ok;
}

void UpDown::userPress(bool up) {
    if (inert() || !enabledChain() || !form_->userReachable()) return;
    const char* event = up ? "UpClick" : "DownClick";
    if (running(event)) return;  // a repeat step while the last one still runs
    if (s_.synced != nullptr) {
        int current = s_.value;
        if (!readWholeNumber(s_.synced->Text(), current)) current = s_.value;
        long long next = static_cast<long long>(current) + (up ? s_.increment : -s_.increment);
        int lo = std::min(s_.min, s_.max), hi = std::max(s_.min, s_.max);
        next = std::clamp<long long>(next, lo, hi);
        if (next == current) return;
        s_.value = static_cast<int>(next);
        s_.synced->setText(std::to_string(s_.value));
        raise("Change", Change, Raise::Code);
    }
    if (up) {
        raise("UpClick", UpClick, Raise::User);
    } else {
        raise("DownClick", DownClick, Raise::User);
    }
}

}  // namespace velt::ui
