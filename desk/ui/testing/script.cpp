#include "desk/ui/testing/script.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <algorithm>

#include "platform/mci/mci.h"

namespace velt::ui::test {

namespace {

std::string describe(const BoxRequest& box) {
    return "\"" + (box.title.empty() ? runtime().appTitle : box.title) + ": " + box.text + "\"";
}

bool boxMatches(const BoxMatch& m, const BoxRecord& r, std::string& why) {
    auto fail = [&](const std::string& what) {
        why = what;
        return false;
    };
    if (m.text && *m.text != r.text) return fail("text \"" + *m.text + "\" expected");
    if (m.textStartsWith && r.text.rfind(*m.textStartsWith, 0) != 0) {
        return fail("text starting \"" + *m.textStartsWith + "\" expected");
    }
    if (m.title && *m.title != r.title) return fail("title \"" + *m.title + "\" expected");
    if (m.icon && *m.icon != r.icon) return fail("icon " + std::to_string(*m.icon) + " expected");
    if (m.buttons && *m.buttons != (r.style & 7)) {
        return fail("buttons " + std::to_string(*m.buttons) + " expected");
    }
    if (m.defaultAnswer && *m.defaultAnswer != r.defaultAnswer) {
        return fail("default " + answerName(*m.defaultAnswer) + " expected");
    }
    if (m.help && *m.help != r.help)
        return fail("help topic " + std::to_string(*m.help) + " expected");
    return true;
}

}  // namespace

Script::Script() {
    if (QApplication::instance() == nullptr)
        ADD_FAILURE() << "no QApplication: use the forms test main";
    runtime().useTestClock(&clock_);
    runtime().driver = this;
    runtime().help = &help_;
    runtime().batchMode = false;
    runtime().clearRefusals();
    runtime().eventObserver = [this](const EventRecord& e) { events_.push_back(e); };
}

Script::~Script() {
    forms::releaseAll();
    for (const auto& e : boxExpectations_) {
        ADD_FAILURE() << "expected message box never came: "
                      << e->match.text.value_or(e->match.textStartsWith.value_or("(any)"));
    }
    for (const auto& e : inputExpectations_) {
        ADD_FAILURE() << "expected input box never came: " << e->match.prompt.value_or("(any)");
    }
    for (const auto& e : fileExpectations_) {
        ADD_FAILURE() << "expected file dialog never came: " << e->match.title.value_or("(any)");
    }
    for (const auto& m : modals_) ADD_FAILURE() << "modal action never ran for " << m.formType;
    platform::mci::closeAll();  // devices a window left open by command strings
    Scheduler::instance().reset();
    runtime().eventObserver = nullptr;
    runtime().driver = nullptr;
    runtime().help = nullptr;
    runtime().batchMode = false;
    runtime().useTestClock(nullptr);
    runtime().clearRefusals();
}

BoxExpectation& Script::expectBox(BoxMatch match) {
    boxExpectations_.push_back(std::make_unique<BoxExpectation>(std::move(match)));
    return *boxExpectations_.back();
}

InputExpectation& Script::expectInputBox(InputMatch match) {
    inputExpectations_.push_back(std::make_unique<InputExpectation>(std::move(match)));
    return *inputExpectations_.back();
}

FileExpectation& Script::expectFileDialog(FileMatch match) {
    fileExpectations_.push_back(std::make_unique<FileExpectation>(std::move(match)));
    return *fileExpectations_.back();
}

void Script::advance(int64_t ms) {
    Scheduler::instance().advance(ms);
}

int64_t Script::now() const {
    return clock_.nowMs();
}

std::vector<std::string> Script::trace() const {
    std::vector<std::string> out;
    for (const auto& e : events_) {
        std::string s = e.control.empty() ? e.form + ".Form" : e.control;
        if (e.index >= 0) {
            s += '(';
            s += std::to_string(e.index);
            s += ')';
        }
        s += "_" + e.event;
        if (!e.args.empty()) s += " " + e.args;
        out.push_back(s);
    }
    return out;
}

int Script::messageBox(const BoxRequest& box, bool batch, int batchAnswer) {
    BoxStyleParts parts = splitStyle(box.style);
    BoxRecord r;
    r.text = box.text;
    r.title = box.title.empty() ? runtime().appTitle : box.title;
    r.style = box.style;
    r.icon = parts.icon;
    r.buttons = parts.buttons;
    r.defaultAnswer = parts.defaultAnswer();
    r.help = box.helpTopic;
    r.systemModal = parts.systemModal;
    r.answer = parts.defaultAnswer();
    r.source = "default";
    if (batch) {
        r.answer = batchAnswer;
        r.source = "batch";
        boxes_.push_back(r);
        return batchAnswer;
    }
    if (boxExpectations_.empty()) {
        ADD_FAILURE() << "unexpected message box " << describe(box);
        boxes_.push_back(r);
        return r.answer;
    }
    std::unique_ptr<BoxExpectation> e = std::move(boxExpectations_.front());
    boxExpectations_.pop_front();
    std::string why;
    if (!boxMatches(e->match, r, why)) {
        ADD_FAILURE() << "message box " << describe(box) << " doesn't match: " << why;
        boxes_.push_back(r);
        return r.answer;
    }
    for (int i = 0; i < e->helpPresses_; ++i) {
        if (r.help == 0) {
            ADD_FAILURE() << "Help pressed on a box without a Help button: " << describe(box);
            break;
        }
        r.helpPresses.push_back(r.help);
        showHelpTopic(r.help);
    }
    if (e->meanwhile_) e->meanwhile_();
    if (!e->answer_) {
        ADD_FAILURE() << "no answer scripted for " << describe(box);
    } else if (std::find(r.buttons.begin(), r.buttons.end(), *e->answer_) == r.buttons.end()) {
        ADD_FAILURE() << "answer " << answerName(*e->answer_) << " is not a button of "
                      << describe(box);
    } else {
        r.answer = *e->answer_;
        r.source = "script";
    }
    boxes_.push_back(r);
    return r.answer;
}

InputResult Script::inputBox(const std::string& prompt, const std::string& title,
                             const std::string& defaultText, bool batch) {
    if (batch) return {true, defaultText};
    if (inputExpectations_.empty()) {
        ADD_FAILURE() << "unexpected input box \"" << prompt << "\"";
        return {false, ""};
    }
    std::unique_ptr<InputExpectation> e = std::move(inputExpectations_.front());
    inputExpectations_.pop_front();
    std::string shownTitle = title.empty() ? runtime().appTitle : title;
    if ((e->match.prompt && *e->match.prompt != prompt) ||
        (e->match.title && *e->match.title != shownTitle)) {
        ADD_FAILURE() << "input box \"" << shownTitle << ": " << prompt << "\" doesn't match";
        return {false, ""};
    }
    if (e->cancel_ || !e->text_) return {false, ""};
    return {true, *e->text_};
}

DialogResult Script::fileDialog(CommonDialog& dialog, bool save, bool batch) {
    if (batch) return DialogResult::Cancelled;
    while (true) {
        if (fileExpectations_.empty()) {
            ADD_FAILURE() << "unexpected file dialog \"" << dialog.DialogTitle() << "\"";
            return DialogResult::Cancelled;
        }
        std::unique_ptr<FileExpectation> e = std::move(fileExpectations_.front());
        fileExpectations_.pop_front();
        const FileMatch& m = e->match;
        std::string why;
        if (m.title && *m.title != dialog.DialogTitle()) why = "title \"" + *m.title + "\"";
        if (m.filter && *m.filter != dialog.Filter()) why = "filter \"" + *m.filter + "\"";
        if (m.flags && *m.flags != dialog.Flags()) why = "flags " + std::to_string(*m.flags);
        if (m.initDir && *m.initDir != dialog.InitDir()) why = "InitDir \"" + *m.initDir + "\"";
        if (m.fileName && *m.fileName != dialog.FileName())
            why = "FileName \"" + *m.fileName + "\"";
        if (m.defaultExt && *m.defaultExt != dialog.DefaultExt()) {
            why = "DefaultExt \"" + *m.defaultExt + "\"";
        }
        if (m.save && *m.save != save) why = save ? "an Open dialog" : "a Save dialog";
        if (!why.empty()) {
            ADD_FAILURE() << "file dialog \"" << dialog.DialogTitle() << "\" doesn't match: " << why
                          << " expected";
            return DialogResult::Cancelled;
        }
        if (!e->path_) return DialogResult::Cancelled;
        CommonDialog::Verdict v = dialog.judge(*e->path_, save);
        if (v.kind == CommonDialog::Verdict::Refuse) {
            ADD_FAILURE() << "the file dialog refuses " << v.path << ": " << v.reason;
            return DialogResult::Cancelled;
        }
        if (v.kind == CommonDialog::Verdict::AskOverwrite && !dialog.confirmOverwrite(v.path)) {
            continue;  // No brings the dialog back
        }
        dialog.accept(v.path);
        return DialogResult::Ok;
    }
}

void Script::modal(Form& form) {
    if (modals_.empty()) {
        ADD_FAILURE() << "modal Show of " << form.Name() << " without a scripted action";
        return;
    }
    ModalAction action = std::move(modals_.front());
    modals_.pop_front();
    User u;
    if (!action.run(form, u)) {
        ADD_FAILURE() << "modal Show of " << form.Name() << " while an action for "
                      << action.formType << " was expected";
        return;
    }
    if (form.loaded() && form.Visible()) {
        ADD_FAILURE() << "the modal action returned with " << form.Name() << " still shown";
    }
}

void Script::handlerFailed(const std::string& where, const std::string& message) {
    failures_.push_back(where + ": " + message);
    ADD_FAILURE() << "handler failed: " << where << ": " << message;
}

// ---- User

namespace {
Form* formOf(Control& c) {
    return c.inert() ? nullptr : c.parentForm();
}
}  // namespace

bool User::ensureFocus(Control& c) {
    Form* f = formOf(c);
    if (f == nullptr) return false;
    if (f->ActiveControl() == &c) return true;
    return f->userMove(c, FocusReason::Mouse, [] {});
}

bool User::click(CommandButton& b) {
    Form* f = formOf(b);
    return f != nullptr && f->userMove(b, FocusReason::Mouse, [&b] { b.userClick(); });
}

bool User::click(CheckBox& c) {
    Form* f = formOf(c);
    return f != nullptr && f->userMove(c, FocusReason::Mouse, [&c] { c.userClick(); });
}

bool User::click(OptionButton& o) {
    Form* f = formOf(o);
    return f != nullptr && f->userMove(o, FocusReason::Mouse, [&o] { o.userClick(); });
}

bool User::dblClick(OptionButton& o) {
    Form* f = formOf(o);
    return f != nullptr && f->userMove(o, FocusReason::Mouse, [&o] {
        o.userClick();
        o.userDblClick();
    });
}

bool User::click(Label& l) {
    if (formOf(l) == nullptr || !formOf(l)->userReachable() || !l.visibleChain()) return false;
    l.userClick(false);
    return true;
}

bool User::click(Image& i) {
    if (formOf(i) == nullptr || !formOf(i)->userReachable() || !i.visibleChain()) return false;
    i.userClick(false);
    return true;
}

bool User::click(PictureBox& p, double x, double y, int button) {
    if (formOf(p) == nullptr || !formOf(p)->userReachable() || !p.visibleChain()) return false;
    p.userClick(button, x, y, false);
    return true;
}

bool User::clickRow(ListBox& l, int row, bool doubleClick) {
    Form* f = formOf(l);
    return f != nullptr && f->userMove(l, FocusReason::Mouse, [&l, row, doubleClick] {
        l.userClickRow(row, doubleClick);
    });
}

bool User::pick(ComboBox& c, int row) {
    Form* f = formOf(c);
    return f != nullptr && f->userMove(c, FocusReason::Mouse, [&c, row] { c.userPick(row); });
}

bool User::focus(Control& c) {
    Form* f = formOf(c);
    return f != nullptr && f->userMove(c, FocusReason::Mouse, [] {});
}

bool User::type(Control& c, const std::string& text) {
    if (!ensureFocus(c)) return false;
    Form* f = c.parentForm();
    QString chars = QString::fromStdString(text);
    for (QChar ch : chars) {
        if (!f->loaded()) break;
        f->dispatchAscii(ch == '\b' ? 8 : ch.unicode());
    }
    return true;
}

bool User::key(Control& c, Key k) {
    if (!ensureFocus(c)) return false;
    c.parentForm()->dispatchKey(k);
    return true;
}

bool User::ctrl(Control& c, char letter) {
    if (!ensureFocus(c)) return false;
    char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    if (upper < 'A' || upper > 'Z') return false;
    c.parentForm()->dispatchAscii(upper - 'A' + 1);
    return true;
}

bool User::drag(Slider& s, Direction d, int steps, int button) {
    int sign = (d == Right || d == Down) ? 1 : -1;
    std::vector<int> values;
    for (int i = 1; i <= steps; ++i) values.push_back(s.Value() + sign * i);
    return s.userDrag(button, values);
}

bool User::dragTo(Slider& s, int value, int button) {
    std::vector<int> values;
    int step = value >= s.Value() ? 1 : -1;
    for (int v = s.Value() + step; step > 0 ? v <= value : v >= value; v += step)
        values.push_back(v);
    return s.userDrag(button, values);
}

void User::spin(UpDown& s, Direction d, int presses) {
    for (int i = 0; i < presses; ++i) s.userPress(d == Up || d == Right);
}

bool User::selectTab(TabControl& t, int tab) {
    Form* f = formOf(t);
    if (f == nullptr) return false;
    if (!t.TabStop()) {
        if (!f->userReachable() || !t.enabledChain()) return false;
        t.userSelect(tab);
        return true;
    }
    return f->userMove(t, FocusReason::Mouse, [&t, tab] { t.userSelect(tab); });
}

void User::menu(MenuItem& item) {
    std::vector<MenuItem*> chain;
    for (MenuItem* m = &item; m != nullptr; m = m->parentItem()) chain.insert(chain.begin(), m);
    // Opening each menu on the way raises its Click, then the item's own.
    for (MenuItem* m : chain) m->userClick();
}

void User::toolbar(Toolbar& bar, const std::string& key) {
    bar.userClick(bar.Buttons(key));
}

void User::closeBox(Form& f) {
    f.userClose();
}

bool User::mnemonic(Form& f, char letter) {
    return f.dispatchMnemonic(letter);
}

}  // namespace velt::ui::test
