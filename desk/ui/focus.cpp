// Focus moves between the controls of one form: user moves (mouse, Tab, mnemonics, Enter and
// Esc to the Default and Cancel buttons) raise LostFocus on the old control, then GotFocus on the
// new one, then run the action; a LostFocus handler that sets the focus anywhere drops the move.
#include <algorithm>

#include "desk/ui/controls/check_box.h"
#include "desk/ui/controls/command_button.h"
#include "desk/ui/controls/label.h"
#include "desk/ui/controls/option_button.h"
#include "desk/ui/form.h"
#include "desk/ui/runtime.h"

namespace velt::ui {

namespace {

void mirrorFocus(Control& c, FocusReason reason) {
    if (!c.widget()) return;
    c.widget()->setFocus(reason == FocusReason::Tab     ? Qt::TabFocusReason
                         : reason == FocusReason::Mouse ? Qt::MouseFocusReason
                                                        : Qt::OtherFocusReason);
}

}  // namespace

namespace {

// The letter a caption marks with a single "&" ("&&" is a plain "&"), or 0.
char mnemonicOf(const std::string& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        char c = caption[i + 1];
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return 0;
}

std::string captionOf(Control* c) {
    if (auto* b = dynamic_cast<CommandButton*>(c)) return b->Caption();
    if (auto* b = dynamic_cast<CheckBox*>(c)) return b->Caption();
    if (auto* b = dynamic_cast<OptionButton*>(c)) return b->Caption();
    if (auto* b = dynamic_cast<Label*>(c)) return b->Caption();
    return "";
}

}  // namespace

bool Form::dispatchMnemonic(char letter) {
    if (!userReachable()) return false;
    if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter - 'A' + 'a');
    for (Control* c : controls_) {
        if (mnemonicOf(captionOf(c)) != letter || !c->visibleChain() || !c->enabledChain())
            continue;
        if (dynamic_cast<Label*>(c) != nullptr) {
            // The label's mnemonic moves to the next stop after it in the tab order (ties go
            // by the order of the form's controls).
            auto position = [this](Control* x) {
                return std::make_pair(
                    x->TabIndex(),
                    std::find(controls_.begin(), controls_.end(), x) - controls_.begin());
            };
            Control* next = nullptr;
            for (Control* other : controls_) {
                if (!other->canTakeFocusNow() || !other->TabStop() ||
                    position(other) <= position(c)) {
                    continue;
                }
                if (next == nullptr || position(other) < position(next)) next = other;
            }
            if (next != nullptr) userMove(*next, FocusReason::Mnemonic, [] {});
            return true;
        }
        if (!c->canTakeFocusNow()) continue;
        userMove(*c, FocusReason::Mnemonic, [c] { c->mnemonicAction(); });
        return true;
    }
    return false;
}

bool Form::userMove(Control& target, FocusReason reason, const std::function<void()>& action) {
    if (!userReachable() || !target.canTakeFocusNow()) return false;
    Control* old = active_;
    if (old == &target) {
        action();
        return true;
    }
    int requests = focusRequests_;
    if (old != nullptr) {
        leaving_ = old;
        old->raiseFocusEvent(false);
        leaving_ = nullptr;
    }
    if (focusRequests_ != requests) return false;  // LostFocus put the focus somewhere
    if (!loaded_ || !target.canTakeFocusNow()) return false;
    active_ = &target;
    mirrorFocus(target, reason);
    target.focusGained(reason);
    target.raiseFocusEvent(true);
    if (active_ != &target || !loaded_) return false;
    action();
    return true;
}

Status Form::codeFocus(Control& target) {
    if (!loaded_ || !shown_ || !target.canTakeFocusNow()) {
        runtime().refuse(target.traceName() + ": SetFocus on a control that can't take it");
        return Status::Refused;
    }
    ++focusRequests_;
    if (active_ == &target) return Status::Ok;
    Control* old = active_;
    if (old != nullptr && old != leaving_) old->raiseFocusEvent(false);
    active_ = &target;
    mirrorFocus(target, FocusReason::Code);
    target.focusGained(FocusReason::Code);
    target.raiseFocusEvent(true);
    return Status::Ok;
}

void Form::focusLost(Control& control) {
    if (active_ != &control) return;
    Control* next = nextTabStop(&control, false);
    if (next == nullptr || next == &control) {
        active_ = nullptr;
        return;
    }
    control.raiseFocusEvent(false);
    if (active_ != &control) return;
    active_ = next;
    mirrorFocus(*next, FocusReason::Tab);
    next->focusGained(FocusReason::Tab);
    next->raiseFocusEvent(true);
}

void Form::chooseInitialFocus() {
    if (active_ != nullptr) return;
    Control* first = nextTabStop(nullptr, false);
    if (first == nullptr) return;
    active_ = first;
    mirrorFocus(*first, FocusReason::Tab);
    first->focusGained(FocusReason::Tab);
    first->raiseFocusEvent(true);
}

Control* Form::nextTabStop(Control* from, bool backwards) const {
    std::vector<Control*> stops;
    for (Control* c : controls_) {
        if (!c->canTakeFocusNow() || (!c->TabStop() && c != from)) continue;
        // An option group is one stop: its selected option, or its first one when none is.
        if (auto* opt = dynamic_cast<OptionButton*>(c); opt != nullptr && c != from) {
            bool groupHasSelection = false;
            OptionButton* firstOfGroup = nullptr;
            for (Control* o : controls_) {
                auto* other = dynamic_cast<OptionButton*>(o);
                if (other == nullptr || !other->sameGroup(*opt) || !other->canTakeFocusNow()) {
                    continue;
                }
                if (other->Value()) groupHasSelection = true;
                if (firstOfGroup == nullptr || other->TabIndex() < firstOfGroup->TabIndex()) {
                    firstOfGroup = other;
                }
            }
            if (groupHasSelection ? !opt->Value() : opt != firstOfGroup) continue;
            if (from != nullptr) {
                if (auto* fromOpt = dynamic_cast<OptionButton*>(from);
                    fromOpt != nullptr && fromOpt->sameGroup(*opt)) {
                    continue;
                }
            }
        }
        stops.push_back(c);
    }
    if (stops.empty()) return nullptr;
    std::stable_sort(stops.begin(), stops.end(),
                     [](Control* a, Control* b) { return a->TabIndex() < b->TabIndex(); });
    auto it = std::find(stops.begin(), stops.end(), from);
    if (it == stops.end()) return backwards ? stops.back() : stops.front();
    size_t i = static_cast<size_t>(it - stops.begin());
    size_t n = stops.size();
    return stops[backwards ? (i + n - 1) % n : (i + 1) % n];
}

CommandButton* Form::defaultButton(bool cancel) const {
    for (Control* c : controls_) {
        auto* b = dynamic_cast<CommandButton*>(c);
        if (b != nullptr && (cancel ? b->Cancel() : b->Default())) return b;
    }
    return nullptr;
}

void Form::dispatchKey(Key key) {
    if (!userReachable()) return;
    switch (key) {
        case Key::F1: {
            long topic = 0;
            for (Control* c = active_; c != nullptr && topic == 0; c = c->Container()) {
                topic = c->HelpContextID();
            }
            if (topic == 0) topic = s_.helpContextId;
            showHelpTopic(topic);
            return;
        }
        case Key::Tab:
        case Key::ShiftTab: {
            Control* next = nextTabStop(active_, key == Key::ShiftTab);
            if (next != nullptr && next != active_) userMove(*next, FocusReason::Tab, [] {});
            return;
        }
        case Key::Enter:
        case Key::Esc: {
            bool esc = key == Key::Esc;
            auto* focusedButton = dynamic_cast<CommandButton*>(active_);
            if (!esc && focusedButton != nullptr) {
                focusedButton->userClick();
                return;
            }
            CommandButton* target = defaultButton(esc);
            if (target != nullptr && target->canTakeFocusNow()) {
                userMove(*target, FocusReason::Mnemonic, [target] { target->userClick(); });
                return;
            }
            dispatchAscii(esc ? 27 : 13);
            return;
        }
        case Key::Space:
            dispatchAscii(32);
            return;
        case Key::Backspace:
            dispatchAscii(8);
            return;
        default:
            if (active_ != nullptr) active_->userKey(key);
            return;
    }
}

void Form::dispatchAscii(int keyAscii) {
    if (!userReachable()) return;
    if (active_ == nullptr) {
        previewKeyPress(keyAscii);
        return;
    }
    Control* target = active_;
    int k = target->raiseKeyPress(keyAscii);
    if (k == 0 || active_ != target || !loaded_) return;
    target->userAscii(k);
}

}  // namespace velt::ui
