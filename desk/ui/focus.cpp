// Focus moves between the controls of one form: user moves (mouse, Tab, mnemonics, Enter and
// Esc to the Default and Cancel buttons) raise LostFocus on the old control, then GotFocus on the
// new one, then run the action; a LostFocus handler that sets the focus anywhere drops the move.
// The tab order, the tab-switching keys and the arrow keys of an up-down's buddy live here too.
#include <algorithm>

#include "desk/ui/controls/check_box.h"
#include "desk/ui/controls/command_button.h"
#include "desk/ui/controls/label.h"
#include "desk/ui/controls/option_button.h"
#include "desk/ui/controls/tab_control.h"
#include "desk/ui/controls/up_down.h"
#include "desk/ui/form.h"
#include "desk/ui/media_control.h"
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
        if (auto* tabs = dynamic_cast<TabControl*>(c)) {
            // A tab's caption: the strip takes the focus, then that tab is chosen.
            if (!tabs->visibleChain() || !tabs->enabledChain()) continue;
            for (int i = 0; i < tabs->Tabs(); ++i) {
                if (mnemonicOf(tabs->TabCaption(i)) != letter) continue;
                userMove(*tabs, FocusReason::Mnemonic, [tabs, i] { tabs->userSelect(i); });
                return true;
            }
            continue;
        }
        if (mnemonicOf(captionOf(c)) != letter || !c->visibleChain() || !c->enabledChain())
            continue;
        if (dynamic_cast<Label*>(c) != nullptr) {
            // The label's mnemonic moves to the next stop after it in the tab order.
            const std::vector<Control*> order = tabOrder();
            auto it = std::find(order.begin(), order.end(), c);
            if (it == order.end()) return true;
            auto next = std::find_if(std::next(it), order.end(), [this](Control* other) {
                return other->canTakeFocusNow() && other->TabStop() && onClientArea(*other);
            });
            if (next != order.end()) userMove(**next, FocusReason::Mnemonic, [] {});
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
    setActive(&target);
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
    setActive(&target);
    mirrorFocus(target, FocusReason::Code);
    target.focusGained(FocusReason::Code);
    target.raiseFocusEvent(true);
    return Status::Ok;
}

void Form::focusLost(Control& control) {
    if (active_ != &control) return;
    Control* next = nextTabStop(&control, false);
    if (next == nullptr || next == &control) {
        setActive(nullptr);
        return;
    }
    control.raiseFocusEvent(false);
    if (active_ != &control) return;
    setActive(next);
    mirrorFocus(*next, FocusReason::Tab);
    next->focusGained(FocusReason::Tab);
    next->raiseFocusEvent(true);
}

void Form::chooseInitialFocus() {
    if (active_ != nullptr) return;
    Control* first = nextTabStop(nullptr, false);
    if (first == nullptr) return;
    setActive(first);
    mirrorFocus(*first, FocusReason::Tab);
    first->focusGained(FocusReason::Tab);
    first->raiseFocusEvent(true);
}

void Form::setActive(Control* c) {
    Control* old = active_;
    active_ = c;
    if (old == c) return;
    if (old != nullptr) old->activeChanged(false);
    if (c != nullptr) c->activeChanged(true);
}

namespace {

// Siblings of one container in reading order: lines from top to bottom, each line from left to
// right. A control joins the line of the topmost one left when its top lies above the middle of
// the lower of the two (a label beside its box, a button beside a tall frame).
void sortByReading(std::vector<Control*>& v) {
    std::stable_sort(v.begin(), v.end(), [](Control* a, Control* b) {
        return a->Top() != b->Top() ? a->Top() < b->Top() : a->Left() < b->Left();
    });
    size_t i = 0;
    while (i < v.size()) {
        const Control* first = v[i];
        size_t j = i + 1;
        while (j < v.size() &&
               v[j]->Top() < first->Top() + std::min(first->Height(), v[j]->Height()) / 2) {
            ++j;
        }
        std::stable_sort(v.begin() + static_cast<std::ptrdiff_t>(i),
                         v.begin() + static_cast<std::ptrdiff_t>(j),
                         [](Control* a, Control* b) { return a->Left() < b->Left(); });
        i = j;
    }
}

void appendReading(const std::vector<Control*>& all, const Control* container, int page,
                   std::vector<Control*>& out) {
    std::vector<Control*> kids;
    const bool pages = dynamic_cast<const TabControl*>(container) != nullptr;
    for (Control* c : all) {
        // A tab control's contents go page by page; other containers have one area.
        if (c->Container() == container && (!pages || c->ContainerPage() == page)) {
            kids.push_back(c);
        }
    }
    sortByReading(kids);
    for (Control* c : kids) {
        out.push_back(c);
        if (!c->isContainer()) continue;
        if (auto* tabs = dynamic_cast<TabControl*>(c)) {
            for (int p = -1; p < tabs->Tabs(); ++p) appendReading(all, c, p, out);
        } else {
            appendReading(all, c, -1, out);
        }
    }
}

}  // namespace

bool Form::onClientArea(const Control& c) const {
    double left = c.Left(), top = c.Top(), right = left + c.Width(), bottom = top + c.Height();
    auto clip = [&](double width, double height) {
        left = std::max(left, 0.0);
        top = std::max(top, 0.0);
        right = std::min(right, width);
        bottom = std::min(bottom, height);
        return left < right && top < bottom;
    };
    for (const Control* k = c.Container(); k != nullptr; k = k->Container()) {
        if (!clip(k->Width(), k->Height())) return false;
        left += k->Left();
        right += k->Left();
        top += k->Top();
        bottom += k->Top();
    }
    return clip(s_.width, s_.height);
}

std::vector<Control*> Form::tabOrder() const {
    std::vector<Control*> order;
    const bool chosen = std::any_of(controls_.begin(), controls_.end(),
                                    [](Control* c) { return c->tabIndexSet(); });
    if (chosen) {
        order = controls_;
        std::stable_sort(order.begin(), order.end(),
                         [](Control* a, Control* b) { return a->TabIndex() < b->TabIndex(); });
        return order;
    }
    appendReading(controls_, nullptr, -1, order);
    // What no container chain reaches (a page beyond the last tab) comes last.
    for (Control* c : controls_) {
        if (std::find(order.begin(), order.end(), c) == order.end()) order.push_back(c);
    }
    return order;
}

Control* Form::nextTabStop(Control* from, bool backwards) const {
    const std::vector<Control*> order = tabOrder();
    std::vector<Control*> stops;
    for (Control* c : order) {
        if (!c->canTakeFocusNow() || (!c->TabStop() && c != from)) continue;
        if (!onClientArea(*c) && c != from) continue;
        // An option group is one stop: its selected option, or its first one when none is.
        if (auto* opt = dynamic_cast<OptionButton*>(c); opt != nullptr && c != from) {
            bool groupHasSelection = false;
            OptionButton* firstOfGroup = nullptr;
            for (Control* o : order) {
                auto* other = dynamic_cast<OptionButton*>(o);
                if (other == nullptr || !other->sameGroup(*opt) || !other->canTakeFocusNow()) {
                    continue;
                }
                if (other->Value()) groupHasSelection = true;
                if (firstOfGroup == nullptr) firstOfGroup = other;
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
    auto it = std::find(stops.begin(), stops.end(), from);
    if (it == stops.end()) return backwards ? stops.back() : stops.front();
    size_t i = static_cast<size_t>(it - stops.begin());
    size_t n = stops.size();
    return stops[backwards ? (i + n - 1) % n : (i + 1) % n];
}

TabControl* Form::switchableTabs() const {
    for (Control* c = active_; c != nullptr; c = c->Container()) {
        if (auto* tabs = dynamic_cast<TabControl*>(c)) return tabs;
    }
    for (Control* c : controls_) {
        auto* tabs = dynamic_cast<TabControl*>(c);
        if (tabs != nullptr && tabs->visibleChain() && tabs->enabledChain()) return tabs;
    }
    return nullptr;
}

UpDown* Form::spinnerOf(const Control* box) const {
    if (box == nullptr) return nullptr;
    for (Control* c : controls_) {
        auto* spin = dynamic_cast<UpDown*>(c);
        if (spin != nullptr && spin->Buddy() == box && spin->visibleChain()) return spin;
    }
    return nullptr;
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
            // Enter presses the marked button of a focused media control, as of a button.
            if (auto* media = dynamic_cast<MediaControl*>(active_); !esc && media != nullptr) {
                media->pressFocused();
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
        case Key::CtrlTab:
        case Key::CtrlShiftTab:
        case Key::CtrlPageDown:
        case Key::CtrlPageUp:
            if (TabControl* tabs = switchableTabs()) {
                tabs->userStep(key == Key::CtrlTab || key == Key::CtrlPageDown ? 1 : -1);
            }
            return;
        case Key::Up:
        case Key::Down:
        case Key::PageUp:
        case Key::PageDown:
            // In an up-down's buddy box these keys press its arrows.
            if (UpDown* spin = spinnerOf(active_)) {
                spin->userPress(key == Key::Up || key == Key::PageUp);
                return;
            }
            if (active_ != nullptr) active_->userKey(key);
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
