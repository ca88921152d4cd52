// The test script of the forms runtime. One Script per test: it selects the test clock (time 0),
// answers dialogs and modal shows from expectations queued by the test, records every box, every
// raised event and every refusal, and acts as the user. An unexpected box, file dialog or modal
// show fails the test and is answered with its default so the code path completes; when the
// Script ends, every expectation left unused fails the test and every form is released.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desk/ui/ui.h"
#include "platform/help/help.h"

namespace velt::ui::test {

struct BoxMatch {
    std::optional<std::string> text = std::nullopt;
    std::optional<std::string> textStartsWith = std::nullopt;
    std::optional<std::string> title = std::nullopt;
    std::optional<int> icon = std::nullopt;           // 16, 32, 48, 64
    std::optional<int> buttons = std::nullopt;        // style & 7
    std::optional<int> defaultAnswer = std::nullopt;  // the answer of the default button
    std::optional<long> help = std::nullopt;
};

struct BoxRecord {
    std::string text, title;  // the title as shown (the application title for "")
    int style = 0, icon = 0;
    std::vector<int> buttons;
    int defaultAnswer = 0;
    long help = 0;
    bool systemModal = false;
    std::vector<long> helpPresses;
    int answer = 0;
    std::string source;  // "script", "batch" or "default"
};

class BoxExpectation {
  public:
    explicit BoxExpectation(BoxMatch m) : match(std::move(m)) {}
    BoxExpectation& answer(int a) {
        answer_ = a;
        return *this;
    }
    BoxExpectation& pressHelp() {
        ++helpPresses_;
        return *this;
    }
    // What the user does elsewhere while the box is open (installs a program the box names),
    // run before the answer.
    BoxExpectation& meanwhile(std::function<void()> action) {
        meanwhile_ = std::move(action);
        return *this;
    }
    BoxMatch match;
    std::optional<int> answer_ = std::nullopt;
    int helpPresses_ = 0;
    std::function<void()> meanwhile_;
};

struct InputMatch {
    std::optional<std::string> prompt = std::nullopt;
    std::optional<std::string> title = std::nullopt;
};

class InputExpectation {
  public:
    explicit InputExpectation(InputMatch m) : match(std::move(m)) {}
    InputExpectation& answer(const std::string& text) {
        text_ = text;
        cancel_ = false;
        return *this;
    }
    InputExpectation& cancel() {
        cancel_ = true;
        return *this;
    }
    InputMatch match;
    std::optional<std::string> text_ = std::nullopt;
    bool cancel_ = false;
};

struct FileMatch {
    std::optional<std::string> title = std::nullopt;
    std::optional<std::string> filter = std::nullopt;
    std::optional<long> flags = std::nullopt;
    std::optional<std::string> initDir = std::nullopt;
    std::optional<std::string> fileName = std::nullopt;
    std::optional<std::string> defaultExt = std::nullopt;
    std::optional<bool> save = std::nullopt;
};

class FileExpectation {
  public:
    explicit FileExpectation(FileMatch m) : match(std::move(m)) {}
    FileExpectation& choose(const std::string& path) {
        path_ = path;
        return *this;
    }
    FileExpectation& cancel() {
        path_.reset();
        return *this;
    }
    FileMatch match;
    std::optional<std::string> path_ = std::nullopt;
};

// Acts as the user on shown forms, following the runtime's focus and event rules.
class User {
  public:
    bool click(CommandButton& b);  // false when the click was dropped
    bool click(CheckBox& c);
    bool click(OptionButton& o);
    bool dblClick(OptionButton& o);
    bool click(Label& l);
    bool click(Image& i);
    bool click(PictureBox& p, double x = 0, double y = 0, int button = 1);
    bool clickRow(ListBox& l, int row, bool doubleClick = false);
    bool pick(ComboBox& c, int row);
    bool focus(Control& c);
    // Moves the focus by mouse, then types each character: KeyPress, edit, Change. "\b" is
    // Backspace. False when the focus move was dropped.
    bool type(Control& c, const std::string& text);
    // Moves the focus by mouse when needed, then presses the key.
    bool key(Control& c, Key k);
    bool ctrl(Control& c, char letter);  // Ctrl+letter
    bool drag(Slider& s, Direction d, int steps, int button = 1);
    bool dragTo(Slider& s, int value, int button = 1);
    void spin(UpDown& s, Direction d, int presses = 1);
    bool selectTab(TabControl& t, int tab);
    void menu(MenuItem& item);
    void toolbar(Toolbar& bar, const std::string& key);
    void closeBox(Form& f);
    bool mnemonic(Form& f, char letter);  // Alt+letter

  private:
    bool ensureFocus(Control& c);
};

class Script : public DialogDriver {
  public:
    Script();
    ~Script() override;
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    BoxExpectation& expectBox(BoxMatch match = {});
    InputExpectation& expectInputBox(InputMatch match = {});
    FileExpectation& expectFileDialog(FileMatch match = {});

    // A one-shot action run inside the next modal Show, once the form is loaded and visible.
    template <class F>
    void onModal(std::function<void(F&, User&)> action) {
        modals_.push_back({typeid(F).name(), [action](Form& f, User& u) {
                               auto* target = dynamic_cast<F*>(&f);
                               if (target == nullptr) return false;
                               action(*target, u);
                               return true;
                           }});
    }

    User user() { return User(); }
    void advance(int64_t ms);
    int64_t now() const;

    const std::vector<BoxRecord>& boxes() const { return boxes_; }
    std::vector<long> helpCalls() const { return help_.topics(); }
    platform::RecordingHelp& help() { return help_; }
    const std::vector<EventRecord>& events() const { return events_; }
    // The events as "control_Event args" ("cmdOK_Click", "optA(1)_Click", "txtA_KeyPress 51",
    // "Form_Load" with the form's name first: "frmDemo.Form_Load").
    std::vector<std::string> trace() const;
    void clearEvents() { events_.clear(); }
    const std::vector<std::string>& refusals() const { return runtime().refusals(); }
    const std::vector<std::string>& handlerFailures() const { return failures_; }

    // ---- DialogDriver
    int messageBox(const BoxRequest& box, bool batch, int batchAnswer) override;
    InputResult inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText, bool batch) override;
    DialogResult fileDialog(CommonDialog& dialog, bool save, bool batch) override;
    void modal(Form& form) override;
    void handlerFailed(const std::string& where, const std::string& message) override;

  private:
    struct ModalAction {
        std::string formType;
        std::function<bool(Form&, User&)> run;
    };

    platform::ManualClock clock_;
    platform::RecordingHelp help_;
    std::deque<std::unique_ptr<BoxExpectation>> boxExpectations_;
    std::deque<std::unique_ptr<InputExpectation>> inputExpectations_;
    std::deque<std::unique_ptr<FileExpectation>> fileExpectations_;
    std::deque<ModalAction> modals_;
    std::vector<BoxRecord> boxes_;
    std::vector<EventRecord> events_;
    std::vector<std::string> failures_;
};

}  // namespace velt::ui::test
