// Masked box: a QLineEdit with the runtime's own mask logic. "#" is a digit position, any other
// mask character a literal. Text always has the mask's length, with the prompt character "_" in
// empty digit positions. Typing overwrites digit positions (skipping literals); other characters
// are refused after their KeyPress. A Text that doesn't fit the mask is refused.
#pragma once

#include "desk/ui/control.h"

namespace velt::ui {

class MaskedBox : public Control {
  public:
    MaskedBox(Form* form, std::string name, int index = -1)
        : Control(form, std::move(name), index) {}

    const std::string& Mask() const { return s_.mask; }
    Status setMask(const std::string& v);
    const std::string& Text() const { return s_.text; }
    Status setText(const std::string& v);
    int SelStart() const { return s_.selStart; }
    Status setSelStart(int v);
    int SelLength() const { return s_.selLength; }
    Status setSelLength(int v);
    char PromptChar() const { return '_'; }

    Event<> Change;

    bool takesFocus() const override { return true; }
    void userAscii(int keyAscii) override;
    void userKey(Key key) override;
    void focusGained(FocusReason reason) override;

  protected:
    QWidget* createWidget(QWidget* parent) override;
    void resetState() override { s_ = State{}; }

  private:
    bool digitAt(size_t i) const { return i < s_.mask.size() && s_.mask[i] == '#'; }
    std::string emptyText() const;
    void edit(size_t pos, char c, int caret);
    void push();

    struct State {
        std::string mask, text;
        int selStart = 0, selLength = 0;
    } s_;
};

}  // namespace velt::ui
